#include "removal/Privatefolder.h"

#include <windows.h>
#include <new>
#include <vector>
#include "sys/Faultpoint.h"
#include "sys/Handle.h"
#include "sys/Pathutil.h"
#include "sys/Syslibrary.h"
#include "sys/Sysutil.h"

namespace {

// Looked up at run time: the 9x family's advapi32 need not have them, and there they are not
// needed.
using InitializeSecurityDescriptorFn = BOOL(WINAPI*)(PSECURITY_DESCRIPTOR, DWORD);
using SetSecurityDescriptorDaclFn = BOOL(WINAPI*)(PSECURITY_DESCRIPTOR, BOOL, PACL, BOOL);
using AllocateAndInitializeSidFn = BOOL(WINAPI*)(PSID_IDENTIFIER_AUTHORITY, BYTE, DWORD, DWORD, DWORD,
                                                 DWORD, DWORD, DWORD, DWORD, DWORD, PSID*);
using FreeSidFn = PVOID(WINAPI*)(PSID);
using GetLengthSidFn = DWORD(WINAPI*)(PSID);
using EqualSidFn = BOOL(WINAPI*)(PSID, PSID);
using InitializeAclFn = BOOL(WINAPI*)(PACL, DWORD, DWORD);
using AddAccessAllowedAceFn = BOOL(WINAPI*)(PACL, DWORD, DWORD, PSID);
using GetAceFn = BOOL(WINAPI*)(PACL, DWORD, LPVOID*);
using OpenProcessTokenFn = BOOL(WINAPI*)(HANDLE, DWORD, PHANDLE);
using GetTokenInformationFn = BOOL(WINAPI*)(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD, PDWORD);

struct Security {
  InitializeSecurityDescriptorFn initializeSd;
  SetSecurityDescriptorDaclFn setDacl;
  AllocateAndInitializeSidFn allocateSid;
  FreeSidFn freeSid;
  GetLengthSidFn lengthSid;
  EqualSidFn equalSid;
  InitializeAclFn initializeAcl;
  AddAccessAllowedAceFn addAce;
  GetAceFn getAce;
  OpenProcessTokenFn openToken;
  GetTokenInformationFn tokenInfo;

  UniqueModule module;

  Security() : module(LoadSystemLibrary("advapi32.dll")) {
    HMODULE a = module.Get();
    initializeSd = GetSystemProc<InitializeSecurityDescriptorFn>(a, "InitializeSecurityDescriptor");
    setDacl = GetSystemProc<SetSecurityDescriptorDaclFn>(a, "SetSecurityDescriptorDacl");
    allocateSid = GetSystemProc<AllocateAndInitializeSidFn>(a, "AllocateAndInitializeSid");
    freeSid = GetSystemProc<FreeSidFn>(a, "FreeSid");
    lengthSid = GetSystemProc<GetLengthSidFn>(a, "GetLengthSid");
    equalSid = GetSystemProc<EqualSidFn>(a, "EqualSid");
    initializeAcl = GetSystemProc<InitializeAclFn>(a, "InitializeAcl");
    addAce = GetSystemProc<AddAccessAllowedAceFn>(a, "AddAccessAllowedAce");
    getAce = GetSystemProc<GetAceFn>(a, "GetAce");
    openToken = GetSystemProc<OpenProcessTokenFn>(a, "OpenProcessToken");
    tokenInfo = GetSystemProc<GetTokenInformationFn>(a, "GetTokenInformation");
  }
  bool Complete() const {
    return initializeSd && setDacl && allocateSid && freeSid && lengthSid && equalSid && initializeAcl &&
           addAce && getAce && openToken && tokenInfo;
  }
};

// A SID from AllocateAndInitializeSid, freed with FreeSid.
class OwnedSid {
public:
  OwnedSid(const Security& s, DWORD first, DWORD second, BYTE count) : s_(s) {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    if (!s_.allocateSid(&nt, count, first, second, 0, 0, 0, 0, 0, 0, &sid_)) sid_ = nullptr;
  }
  ~OwnedSid() {
    if (sid_) s_.freeSid(sid_);
  }
  OwnedSid(const OwnedSid&) = delete;
  OwnedSid& operator=(const OwnedSid&) = delete;
  PSID Get() const { return sid_; }

private:
  const Security& s_;
  PSID sid_ = nullptr;
};

std::vector<BYTE> TokenInfo(const Security& s, HANDLE token, TOKEN_INFORMATION_CLASS what) {
  DWORD size = 0;
  const char where[] = "the private folder's rights";
  SYS_ZERO_P(where, "GetTokenInformation", s.tokenInfo(token, what, nullptr, 0, &size));
  std::vector<BYTE> info(size ? size : 1);
  if (!size || !SYS_ZERO_P(where, "GetTokenInformation", s.tokenInfo(token, what, info.data(), size, &size)))
    info.clear();
  return info;
}

// The DACL of the new folder: full access for each SID, passed on to what it will hold.
class FolderAcl {
public:
  bool GrantAll(const Security& s, const std::vector<PSID>& sids) {
    DWORD size = sizeof(ACL);
    for (PSID sid : sids) size += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + s.lengthSid(sid);
    buffer_.assign(size, 0);
    PACL acl = Get();
    if (!s.initializeAcl(acl, size, ACL_REVISION)) return false;
    for (DWORD i = 0; i < sids.size(); ++i) {
      if (!s.addAce(acl, ACL_REVISION, FILE_ALL_ACCESS, sids[i])) return false;
      // AddAccessAllowedAceEx came with Windows 2000: the inheritance flags are set by hand.
      void* ace = nullptr;
      if (!s.getAce(acl, i, &ace)) return false;
      static_cast<ACE_HEADER*>(ace)->AceFlags |= OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
    }
    return true;
  }
  PACL Get() { return reinterpret_cast<PACL>(buffer_.data()); }

private:
  std::vector<BYTE> buffer_;
};

// Administrators, SYSTEM, and the user when the token does not hold the Administrators group.
bool BuildAcl(const Security& s, FolderAcl& acl) {
  OwnedSid admins(s, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 2);
  OwnedSid system(s, SECURITY_LOCAL_SYSTEM_RID, 0, 1);
  if (!admins.Get() || !system.Get()) return false;
  std::vector<PSID> sids = {admins.Get(), system.Get()};

  UniqueKernelHandle token;
  if (!SYS_ZERO_P("the private folder's rights", "OpenProcessToken",
                  s.openToken(::GetCurrentProcess(), TOKEN_QUERY, token.Put())))
    return false;
  std::vector<BYTE> groupsInfo = TokenInfo(s, token.Get(), TokenGroups);
  std::vector<BYTE> userInfo = TokenInfo(s, token.Get(), TokenUser);
  if (groupsInfo.empty() || userInfo.empty()) return false;
  const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(groupsInfo.data());
  bool admin = false;
  for (DWORD i = 0; i < groups->GroupCount; ++i)
    if ((groups->Groups[i].Attributes & SE_GROUP_ENABLED) && s.equalSid(groups->Groups[i].Sid, admins.Get()))
      admin = true;
  if (!admin) sids.push_back(reinterpret_cast<const TOKEN_USER*>(userInfo.data())->User.Sid);
  return acl.GrantAll(s, sids);
}

// A name hard to guess in advance; one that is taken is skipped, never reused.
DWORD NextName(DWORD seed) {
  seed ^= seed << 13;
  seed ^= seed >> 17;
  seed ^= seed << 5;
  return seed;
}

}  // namespace

