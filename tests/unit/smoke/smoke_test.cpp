#include <gtest/gtest.h>
#include <windows.h>
TEST(Smoke, BuiltInText) {
  char buf[1024] = {};
  EXPECT_EQ(22, LoadStringA(GetModuleHandleA(nullptr), 15001, buf, sizeof buf));
  EXPECT_STREQ("Alocated Memory Fail !", buf);
}
