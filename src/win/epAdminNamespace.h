// A private object namespace bounded by the Administrators group: only a
// process whose token holds that group enabled (an elevated one) can create
// or open it, so a non-elevated program cannot create a name there first.
// Its functions are looked up at run time: a system without them (older
// Windows, Wine) gives no namespace, and the caller falls back.
#pragma once

#include <string>

#include "win/handles.h"

class TAdminNamespace {
public:
    TAdminNamespace() = default;

    // Opens the namespace of the alias, creating it when it does not exist
    // yet; empty when the system has no private namespaces or refuses.
    static TAdminNamespace OpenOrCreate(const std::string& alias);

    explicit operator bool() const noexcept { return static_cast<bool>(namespace_); }

    // The prefix of object names in the namespace: the alias and a backslash.
    const std::string& Prefix() const { return prefix_; }

private:
    UniqueHandle namespace_;
    std::string prefix_;
};
