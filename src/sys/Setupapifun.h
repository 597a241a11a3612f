// Zero-filled blocks from the program's heap, for the catalogue's bytes and table.
#pragma once
#include <cstdint>

#include "sys/Uniquehandle.h"

void* AllocZeroed(uint32_t size);   // null when the heap refuses
void FreeBlock(void* block);        // null is ignored
struct HeapBlockTraits {
  using Type = char*;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type block) noexcept { FreeBlock(block); }
};
using UniqueBlock = UniqueHandle<HeapBlockTraits>;
