// Windows 10 22H2 and 11 can refuse, for one process, to follow junctions that someone other than
// an administrator made (the redirection trust policy). The program asks for it at its start, the
// copy that removes its file too: a third line behind the checks of its own removals.
#pragma once
#include <windows.h>

using TSetMitigationPolicyFn = BOOL(WINAPI*)(int policy, PVOID buffer, SIZE_T length);

// Turns the enforcement on through `set`; false when there is no such call or the system refused
// (one that does not know the policy). Nothing else depends on the answer.
bool EnforceRedirectionTrustWith(TSetMitigationPolicyFn set);
// The same through the system's SetProcessMitigationPolicy, where kernel32 has it.
bool EnforceRedirectionTrust();
