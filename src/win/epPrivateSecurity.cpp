// Private security descriptors and the elevation of this process.
#include "win/epPrivateSecurity.h"

#include "win/handles.h"

namespace {

// The process token's TOKEN_USER; empty when it cannot be read.
std::vector<unsigned char> ReadTokenUser() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return {};
    const UniqueHandle token(raw);
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    if (size == 0) return {};
    std::vector<unsigned char> user(size);
    if (!GetTokenInformation(token.get(), TokenUser, user.data(), size, &size)) return {};
    return user;
}

std::vector<unsigned char> MakeWellKnownSid(WELL_KNOWN_SID_TYPE type) {
    std::vector<unsigned char> sid(SECURITY_MAX_SID_SIZE);
    DWORD size = static_cast<DWORD>(sid.size());
    if (!CreateWellKnownSid(type, nullptr, sid.data(), &size)) return {};
    sid.resize(size);
    return sid;
}

}  // namespace

bool IsElevatedProcess() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return false;
    const UniqueHandle token(raw);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size) &&
           elevation.TokenIsElevated != 0;
}

TPrivateTo PrivateToForThisProcess() {
    return IsElevatedProcess() ? TPrivateTo::Administrators : TPrivateTo::CurrentUser;
}

TPrivateSecurity::TPrivateSecurity(TPrivateTo who, DWORD access) { built_ = Build(who, access); }

bool TPrivateSecurity::AddSid(PSID sid) {
    if (sid == nullptr || !IsValidSid(sid)) return false;
    const DWORD size = GetLengthSid(sid);
    const auto* bytes = static_cast<const unsigned char*>(sid);
    sids_.emplace_back(bytes, bytes + size);
    return true;
}

bool TPrivateSecurity::Build(TPrivateTo who, DWORD access) {
    if (who == TPrivateTo::CurrentUser) {
        const std::vector<unsigned char> user = ReadTokenUser();
        if (user.empty() || !AddSid(reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid))
            return false;
    } else {
        for (const WELL_KNOWN_SID_TYPE type : {WinBuiltinAdministratorsSid, WinLocalSystemSid}) {
            std::vector<unsigned char> sid = MakeWellKnownSid(type);
            if (sid.empty() || !AddSid(sid.data())) return false;
        }
    }
    DWORD aclSize = sizeof(ACL);
    for (const auto& sid : sids_)
        aclSize += static_cast<DWORD>(sizeof(ACCESS_ALLOWED_ACE) + sid.size());
    acl_.resize(aclSize);
    ACL* acl = reinterpret_cast<ACL*>(acl_.data());
    if (!InitializeAcl(acl, aclSize, ACL_REVISION)) return false;
    for (auto& sid : sids_) {
        if (!AddAccessAllowedAceEx(acl, ACL_REVISION, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE,
                                   access, sid.data()))
            return false;
    }
    if (!InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION)) return false;
    if (!SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE)) return false;
    // Protected: nothing is inherited from the parent's own rules.
    if (!SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED))
        return false;
    attributes_.nLength = sizeof attributes_;
    attributes_.lpSecurityDescriptor = &descriptor_;
    attributes_.bInheritHandle = FALSE;
    return true;
}
