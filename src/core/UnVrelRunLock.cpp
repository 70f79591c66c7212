// Naming the run lock from the log's file identity.
#include "core/UnVrelRunLock.h"

namespace {

std::string NameFor(std::string_view prefix, std::string_view kind, const TFileIdentity& log) {
    return std::string(prefix) + "TamskUninstaller." + std::string(kind) + "." +
           FileIdentityText(log);
}

}  // namespace

std::string RunLockName(std::string_view prefix, const TFileIdentity& log) {
    return NameFor(prefix, "Run", log);
}

std::string RunOwnerName(std::string_view prefix, const TFileIdentity& log) {
    return NameFor(prefix, "Owner", log);
}
