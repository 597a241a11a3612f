// Zero-filled blocks from the program's heap, for the catalogue's bytes and table.
#pragma once
#include <cstdint>

void* AllocZeroed(uint32_t size);   // null when the heap refuses
void FreeBlock(void* block);        // null is ignored
