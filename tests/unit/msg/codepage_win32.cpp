#include <windows.h>

#include "unit/msg/CatalogueBytes.h"

// The test run's locale chooses the code page (LC_ALL=ja_JP.UTF-8 gives 932 under Wine).
int SelectShiftJis() {
  return static_cast<int>(::GetACP());
}
