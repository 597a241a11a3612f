#include "sys/Mitigation.h"

#include "sys/Syslibrary.h"

namespace {
const int kProcessRedirectionTrustPolicy = 16;
const DWORD kEnforceRedirectionTrust = 0x1;   // PROCESS_MITIGATION_REDIRECTION_TRUST_POLICY
}  // namespace

bool EnforceRedirectionTrustWith(TSetMitigationPolicyFn set) {
  if (!set) return false;
  DWORD flags = kEnforceRedirectionTrust;
  return set(kProcessRedirectionTrustPolicy, &flags, sizeof flags) != FALSE;
}

bool EnforceRedirectionTrust() {
  return EnforceRedirectionTrustWith(
      GetSystemProc<TSetMitigationPolicyFn>(::GetModuleHandleA("kernel32.dll"), "SetProcessMitigationPolicy"));
}
