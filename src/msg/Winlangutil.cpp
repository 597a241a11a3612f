#include "msg/Winlangutil.h"

#include <windows.h>

#include <cstring>

#include "sys/Asciicase.h"

namespace {

struct AbbrevRow {
  char abbrev[4];
  char code[4];
};

// Compared in this order, first equal row wins (AZE and UZB stand twice; the second never counts).
const AbbrevRow kAbbrevRows[] = {
    {"AFK", "ENG"}, {"ARA", "ENG"}, {"ARB", "ENG"}, {"ARE", "ENG"}, {"ARG", "ENG"}, {"ARH", "ENG"},
    {"ARI", "ENG"}, {"ARJ", "ENG"}, {"ARK", "ENG"}, {"ARL", "ENG"}, {"ARM", "ENG"}, {"ARO", "ENG"},
    {"ARQ", "ENG"}, {"ARS", "ENG"}, {"ART", "ENG"}, {"ARU", "ENG"}, {"ARY", "ENG"}, {"AZE", "ENG"},
    {"AZE", "ENG"}, {"BEL", "ENG"}, {"BGR", "ENG"}, {"BNG", "ENG"}, {"BSB", "ENG"}, {"CAT", "ENG"},
    {"CHS", "CHS"}, {"CHT", "CHT"}, {"CSY", "ENG"}, {"CYM", "ENG"}, {"DAN", "ENG"}, {"DEA", "DEU"},
    {"DEC", "DEU"}, {"DEL", "DEU"}, {"DES", "DEU"}, {"DEU", "DEU"}, {"DIV", "ENG"}, {"ELL", "ENG"},
    {"ENA", "ENG"}, {"ENB", "ENG"}, {"ENC", "ENG"}, {"ENG", "ENG"}, {"ENI", "ENG"}, {"ENJ", "ENG"},
    {"ENL", "ENG"}, {"ENP", "ENG"}, {"ENS", "ENG"}, {"ENT", "ENG"}, {"ENU", "ENG"}, {"ENW", "ENG"},
    {"ENZ", "ENG"}, {"ESA", "ESN"}, {"ESB", "ESN"}, {"ESC", "ESN"}, {"ESD", "ESN"}, {"ESE", "ESN"},
    {"ESF", "ESN"}, {"ESG", "ESN"}, {"ESH", "ESN"}, {"ESI", "ESN"}, {"ESL", "ESN"}, {"ESM", "ESN"},
    {"ESN", "ESN"}, {"ESO", "ESN"}, {"ESP", "ESN"}, {"ESR", "ESN"}, {"ESS", "ESN"}, {"ESU", "ESN"},
    {"ESV", "ESN"}, {"ESY", "ESN"}, {"ESZ", "ESN"}, {"ETI", "ENG"}, {"EUQ", "ENG"}, {"FAR", "ENG"},
    {"FIN", "ENG"}, {"FOS", "ENG"}, {"FRA", "FRA"}, {"FRB", "FRA"}, {"FRC", "FRA"}, {"FRL", "FRA"},
    {"FRM", "FRA"}, {"FRS", "FRA"}, {"GLC", "ENG"}, {"GUJ", "ENG"}, {"HEB", "ENG"}, {"HIN", "ENG"},
    {"HRB", "ENG"}, {"HRV", "ENG"}, {"HUN", "ENG"}, {"HYE", "ENG"}, {"IND", "ENG"}, {"ISL", "ENG"},
    {"ITA", "ITA"}, {"ITS", "ITA"}, {"JPN", "JPN"}, {"KAN", "ENG"}, {"KAT", "ENG"}, {"KKZ", "ENG"},
    {"KNK", "ENG"}, {"KOR", "KOR"}, {"KYR", "ENG"}, {"LTH", "ENG"}, {"LVI", "ENG"}, {"MAR", "ENG"},
    {"MKI", "ENG"}, {"MLT", "ENG"}, {"MON", "ENG"}, {"MRI", "ENG"}, {"MSB", "ENG"}, {"MSL", "ENG"},
    {"MYM", "ENG"}, {"NLB", "ENG"}, {"NLD", "ENG"}, {"NON", "ENG"}, {"NOR", "ENG"}, {"NSO", "ENG"},
    {"PAN", "ENG"}, {"PLK", "ENG"}, {"PTB", "PTG"}, {"PTG", "PTG"}, {"QUB", "ENG"}, {"QUE", "ENG"},
    {"QUP", "ENG"}, {"ROM", "ENG"}, {"RUS", "ENG"}, {"SAN", "ENG"}, {"SKY", "ENG"}, {"SLV", "ENG"},
    {"SMA", "ENG"}, {"SMB", "ENG"}, {"SME", "ENG"}, {"SMF", "ENG"}, {"SMG", "ENG"}, {"SMJ", "ENG"},
    {"SMK", "ENG"}, {"SMN", "ENG"}, {"SMS", "ENG"}, {"SQI", "ENG"}, {"SRB", "ENG"}, {"SRL", "ENG"},
    {"SRN", "ENG"}, {"SRS", "ENG"}, {"SVE", "ENG"}, {"SVF", "ENG"}, {"SWK", "ENG"}, {"SYR", "ENG"},
    {"TAM", "ENG"}, {"TEL", "ENG"}, {"THA", "ENG"}, {"TRK", "TRK"}, {"TSN", "ENG"}, {"TTT", "ENG"},
    {"UKR", "ENG"}, {"URD", "ENG"}, {"UZB", "ENG"}, {"UZB", "ENG"}, {"VIT", "ENG"}, {"XHO", "ENG"},
    {"ZHH", "CHT"}, {"ZHI", "CHS"}, {"ZHM", "CHT"}, {"ZUL", "ENG"},
};
static_assert(sizeof kAbbrevRows / sizeof kAbbrevRows[0] == 160, "every abbreviation row");

uint16_t g_langId = 0;
char g_languageCode[4] = {};

}  // namespace

uint16_t GetSystemLangId() {
  if (g_langId == 0) g_langId = static_cast<uint16_t>(::GetSystemDefaultLCID() & 0xFFFF);
  return g_langId;
}

std::string GetLangAbbrev(uint16_t langId) {
  char name[4] = {};
  // Not tested: a locale without a name leaves the buffer empty, which matches no row.
  ::GetLocaleInfoA(static_cast<LCID>(langId), LOCALE_SABBREVLANGNAME, name, sizeof name);
  name[3] = '\0';
  return UpperAscii(name);
}

std::string AbbrevToCode(const std::string& abbrev) {
  for (const AbbrevRow& row : kAbbrevRows) {
    if (abbrev == row.abbrev) return row.code;
  }
  return "ENG";
}

std::string LangAbbrevToCode(uint16_t langId) { return AbbrevToCode(GetLangAbbrev(langId)); }

std::string GetLanguageCode() {
  if (g_languageCode[0] == '\0') {
    std::string code = LangAbbrevToCode(GetSystemLangId());
    std::memset(g_languageCode, 0, sizeof g_languageCode);
    std::memcpy(g_languageCode, code.c_str(), code.size() < 3 ? code.size() : 3);
  }
  return std::string(g_languageCode, 3);
}

uint8_t GetLanguageCharset(const std::string& code) {
  if (code == "CHT") return CHINESEBIG5_CHARSET;
  if (code == "CHS") return GB2312_CHARSET;
  if (code == "JPN") return SHIFTJIS_CHARSET;
  if (code == "KOR") return HANGEUL_CHARSET;
  if (code == "TRK") return TURKISH_CHARSET;
  return DEFAULT_CHARSET;   // English and the other western codes, and anything unknown
}
