// Owners close on the way out of a failure: what GetLastError says afterwards is the failure's.
#include <gtest/gtest.h>
#include <windows.h>

#include "sys/Fileiofun.h"
#include "sys/Handle.h"

namespace {
const DWORD kCallersError = ERROR_FILE_NOT_FOUND;

// Hands `close` a handle of ours that is closed already, so that closing it again fails and sets
// an error of its own, after a failure of the caller's.
DWORD ErrorAfterClosing(void (*close)(HANDLE stale)) {
  HANDLE stale = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ::CloseHandle(stale);
  ::SetLastError(kCallersError);
  close(stale);
  return ::GetLastError();
}
}  // namespace

TEST(UniqueHandle, AFailingCloseLeavesTheCallersError) {
  // Without an owner the failing close does change it.
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), ErrorAfterClosing([](HANDLE h) { ::CloseHandle(h); }));

  EXPECT_EQ(kCallersError, ErrorAfterClosing([](HANDLE h) {
              UniqueKernelHandle owner(h);
              owner.Reset();
              EXPECT_FALSE(owner);
            }));
  EXPECT_EQ(kCallersError, ErrorAfterClosing([](HANDLE h) { UniqueFile destroyed(h); }));
  EXPECT_EQ(kCallersError, ErrorAfterClosing([](HANDLE h) {
              UniqueKernelHandle target(h);
              target = UniqueKernelHandle();
            }));
  // The platform-free owner of the file primitives, as the catalogue loader holds its file.
  EXPECT_EQ(kCallersError, ErrorAfterClosing([](HANDLE h) { UniqueOpenFile file(h); }));
}
