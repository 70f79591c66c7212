// Naming the run lock from the log's path.
#include "core/UnVrelRunLock.h"

#include "core/epSha256.h"
#include "core/epTextCase.h"

namespace {

// Local\ is the namespace of the session the run was started in: its user
// and any other user's elevated program there (an administrator's approval
// of the uninstall) see the same objects.
std::string NameFor(std::string_view kind, std::string_view fullLongPath) {
    return "Local\\TamskUninstaller." + std::string(kind) + "." +
           Sha256Hex(UpperCaseAnsi(fullLongPath));
}

}  // namespace

std::string RunLockName(std::string_view fullLongPath) { return NameFor("Run", fullLongPath); }

std::string RunOwnerName(std::string_view fullLongPath) { return NameFor("Owner", fullLongPath); }
