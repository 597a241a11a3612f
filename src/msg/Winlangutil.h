// The program's language, chosen once from the system's default locale, and its font charset.
#pragma once
#include <cstdint>
#include <string>

uint16_t GetSystemLangId();
std::string GetLangAbbrev(uint16_t langId);       // upper-cased three letters, or less
std::string AbbrevToCode(const std::string& abbrev);   // the 160-row table; "ENG" when not found
std::string LangAbbrevToCode(uint16_t langId);
std::string GetLanguageCode();                    // cached for the life of the process
uint8_t GetLanguageCharset(const std::string& code);
