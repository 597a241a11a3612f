// The redirection trust policy, asked for through a stand-in of SetProcessMitigationPolicy: Wine's
// own accepts anything, and Windows before 10 22H2 refuses the policy or lacks the call.
#include <gtest/gtest.h>

#include "sys/Mitigation.h"

namespace {
int g_calls = 0;
int g_policy = -1;
DWORD g_flags = 0;
SIZE_T g_length = 0;

BOOL WINAPI Accept(int policy, PVOID buffer, SIZE_T length) {
  ++g_calls;
  g_policy = policy;
  g_flags = *static_cast<DWORD*>(buffer);
  g_length = length;
  return TRUE;
}

BOOL WINAPI Refuse(int, PVOID, SIZE_T) {
  ++g_calls;
  ::SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}
}  // namespace

TEST(RedirectionTrust, EnforcedWhereTheSystemTakesItAndNothingElseWhereNot) {
  EXPECT_TRUE(EnforceRedirectionTrustWith(&Accept));
  EXPECT_EQ(1, g_calls);
  EXPECT_EQ(16, g_policy);   // ProcessRedirectionTrustPolicy
  EXPECT_EQ(1u, g_flags);    // EnforceRedirectionTrust, not only the audit
  EXPECT_EQ(sizeof(DWORD), g_length);
  EXPECT_FALSE(EnforceRedirectionTrustWith(&Refuse));
  EXPECT_EQ(2, g_calls);
  EXPECT_FALSE(EnforceRedirectionTrustWith(nullptr));
  EXPECT_EQ(2, g_calls);
  EXPECT_TRUE(EnforceRedirectionTrust());   // Wine's call takes any policy
}
