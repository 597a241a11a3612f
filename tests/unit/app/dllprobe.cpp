// dllprobe guard|plain NAME: loads NAME the way the program would, with or without the search
// restriction that the program sets first. Exit code 0 when something was loaded.
#include <windows.h>

#include <cstring>

#include "toolkit/Dllsearch.h"

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  if (std::strcmp(argv[1], "guard") == 0) RestrictDllSearchToSystem();
  return ::LoadLibraryA(argv[2]) ? 0 : 1;
}
