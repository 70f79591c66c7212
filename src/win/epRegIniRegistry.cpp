// Registry access by path: the registry side of epRegIni.
//
// Every public operation catches whatever its string work might throw
// (allocation failure) and answers as if the registry had refused: callers
// rely on these services never raising.
#include <cstring>
#include <vector>

#include "core/epProtectedKeys.h"
#include "core/epRegPath.h"
#include "core/epStrUtils.h"
#include "win/epDllSearch.h"
#include "win/epRegIni.h"
#include "win/epSystemNames.h"
#include "win/epWow64.h"
#include "win/handles.h"

namespace {

// Enumeration buffers start at this many bytes and grow on ERROR_MORE_DATA up
// to kLargestName, beyond any name the registry can hold.
constexpr DWORD kFirstNameBuffer = 1024;
constexpr DWORD kLargestName = 65536;

// A value that keeps changing size while it is read is given up after this
// many tries.
constexpr int kReadAttempts = 4;

HKEY RootKey(TRegistryRoot root) {
    switch (root) {
        case TRegistryRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
        case TRegistryRoot::CurrentUser: return HKEY_CURRENT_USER;
        case TRegistryRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
        case TRegistryRoot::Users: return HKEY_USERS;
        case TRegistryRoot::None: break;
    }
    return nullptr;
}

// Every key of a tree being deleted is opened once, with the rights to list
// it, empty it and delete it; failing that, to list and empty it, so that
// what can go still goes.
constexpr REGSAM kTreeAccess = KEY_READ | KEY_SET_VALUE | DELETE;
constexpr REGSAM kEmptyingAccess = KEY_READ | KEY_SET_VALUE;

// Deeper than the registry lets keys nest: a tree is never followed further.
constexpr std::size_t kMaxTreeDepth = 512;

// The view the parsed path is in: its root's own (HKLM64), else the one the
// caller asks for.
TView ViewOf(const TRegistryPath& parts, TView view) { return EntryView(parts.View, view); }

// Opens root\subkey of the parsed path in the view; an empty wrapper on
// failure. A view this system does not have holds no key.
UniqueHkey OpenKey(const TRegistryPath& parts, REGSAM access, TView view) {
    UniqueHkey key;
    const HKEY root = RootKey(parts.Root);
    if (root == nullptr) return key;
    const TView own = ViewOf(parts, view);
    if (!ViewExists(own)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return key;
    }
    HKEY opened = nullptr;
    const LONG rc =
        RegOpenKeyExW(root, ToSystemName(parts.SubKey).c_str(), 0, access | ViewAccess(own), &opened);
    if (rc == ERROR_SUCCESS) {
        key.reset(opened);
    } else {
        SetLastError(static_cast<DWORD>(rc));
    }
    return key;
}

// The parsed key path form of path, or nothing (Root None) when the path is
// unresolved or names a root key alone, which no key operation may touch.
TRegistryPath ParseKeyPath(const std::string& path) {
    TRegistryPath parts = ParseRegistryPath(RegistryKeyPath(path));
    if (NamesRootKey(parts)) parts.Root = TRegistryRoot::None;
    return parts;
}

// True for ERROR_SUCCESS; any other registry result is left as the thread's
// last error, where the caller of a failed operation finds the reason.
bool Succeeded(LONG rc) {
    if (rc == ERROR_SUCCESS) return true;
    SetLastError(static_cast<DWORD>(rc));
    return false;
}

// Calls body, turning any exception into the failure answer.
template <typename T, typename Body>
T Guarded(T failure, Body body) noexcept {
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

// The name of item index (a subkey or a value), grown into a larger buffer
// when it does not fit. The result of the last enumeration call.
LONG EnumName(HKEY key, DWORD index, bool values, std::string& name) {
    std::vector<wchar_t> buffer(kFirstNameBuffer);
    for (;;) {
        DWORD size = static_cast<DWORD>(buffer.size());
        const LONG rc =
            values ? RegEnumValueW(key, index, buffer.data(), &size, nullptr, nullptr, nullptr,
                                   nullptr)
                   : RegEnumKeyExW(key, index, buffer.data(), &size, nullptr, nullptr, nullptr,
                                   nullptr);
        if (rc == ERROR_MORE_DATA && buffer.size() < kLargestName) {
            buffer.resize(buffer.size() * 4);
            continue;
        }
        // The length the call reports, not the first NUL: a name holding a NUL
        // is kept whole, so that it can be refused rather than taken for
        // another name.
        if (rc == ERROR_SUCCESS)
            name = FromSystemName(
                std::wstring_view(buffer.data(), size < buffer.size() ? size : buffer.size()));
        return rc;
    }
}

// Every subkey or value name of the open key, in enumeration order, until the
// first call that fails.
void ListNames(HKEY key, bool values, TStringList& list) {
    std::string name;
    for (DWORD index = 0; EnumName(key, index, values, name) == ERROR_SUCCESS; ++index)
        list.push_back(name);
}

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// String data as the system keeps it (UTF-16) turned into the log's
// encoding in place, its NULs and terminators kept; size follows.
void ToNameEncodingData(std::vector<char>& data, DWORD& size) {
    std::wstring wide(size / sizeof(wchar_t), L'\0');
    if (!wide.empty()) std::memcpy(&wide[0], data.data(), wide.size() * sizeof(wchar_t));
    const std::string bytes = FromSystemName(wide);
    data.assign(bytes.begin(), bytes.end());
    data.push_back('\0');
    size = static_cast<DWORD>(bytes.size());
}

// Type and data of a value of the open key, whatever its size; string data
// in the log's encoding. The buffer holds one zero byte past the data, so
// string data is always terminated.
bool QueryValue(HKEY key, const std::string& name, DWORD& type, std::vector<char>& data,
                DWORD& size) {
    const std::wstring wideName = ToSystemName(name);
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        size = 0;
        if (RegQueryValueExW(key, wideName.c_str(), nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS)
            return false;
        data.assign(static_cast<std::size_t>(size) + 1, '\0');
        const LONG rc = RegQueryValueExW(key, wideName.c_str(), nullptr, &type,
                                         reinterpret_cast<BYTE*>(data.data()), &size);
        if (rc == ERROR_SUCCESS) {
            if (size >= data.size()) size = static_cast<DWORD>(data.size() - 1);
            data[size] = '\0';
            if (IsStringType(type)) ToNameEncodingData(data, size);
            return true;
        }
        if (rc != ERROR_MORE_DATA) return false;
    }
    return false;
}

// The listing line of one value, or false for a type that is not listed.
bool FormatValueLine(const std::string& name, DWORD type, const std::vector<char>& data,
                     DWORD size, std::string& line) {
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        line = name + "=" + std::string(data.data(), strnlen(data.data(), size));
        return true;
    }
    if (type == REG_DWORD) {
        std::uint32_t number = 0;
        std::memcpy(&number, data.data(), size < sizeof number ? size : sizeof number);
        line = name + "=" + std::to_string(static_cast<std::int32_t>(number));
        return true;
    }
    return false;
}

// Deletes every value of the open key, the names collected before the first
// deletion so that no deletion disturbs the enumeration.
void DeleteAllValues(HKEY key) {
    TStringList names;
    ListNames(key, true, names);
    for (const std::string& name : names) {
        if (!HoldsNul(name)) RegDeleteValueW(key, ToSystemName(name).c_str());
    }
}

using NtDeleteKeyFunction = LONG(NTAPI*)(HANDLE);
using NtStatusToErrorFunction = ULONG(NTAPI*)(LONG);

// NtDeleteKey deletes the very key that a handle was opened on. RegDeleteKeyA
// opens the name once more, following a symbolic link, and would delete the
// link's target instead of the link. Found at run time: ntdll is in every
// process of the NT family; elsewhere there are no registry links.
NtDeleteKeyFunction FindNtDeleteKey() {
    static const NtDeleteKeyFunction function =
        FindFunction<NtDeleteKeyFunction>(GetModuleHandleA("ntdll.dll"), "NtDeleteKey");
    return function;
}

// One key of a tree being deleted: open as itself (a link is not followed),
// with the names of its subkeys as they were when it was opened.
struct TreeKey {
    UniqueHkey Key;
    HKEY Parent = nullptr;  // where Name leads to the key; null for the top key
    std::string Name;
    TStringList Subkeys;
    std::size_t Next = 0;  // the next subkey to open
};

// Deletes an opened key of the tree. Without NtDeleteKey, by its name in
// its parent, where no link can stand in the way.
// False with the system's error as the last error when the key stays.
bool DeleteTreeKey(const TreeKey& item, const TRegistryPath& topParent, TView view) {
    if (const NtDeleteKeyFunction ntDeleteKey = FindNtDeleteKey()) {
        const LONG status = ntDeleteKey(item.Key.get());
        if (status >= 0) return true;
        static const NtStatusToErrorFunction toError = FindFunction<NtStatusToErrorFunction>(
            GetModuleHandleA("ntdll.dll"), "RtlNtStatusToDosError");
        SetLastError(toError != nullptr ? toError(status) : ERROR_ACCESS_DENIED);
        return false;
    }
    const std::wstring name = ToSystemName(item.Name);
    if (item.Parent != nullptr) return Succeeded(RegDeleteKeyW(item.Parent, name.c_str()));
    const UniqueHkey parent = OpenKey(topParent, KEY_WRITE, view);
    return parent && Succeeded(RegDeleteKeyW(parent.get(), name.c_str()));
}

TreeKey OpenTreeKey(UniqueHkey key, HKEY parent, std::string name) {
    TreeKey item{std::move(key), parent, std::move(name), {}, 0};
    ListNames(item.Key.get(), false, item.Subkeys);
    return item;
}

// A key below parent (a root, or an open key), opened as itself in the
// view for a tree deletion; empty when it cannot be opened or its name holds
// a NUL (the call would open another key).
UniqueHkey OpenTreeKeyAsItself(HKEY parent, const std::string& name, TView view) {
    UniqueHkey key;
    if (parent == nullptr || HoldsNul(name)) return key;
    for (const REGSAM access : {kTreeAccess, kEmptyingAccess}) {
        HKEY opened = nullptr;
        if (RegOpenKeyExW(parent, ToSystemName(name).c_str(), REG_OPTION_OPEN_LINK,
                          access | ViewAccess(view),
                          &opened) ==
            ERROR_SUCCESS) {
            key.reset(opened);
            break;
        }
    }
    return key;
}

// Deletes the opened key with everything below it, depth first: each key's
// subkeys, then its values, then the key itself. Iterative, each key opened
// once through its parent's handle and never through a path again, so no
// name can lead the deletion back to a key it has seen or out through a
// symbolic link: a link below the key is deleted as a link. True when the
// top key itself was deleted. Every key is opened in the view of the top.
bool DeleteKeyTree(UniqueHkey top, const TRegistryPath& named, TView view) {
    std::vector<TreeKey> stack;
    stack.push_back(OpenTreeKey(std::move(top), nullptr, named.ValueName));
    bool deleted = false;
    while (!stack.empty()) {
        TreeKey& item = stack.back();
        if (item.Next < item.Subkeys.size() && stack.size() < kMaxTreeDepth) {
            const std::string& name = item.Subkeys[item.Next++];
            UniqueHkey child = OpenTreeKeyAsItself(item.Key.get(), name, view);
            const HKEY parent = item.Key.get();
            if (child) stack.push_back(OpenTreeKey(std::move(child), parent, name));
            continue;
        }
        DeleteAllValues(item.Key.get());
        deleted = DeleteTreeKey(item, named, view);
        stack.pop_back();
    }
    return deleted;
}

}  // namespace

