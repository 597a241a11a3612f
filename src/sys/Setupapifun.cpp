#include "sys/Setupapifun.h"

#ifdef _WIN32
#include <windows.h>
#include "sys/Faultpoint.h"

void* AllocZeroed(uint32_t size) {
  return SYS_ZERO("a heap block", HeapAlloc, (::GetProcessHeap(), HEAP_ZERO_MEMORY, size));
}

void FreeBlock(void* block) {
  if (block) ::HeapFree(::GetProcessHeap(), 0, block);
}

#else
// The native build (sanitizers, fuzzer) has no process heap; calloc gives the same contract.
#include <cstdlib>

void* AllocZeroed(uint32_t size) {
  return std::calloc(size ? size : 1, 1);
}

void FreeBlock(void* block) {
  std::free(block);
}

#endif
