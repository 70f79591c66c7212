// A few numbers that processes share by name: a named file mapping of
// 64-bit slots. The process that creates the name writes or reads them, a
// process that opens it later does the same; the system drops them when the
// last handle closes. Used by the temporary copy to tell its first process
// the exit code, and by the run lock to tell who shows the run.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "win/handles.h"

class TSharedValues {
public:
    // Slots in every set of shared values.
    static constexpr int kSlots = 4;

    TSharedValues() = default;

    // Creates the values under name, all 0. With mustBeNew, a name that
    // already exists is not trusted: the result is then empty, as on failure.
    static TSharedValues Create(const std::string& name, bool mustBeNew);

    // Opens values another process created; empty when there are none.
    static TSharedValues Open(const std::string& name, bool forWriting);

    explicit operator bool() const noexcept { return static_cast<bool>(mapping_); }

    // False when the slot is out of range or the values cannot be written.
    bool Write(int slot, std::uint64_t value) const;

    // Nothing when the slot is out of range or the values cannot be read.
    std::optional<std::uint64_t> Read(int slot) const;

private:
    explicit TSharedValues(HANDLE mapping, bool writable) : mapping_(mapping), writable_(writable) {}

    UniqueHandle mapping_;
    bool writable_ = false;
};