bool SplitRegistryPath(const std::string& path, HKEY& root, std::string& subKey,
                       std::string& valueName) {
    root = nullptr;
    return Guarded(false, [&] {
        TRegistryPath parts = ParseRegistryPath(path);
        root = RootKey(parts.Root);
        subKey = std::move(parts.SubKey);
        valueName = std::move(parts.ValueName);
        return root != nullptr;
    });
}

bool ReadRegistryValue(const std::string& path, void* data, DWORD& size, TView view) {
    return Guarded(false, [&] {
        const TRegistryPath parts = ParseRegistryPath(path);
        const UniqueHkey key = OpenKey(parts, KEY_READ, view);
        DWORD type = REG_NONE;
        std::vector<char> buffer;
        DWORD length = 0;
        if (!key || !QueryValue(key.get(), parts.ValueName, type, buffer, length) ||
            length > size)
            return false;
        if (length > 0) std::memcpy(data, buffer.data(), length);
        size = length;
        return true;
    });
}

std::int32_t ReadRegistryInteger(const std::string& path, std::int32_t def, TView view) {
    // Zero first, so a value of fewer than 4 bytes comes out zero-extended.
    std::uint32_t number = 0;
    DWORD size = sizeof number;
    if (!ReadRegistryValue(path, &number, size, view)) return def;
    return static_cast<std::int32_t>(number);
}

