// Shared values on named file mappings.
#include "win/epSharedValues.h"

namespace {

constexpr DWORD kSize = TSharedValues::kSlots * sizeof(std::uint64_t);

bool IsSlot(int slot) { return slot >= 0 && slot < TSharedValues::kSlots; }

}  // namespace

TSharedValues TSharedValues::Create(const std::string& name, bool mustBeNew) {
    SetLastError(ERROR_SUCCESS);
    HANDLE raw = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kSize,
                                    name.c_str());
    const DWORD error = GetLastError();
    TSharedValues values(raw, true);
    if (mustBeNew && error == ERROR_ALREADY_EXISTS) return TSharedValues();
    return values;
}

TSharedValues TSharedValues::Open(const std::string& name, bool forWriting) {
    return TSharedValues(
        OpenFileMappingA(forWriting ? FILE_MAP_WRITE : FILE_MAP_READ, FALSE, name.c_str()),
        forWriting);
}

bool TSharedValues::Write(int slot, std::uint64_t value) const {
    if (!mapping_ || !writable_ || !IsSlot(slot)) return false;
    const MappedView view(MapViewOfFile(mapping_.get(), FILE_MAP_WRITE, 0, 0, kSize));
    if (!view) return false;
    auto* slots = static_cast<volatile LONG64*>(view.get());
    InterlockedExchange64(&slots[slot], static_cast<LONG64>(value));
    return true;
}

std::optional<std::uint64_t> TSharedValues::Read(int slot) const {
    if (!mapping_ || !IsSlot(slot)) return std::nullopt;
    const MappedView view(MapViewOfFile(mapping_.get(), FILE_MAP_READ, 0, 0, kSize));
    if (!view) return std::nullopt;
    // A name that another program created with a smaller size would have
    // failed to map the whole view: the slots are all there.
    const auto* slots = static_cast<const volatile LONG64*>(view.get());
    return static_cast<std::uint64_t>(slots[slot]);
}
