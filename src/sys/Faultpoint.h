// The one place through which every call that reads or changes the machine passes: files,
// folders, registry, processes, modules, the restart schedule, the log, and the allocations that
// may fail. Each call site is named where it is written ("the key-tree deletion"). A build made
// for the fault walk (TARVO_FAULTS) counts the calls, knows each by its name and site, and makes
// the chosen one fail with the chosen Windows error, once or from then on; the shipped build
// compiles every site to the bare call and its names to nothing.
//
//   LONG r = SYS_REG("the key-tree deletion", RegOpenKeyExW, (parent, name, 0, access, &key));
//
// The shorthands say how the call answers a failure: SYS_ZERO (0, FALSE or null), SYS_INVALID
// (INVALID_HANDLE_VALUE), SYS_ONES (a DWORD of all ones: INVALID_FILE_ATTRIBUTES, WAIT_FAILED),
// SYS_REG (the error itself), SYS_NT (a native status, for a call through a pointer), SYS_NEW (a
// nothrow allocation). The walk and what it does: tests/faults/walk.sh.
#pragma once

#ifdef TARVO_FAULTS
#include <cstdint>

// True when this call is to fail: the chosen error is then the thread's last error too.
bool FaultFires(const char* call, const char* where);
uint32_t FaultError();
long FaultNtStatus();   // the native status that the chosen error stands for
// Marks where the run is, for the walk: the calls after a phase are the ones it makes fail.
void FaultPhase(const char* name);
// The plan as TARVO_FAULT gives it (role|call|where|occurrence|error|transient or persistent), for
// tests in the process itself; empty for none. The counts start again.
void SetFaultPlan(const char* plan);

#define SYS_CALL(fail, call, where, expr) (FaultFires(call, where) ? (fail) : (expr))
#define FAULT_PHASE(name) FaultPhase(name)
#else
// The site's name is only looked at, so that nothing is left unused.
#define SYS_CALL(fail, call, where, expr) (static_cast<void>(where), (expr))
#define FAULT_PHASE(name) static_cast<void>(0)
#endif

#define SYS_ZERO(where, fn, args) SYS_CALL(0, #fn, where, ::fn args)
#define SYS_INVALID(where, fn, args) SYS_CALL(INVALID_HANDLE_VALUE, #fn, where, ::fn args)
#define SYS_ONES(where, fn, args) SYS_CALL(static_cast<DWORD>(-1), #fn, where, ::fn args)
#define SYS_REG(where, fn, args) SYS_CALL(static_cast<LONG>(FaultError()), #fn, where, ::fn args)
#define SYS_NT(where, name, expr) SYS_CALL(FaultNtStatus(), name, where, expr)
// The same for a call through a pointer that the system was asked for, named by the caller.
#define SYS_ZERO_P(where, name, expr) SYS_CALL(0, name, where, expr)
#define SYS_REG_P(where, name, expr) SYS_CALL(static_cast<LONG>(FaultError()), name, where, expr)
#define SYS_NEW(where, ...) SYS_CALL(nullptr, "new", where, new (std::nothrow) __VA_ARGS__)
