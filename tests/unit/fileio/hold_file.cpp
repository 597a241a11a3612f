// Test helper: opens the file named by its argument without any sharing, says "held" on stdout,
// and keeps it open until its stdin ends.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  HANDLE file = ::CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                              nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    std::printf("failed %lu\n", ::GetLastError());
    std::fflush(stdout);
    return 1;
  }
  std::printf("held\n");
  std::fflush(stdout);
  char buf[64];
  DWORD got = 0;
  HANDLE in = ::GetStdHandle(STD_INPUT_HANDLE);
  while (::ReadFile(in, buf, sizeof buf, &got, nullptr) && got > 0) {
  }
  ::CloseHandle(file);
  return 0;
}
