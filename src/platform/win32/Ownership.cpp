#include "platform/win32/Ownership.h"

#include "platform/win32/WinError.h"

#include <aclapi.h>

#include <vector>

namespace menu::platform::win32 {

namespace {

// This process's user and the default owner of what it makes (the administrators, for an
// elevated administrator), read once.
struct TokenSids {
    std::vector<BYTE> user;
    std::vector<BYTE> owner;

    TokenSids()
    {
        HANDLE token = nullptr;
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
            return;
        const UniqueHandle held(token);
        user = sidOf(token, TokenUser);
        owner = sidOf(token, TokenOwner);
    }
    bool mine(PSID sid) const { return same(sid, user) || same(sid, owner); }

  private:
    static std::vector<BYTE> sidOf(HANDLE token, TOKEN_INFORMATION_CLASS kind)
    {
        DWORD size = 0;
        ::GetTokenInformation(token, kind, nullptr, 0, &size);
        std::vector<BYTE> info(size);
        if (size == 0 || !::GetTokenInformation(token, kind, info.data(), size, &size))
            return {};
        // TOKEN_USER and TOKEN_OWNER both begin with the SID's address.
        PSID sid = kind == TokenUser ? reinterpret_cast<TOKEN_USER *>(info.data())->User.Sid
                                     : reinterpret_cast<TOKEN_OWNER *>(info.data())->Owner;
        std::vector<BYTE> copy(::GetLengthSid(sid));
        if (!::CopySid(static_cast<DWORD>(copy.size()), copy.data(), sid))
            return {};
        return copy;
    }
    static bool same(PSID sid, const std::vector<BYTE> &known)
    {
        return !known.empty() && ::EqualSid(sid, const_cast<BYTE *>(known.data()));
    }
};

const TokenSids &tokenSids()
{
    static const TokenSids sids;
    return sids;
}

bool administration(PSID sid)
{
    return ::IsWellKnownSid(sid, WinLocalSystemSid) ||
           ::IsWellKnownSid(sid, WinBuiltinAdministratorsSid);
}

// The descriptor GetSecurityInfo allocated, freed however the caller ends.
struct Descriptor {
    PSECURITY_DESCRIPTOR value = nullptr;
    Descriptor() = default;
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    ~Descriptor() { ::LocalFree(value); }
};

} // namespace

UniqueHandle openEntry(const QString &path, DWORD access)
{
    return UniqueHandle(::CreateFileW(
        wide(path).c_str(), access | READ_CONTROL,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

Owner ownerOf(HANDLE entry)
{
    PSID owner = nullptr;
    Descriptor descriptor;
    if (::GetSecurityInfo(entry, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                          nullptr, nullptr, &descriptor.value) != ERROR_SUCCESS ||
        owner == nullptr || !::IsValidSid(owner))
        return Owner::Unknown;
    if (tokenSids().mine(owner))
        return Owner::User;
    return administration(owner) ? Owner::Administration : Owner::Other;
}

Owner ownerOf(const QString &path)
{
    const UniqueHandle entry = openEntry(path, 0);
    return entry.valid() ? ownerOf(entry.get()) : Owner::Unknown;
}

bool onlyOwnersAllowed(HANDLE folder)
{
    PACL list = nullptr;
    Descriptor descriptor;
    if (::GetSecurityInfo(folder, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                          &list, nullptr, &descriptor.value) != ERROR_SUCCESS ||
        list == nullptr)
        return false;
    for (DWORD i = 0; i < list->AceCount; ++i) {
        void *entry = nullptr;
        if (!::GetAce(list, i, &entry))
            return false;
        const auto *header = static_cast<const ACE_HEADER *>(entry);
        if (header->AceType == ACCESS_DENIED_ACE_TYPE)
            continue;
        // Any other kind that grants (object, callback) is more than a private folder needs.
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE)
            return false;
        PSID sid = &static_cast<ACCESS_ALLOWED_ACE *>(entry)->SidStart;
        // The owner's rights, and what the creator of an entry inside gets, are this user's.
        if (!tokenSids().mine(sid) && !administration(sid) &&
            !::IsWellKnownSid(sid, WinCreatorOwnerRightsSid) &&
            !::IsWellKnownSid(sid, WinCreatorOwnerSid))
            return false;
    }
    return true;
}

} // namespace menu::platform::win32