bool WriteRegistryValue(const std::string& path, DWORD type, const void* data, DWORD size,
                        TView view) {
    return Guarded(false, [&] {
        const TRegistryPath parts = ParseRegistryPath(path);
        const HKEY root = RootKey(parts.Root);
        if (root == nullptr) return false;
        const TView own = ViewOf(parts, view);
        if (!ViewExists(own)) return Succeeded(ERROR_FILE_NOT_FOUND);
        UniqueHkey key;
        if (!Succeeded(RegCreateKeyExW(root, ToSystemName(parts.SubKey).c_str(), 0, nullptr, 0,
                                       KEY_SET_VALUE | ViewAccess(own), nullptr, key.put(),
                                       nullptr)))
            return false;
        const std::wstring name = ToSystemName(parts.ValueName);
        if (!IsStringType(type))
            return Succeeded(RegSetValueExW(key.get(), name.c_str(), 0, type,
                                            static_cast<const BYTE*>(data), size));
        const std::wstring text =
            ToSystemName(std::string_view(static_cast<const char*>(data), size));
        return Succeeded(RegSetValueExW(key.get(), name.c_str(), 0, type,
                                        reinterpret_cast<const BYTE*>(text.data()),
                                        static_cast<DWORD>(text.size() * sizeof(wchar_t))));
    });
}

