// Built once per locale; the test's environment names the locale and what it should give.
#include <gtest/gtest.h>

#include <cstdlib>

#include "msg/Winlangutil.h"

TEST(LanguageCode, ChosenFromTheSystemLocale) {
  const char* code = std::getenv("TARVO_EXPECT_CODE");
  const char* charset = std::getenv("TARVO_EXPECT_CHARSET");
  const char* langId = std::getenv("TARVO_EXPECT_LANGID");
  ASSERT_TRUE(code && charset && langId);
  EXPECT_EQ(std::strtoul(langId, nullptr, 16), GetSystemLangId());
  EXPECT_EQ(code, GetLanguageCode());
  EXPECT_EQ(code, GetLanguageCode());
  EXPECT_EQ(std::atoi(charset), GetLanguageCharset(GetLanguageCode()));
}
