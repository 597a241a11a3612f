#include <windows.h>

#include "msg/Clwinmsglist.h"

bool SystemIsLeadByte(unsigned char byte) {
  return ::IsDBCSLeadByte(byte) != FALSE;
}
