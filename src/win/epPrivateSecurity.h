// Security for objects that must be out of reach of other programs: a
// private folder and what it holds, a named object. Who is let in depends on
// the process: an elevated one admits only the Administrators group and the
// system, because the same user's non-elevated programs carry the user's
// account too; any other process admits only its user.
#pragma once

#include <windows.h>

#include <vector>

// True when this process runs with an administrator's full (elevated) token.
bool IsElevatedProcess();

// Who a TPrivateSecurity admits.
enum class TPrivateTo {
    CurrentUser,     // the process's user account
    Administrators,  // the Administrators group and the local system
};

// The private choice for this process: Administrators when elevated.
TPrivateTo PrivateToForThisProcess();

// A security descriptor with a protected DACL (nothing inherited from the
// parent) that allows access (full access to a file or folder unless told
// otherwise) to the chosen accounts alone, inherited by files and folders
// created below.
class TPrivateSecurity {
public:
    explicit TPrivateSecurity(TPrivateTo who, DWORD access = FILE_ALL_ACCESS);
    TPrivateSecurity(const TPrivateSecurity&) = delete;
    TPrivateSecurity& operator=(const TPrivateSecurity&) = delete;

    // The attributes to create an object with (not inheritable); nullptr when
    // they could not be built.
    SECURITY_ATTRIBUTES* get() { return built_ ? &attributes_ : nullptr; }

private:
    bool Build(TPrivateTo who, DWORD access);
    bool AddSid(PSID sid);

    std::vector<std::vector<unsigned char>> sids_;
    std::vector<unsigned char> acl_;
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{};
    bool built_ = false;
};
