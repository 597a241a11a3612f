// The built-in English texts, a string-table resource of the program.
#pragma once
#include <cstdint>
#include <string>

// The text of the identifier (at most 1023 bytes), or the empty text.
std::string GetBuiltinText(int32_t identifier);
