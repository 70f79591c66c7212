// Fuzz target for the registry path grammar: no input may crash or read
// outside its string, and the split keeps its cheap invariants.
#include "core/epRegPath.h"

#include "FuzzSupport.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void CheckSplit(std::string_view path) {
    const std::size_t separator = FindRegistrySeparator(path);
    Require(separator <= path.size());
    if (separator > 0) Require(path[separator - 1] == '\\');

    const TRegistryPath parts = ParseRegistryPath(path);
    Require(parts.SubKey.size() + parts.ValueName.size() <= path.size());
    if (separator == 0) Require(parts.Root == TRegistryRoot::None);
    if (parts.Root != TRegistryRoot::None) {
        Require(path.substr(0, separator - 1).find(parts.SubKey) != std::string_view::npos);
    }
    if (separator == path.size() || path[separator] != '\'') {
        Require(parts.ValueName == path.substr(separator));
    }
}

void CheckKeyPath(std::string_view path) {
    const std::string keyPath = RegistryKeyPath(path);
    Require(keyPath.empty() || keyPath.back() == '\\');
    Require(keyPath.size() <= path.size() + 1);

    const TRegistryPath key = ParseRegistryPath(keyPath);
    Require(key.ValueName.empty());
    if (key.Root != TRegistryRoot::None) Require(FindRegistrySeparator(keyPath) == keyPath.size());

    const TRegistryPath named = SplitRegistryKeyName(keyPath);
    Require(named.ValueName.find('\\') == std::string::npos);
    // A key that is not a root always has a parent to be deleted from.
    if (key.Root != TRegistryRoot::None && !NamesRootKey(key)) Require(named.Root == key.Root);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view path(reinterpret_cast<const char*>(data), size);
    CheckSplit(path);
    CheckKeyPath(path);
    return 0;
}