bool WriteRegistryInteger(const std::string& path, std::int32_t value, TView view) {
    const std::uint32_t number = static_cast<std::uint32_t>(value);
    return WriteRegistryValue(path, REG_DWORD, &number, sizeof number, view);
}

bool RegistryValueExists(const std::string& path, TView view) {
    return Guarded(false, [&] {
        const TRegistryPath parts = ParseRegistryPath(path);
        const UniqueHkey key = OpenKey(parts, KEY_READ, view);
        if (!key) return false;
        return RegQueryValueExW(key.get(), ToSystemName(parts.ValueName).c_str(), nullptr,
                                nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    });
}

bool RegistryKeyExists(const std::string& path, TView view) {
    return Guarded(false,
                   [&] { return static_cast<bool>(OpenKey(ParseKeyPath(path), KEY_READ, view)); });
}

bool DeleteRegistryValue(const std::string& path, TView view) {
    return Guarded(false, [&] {
        const TRegistryPath parts = ParseRegistryPath(path);
        const UniqueHkey key = OpenKey(parts, KEY_WRITE, view);
        if (!key) return false;
        return Succeeded(RegDeleteValueW(key.get(), ToSystemName(parts.ValueName).c_str()));
    });
}

bool DeleteRegistryKey(const std::string& path, TView view) {
    return Guarded(false, [&] {
        if (IsProtectedRegistryKey(path)) return false;
        const std::string keyPath = RegistryKeyPath(path);
        const TRegistryPath parts = ParseKeyPath(path);
        // The key's own name is the last component of the path as it was
        // opened, quotes playing no part, so a name holding an unpaired quote
        // is deleted like any other. A path whose last component is empty is
        // refused before anything below it is touched.
        const TRegistryPath named = SplitRegistryKeyName(keyPath);
        if (parts.Root == TRegistryRoot::None || named.Root == TRegistryRoot::None ||
            named.ValueName.empty())
            return false;
        const TView own = ViewOf(parts, view);
        if (!ViewExists(own)) return Succeeded(ERROR_FILE_NOT_FOUND);
        UniqueHkey top = OpenTreeKeyAsItself(RootKey(parts.Root), parts.SubKey, own);
        if (!top) return false;
        return DeleteKeyTree(std::move(top), named, own);
    });
}

bool DeleteRegistryEntry(const std::string& path, TView view) {
    if (Guarded(true, [&] { return IsSharedRegistryValue(path); })) return false;
    if (RegistryValueExists(path, view)) return DeleteRegistryValue(path, view);
    if (RegistryKeyExists(path, view)) return DeleteRegistryKey(path, view);
    return false;
}

bool TRegistryEntryDeleter::OpenKeyOf(const TRegistryPath& parts) {
    const TView own = ViewOf(parts, view_);
    if (key_ && parts.Root == root_ && own == keyView_ && parts.SubKey == subKey_) return true;
    key_.reset();
    if (parts.Root == TRegistryRoot::None) return false;
    key_ = OpenKey(parts, KEY_SET_VALUE, view_);
    root_ = parts.Root;
    keyView_ = own;
    subKey_ = parts.SubKey;
    return static_cast<bool>(key_);
}

bool TRegistryEntryDeleter::Delete(const std::string& path) {
    return Guarded(false, [&] {
        if (IsSharedRegistryValue(path)) return false;
        const TRegistryPath parts = ParseRegistryPath(path);
        if (OpenKeyOf(parts)) {
            const LONG rc = RegDeleteValueW(key_.get(), ToSystemName(parts.ValueName).c_str());
            if (rc == ERROR_SUCCESS) return true;
            // No such value: the path names a key, or nothing.
            if (rc == ERROR_FILE_NOT_FOUND) return DeleteRegistryKey(path, view_);
            // The key went meanwhile, or refuses: the whole way below says
            // what became of the entry.
            key_.reset();
        }
        return DeleteRegistryEntry(path, view_);
    });
}

bool ReadRegistryData(const std::string& path, DWORD& type, std::string& data, TView view) {
    return Guarded(false, [&] {
        const TRegistryPath parts = ParseRegistryPath(path);
        const UniqueHkey key = OpenKey(parts, KEY_READ, view);
        std::vector<char> buffer;
        DWORD size = 0;
        if (!key || !QueryValue(key.get(), parts.ValueName, type, buffer, size)) return false;
        data.assign(buffer.data(), size);
        return true;
    });
}

namespace {

// The names of the key's subkeys, or of its values, into the emptied list.
void ListKeyNames(const std::string& path, bool values, TStringList& list, TView view) {
    list.clear();
    Guarded(false, [&] {
        const UniqueHkey key = OpenKey(ParseRegistryPath(RegistryKeyPath(path)), KEY_READ, view);
        if (key) ListNames(key.get(), values, list);
        return true;
    });
}

}  // namespace

void ListRegistrySubkeys(const std::string& path, TStringList& list, TView view) {
    ListKeyNames(path, false, list, view);
}

void ListRegistryValueNames(const std::string& path, TStringList& list, TView view) {
    ListKeyNames(path, true, list, view);
}

void ListRegistryValues(const std::string& path, TStringList& list, TView view) {
    list.clear();
    Guarded(false, [&] {
        const UniqueHkey key = OpenKey(ParseRegistryPath(RegistryKeyPath(path)), KEY_READ, view);
        if (!key) return false;
        TStringList names;
        ListNames(key.get(), true, names);
        std::vector<char> data;
        std::string line;
        for (const std::string& name : names) {
            DWORD type = REG_NONE;
            DWORD size = 0;
            if (QueryValue(key.get(), name, type, data, size) &&
                FormatValueLine(name, type, data, size, line))
                list.push_back(line);
        }
        return true;
    });
}
