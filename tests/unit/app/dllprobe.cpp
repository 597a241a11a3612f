// dllprobe guard|plain|bypath NAME: loads NAME the way the program would, with or without the
// search restriction that the program sets first, or by the system folder's full path as it does
// where the restriction is missing. Exit code 0 when something was loaded.
#include <windows.h>

#include <cstring>

#include "sys/Syslibrary.h"
#include "toolkit/Dllsearch.h"

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  if (std::strcmp(argv[1], "bypath") == 0) return LoadSystemLibraryByPath(argv[2]) ? 0 : 1;
  if (std::strcmp(argv[1], "guard") == 0) RestrictDllSearchToSystem();
  return ::LoadLibraryA(argv[2]) ? 0 : 1;
}
