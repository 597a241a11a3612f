// The system's own texts for error codes: remote-access codes first, then the message table.
#pragma once
#include <cstdint>
#include <string>

std::string GetRasErrorText(uint32_t code);      // only 600..798
std::string GetSystemErrorText(int32_t code);
