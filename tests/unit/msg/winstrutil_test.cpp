#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <vector>

#include "msg/Winstrutil.h"

namespace {

std::vector<unsigned> g_asked;
unsigned long g_size = 0;

// Knows every remote-access code but 700, for which it fails.
unsigned long __stdcall FakeRasText(unsigned int code, char* text, unsigned long size) {
  g_asked.push_back(code);
  g_size = size;
  if (code == 700) return 1;
  if (code == 777) {   // fills the whole block without a terminator
    std::memset(text, 'x', size);
    return 0;
  }
  lstrcpyA(text, ("RAS " + std::to_string(code)).c_str());
  return 0;
}

std::string MessageTable(DWORD code) {
  char* text = nullptr;
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                     FORMAT_MESSAGE_ALLOCATE_BUFFER,
                 nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
  std::string result = text ? text : "";
  LocalFree(text);
  return result;
}

}  // namespace

TEST(SystemErrorText, RemoteAccessServiceIsAskedFor600To798Only) {
  g_asked.clear();
  EXPECT_EQ("RAS 600", SystemErrorTextFrom(&FakeRasText, 600));
  EXPECT_EQ("RAS 798", SystemErrorTextFrom(&FakeRasText, 798));
  EXPECT_EQ(512u, g_size);
  EXPECT_EQ(MessageTable(599), SystemErrorTextFrom(&FakeRasText, 599));
  EXPECT_EQ(MessageTable(799), SystemErrorTextFrom(&FakeRasText, 799));
  // With the top bit set the code is huge, not below 600.
  std::string notFound = SystemErrorTextFrom(&FakeRasText, static_cast<int32_t>(0x80070002));
  EXPECT_EQ(MessageTable(0x80070002), notFound);
  EXPECT_FALSE(notFound.empty());
  EXPECT_EQ((std::vector<unsigned>{600, 798}), g_asked);
}

TEST(SystemErrorText, FailedOrMissingServiceFallsThroughWithTheSameCode) {
  g_asked.clear();
  // The message table's answer for 700, whatever it is (Wine has none, Windows one).
  EXPECT_EQ(MessageTable(700), SystemErrorTextFrom(&FakeRasText, 700));
  EXPECT_EQ((std::vector<unsigned>{700}), g_asked);
  EXPECT_EQ(MessageTable(600), SystemErrorTextFrom(nullptr, 600));
  EXPECT_EQ(std::string(511, 'x'), RasErrorTextFrom(&FakeRasText, 777));
}

TEST(SystemErrorText, MessageTableTextIsTakenWhole) {
  std::string success = GetSystemErrorText(0);
  ASSERT_GT(success.size(), 2u);
  EXPECT_EQ("\r\n", success.substr(success.size() - 2));
  EXPECT_EQ("", GetSystemErrorText(15302));   // Wine's table has nothing there
  EXPECT_EQ("", GetSystemErrorText(static_cast<int32_t>(0x80000000)));
  EXPECT_EQ("", GetRasErrorText(599));
  EXPECT_EQ("", GetRasErrorText(799));
}
