#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <string>

#include "toolkit/Exception.h"

namespace {

template <typename F>
std::string MessageOfToolkitException(F f) {
  try {
    f();
  } catch (const Exception& e) {
    return e.Message();
  } catch (...) {
    return "<another exception>";
  }
  return "<none>";
}

TEST(CxxRuntime, LibraryErrorsBecomeToolkitExceptionsWithTheirText) {
  std::string s = "abc";
  // The library's own wording is kept (a range error keeps its unexpanded format).
  EXPECT_NE(std::string::npos, MessageOfToolkitException([&] { (void)s.substr(10); }).find("__pos"));
  EXPECT_NE(std::string::npos,
            MessageOfToolkitException([] { std::string(static_cast<const char*>(nullptr)); })
                .find("basic_string"));
  EXPECT_NE(std::string::npos,
            MessageOfToolkitException([&] { s.reserve(s.max_size() + 1); }).find("basic_string"));
  std::function<void()> empty;
  EXPECT_EQ("bad function call", MessageOfToolkitException([&] { empty(); }));
}

TEST(CxxRuntime, AllocationFailureStaysBadAlloc) {
  bool badAlloc = false;
  try {
    std::string huge;
    huge.reserve(huge.max_size() / 2);
    huge.reserve(huge.max_size() - 1);   // no heap holds this
  } catch (const std::bad_alloc&) {
    badAlloc = true;
  } catch (...) {
  }
  EXPECT_TRUE(badAlloc);
}

}  // namespace
