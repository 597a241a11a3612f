// The system's own texts for error codes: remote-access codes first, then the message table.
#pragma once
#include <cstdint>
#include <string>

std::string GetRasErrorText(uint32_t code);      // only 600..798
std::string GetSystemErrorText(int32_t code);

// The same lookups over a given remote-access text function (null: the service is absent).
using RasErrorStringFn = unsigned long(__stdcall*)(unsigned int code, char* text,
                                                   unsigned long size);
std::string RasErrorTextFrom(RasErrorStringFn function, uint32_t code);
std::string SystemErrorTextFrom(RasErrorStringFn function, int32_t code);