struct TPrivateFolderSecurity::Parts {
  bool nt = false;
  bool built = false;
  FolderAcl acl;
  SECURITY_DESCRIPTOR sd;
  SECURITY_ATTRIBUTES sa = {sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
};

TPrivateFolderSecurity::TPrivateFolderSecurity() : parts_(SYS_NEW("the private folder's rights", Parts)) {
  if (!parts_) return;
  parts_->nt = IsNtMachine();
  if (!parts_->nt) return;
  Security s;
  parts_->built = s.Complete() && BuildAcl(s, parts_->acl) &&
                  s.initializeSd(&parts_->sd, SECURITY_DESCRIPTOR_REVISION) &&
                  s.setDacl(&parts_->sd, TRUE, parts_->acl.Get(), FALSE);
  parts_->sa.lpSecurityDescriptor = &parts_->sd;
}

TPrivateFolderSecurity::~TPrivateFolderSecurity() = default;

bool TPrivateFolderSecurity::Usable() const { return parts_ && (!parts_->nt || parts_->built); }

SECURITY_ATTRIBUTES* TPrivateFolderSecurity::Attributes() {
  return Usable() && parts_->nt ? &parts_->sa : nullptr;
}

PACL TPrivateFolderSecurity::Dacl() { return Usable() && parts_->nt ? parts_->acl.Get() : nullptr; }

TFreshNames::TFreshNames() {
  LARGE_INTEGER counter = {};
  ::QueryPerformanceCounter(&counter);
  seed_ = ::GetTickCount() ^ (::GetCurrentProcessId() << 16) ^ counter.LowPart;
}

std::string TFreshNames::Next() {
  seed_ = NextName(seed_ ? seed_ : 0x9E3779B9u);
  char leaf[16];
  ::wsprintfA(leaf, "TVU%08lX", static_cast<unsigned long>(seed_));
  return leaf;
}

std::string MakePrivateFolder(const std::string& under) {
  if (under.empty()) return std::string();
  TPrivateFolderSecurity security;
  if (!security.Usable()) return std::string();
  TFreshNames names;
  std::string base = WithoutTrailingBackslashes(under, 3);
  if (!EndsWithBackslash(base)) base += "\\";
  for (int attempt = 0; attempt < 64; ++attempt) {
    std::string path = base + names.Next();
    if (SYS_ZERO("the private folder", CreateDirectoryA, (path.c_str(), security.Attributes()))) return path;
    if (::GetLastError() != ERROR_ALREADY_EXISTS) return std::string();
  }
  return std::string();
}
