#include <gtest/gtest.h>

#include <map>

#include "msg/Winlangutil.h"

TEST(AbbrevToCode, EveryThreeLetterNameMapsByTheTable) {
  const std::map<std::string, std::string> supported = {
      {"CHS", "CHS"}, {"ZHI", "CHS"}, {"CHT", "CHT"}, {"ZHH", "CHT"}, {"ZHM", "CHT"},
      {"DEA", "DEU"}, {"DEC", "DEU"}, {"DEL", "DEU"}, {"DES", "DEU"}, {"DEU", "DEU"},
      {"ESA", "ESN"}, {"ESB", "ESN"}, {"ESC", "ESN"}, {"ESD", "ESN"}, {"ESE", "ESN"},
      {"ESF", "ESN"}, {"ESG", "ESN"}, {"ESH", "ESN"}, {"ESI", "ESN"}, {"ESL", "ESN"},
      {"ESM", "ESN"}, {"ESN", "ESN"}, {"ESO", "ESN"}, {"ESP", "ESN"}, {"ESR", "ESN"},
      {"ESS", "ESN"}, {"ESU", "ESN"}, {"ESV", "ESN"}, {"ESY", "ESN"}, {"ESZ", "ESN"},
      {"FRA", "FRA"}, {"FRB", "FRA"}, {"FRC", "FRA"}, {"FRL", "FRA"}, {"FRM", "FRA"},
      {"FRS", "FRA"}, {"ITA", "ITA"}, {"ITS", "ITA"}, {"JPN", "JPN"}, {"KOR", "KOR"},
      {"PTB", "PTG"}, {"PTG", "PTG"}, {"TRK", "TRK"}};
  // Every other name, the 117 English-mapped rows (AZE, UZB, RUS, ...) among them, gives ENG.
  std::string name = "AAA";
  for (name[0] = 'A'; name[0] <= 'Z'; ++name[0])
    for (name[1] = 'A'; name[1] <= 'Z'; ++name[1])
      for (name[2] = 'A'; name[2] <= 'Z'; ++name[2]) {
        auto it = supported.find(name);
        ASSERT_EQ(it == supported.end() ? "ENG" : it->second, AbbrevToCode(name)) << name;
      }
  EXPECT_EQ("ENG", AbbrevToCode(""));
  EXPECT_EQ("ENG", AbbrevToCode("jpn"));
  EXPECT_EQ("ENG", AbbrevToCode("JPNX"));
  EXPECT_EQ("ENG", AbbrevToCode("JP"));
}

// Only the exact code has its character set: anything near it gets the default.
TEST(LanguageCharset, OnlyTheExactCode) {
  EXPECT_EQ(128, GetLanguageCharset("JPN"));
  for (const char* near : {"jpn", "", "XYZ", "CHT ", "JP"}) EXPECT_EQ(1, GetLanguageCharset(near)) << near;
}

TEST(LangAbbrevToCode, LocalesOtherThanTheSystems) {
  EXPECT_EQ("ZHH", GetLangAbbrev(0x0C04));
  EXPECT_EQ("CHT", LangAbbrevToCode(0x0C04));   // Chinese (Hong Kong)
  EXPECT_EQ("CHS", LangAbbrevToCode(0x1004));   // Chinese (Singapore)
  EXPECT_EQ("CHT", LangAbbrevToCode(0x1404));   // Chinese (Macao)
  EXPECT_EQ("PTG", LangAbbrevToCode(0x0416));   // Portuguese (Brazil)
  EXPECT_EQ("DEU", LangAbbrevToCode(0x0C07));   // German (Austria)
  EXPECT_EQ("ESN", LangAbbrevToCode(0x080A));   // Spanish (Mexico)
  for (uint16_t id : {0x0419, 0x0401, 0x0408, 0x040D, 0x0809}) {   // ru, ar, el, he, en-GB
    EXPECT_EQ("ENG", LangAbbrevToCode(id)) << std::hex << id;
  }
}
