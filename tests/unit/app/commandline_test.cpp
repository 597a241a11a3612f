// The command line as deployment tools and users write it.
#include <gtest/gtest.h>

#include "app/Commandline.h"

namespace {
struct Case {
  const char* arguments;
  bool understood, silent, help;
  const char* log;        // null: no /LOG
  const char* rejected;
};

const Case kCases[] = {
    {"", true, false, false, nullptr, ""},
    {"/S", true, true, false, nullptr, ""},
    {" \t/s  ", true, true, false, nullptr, ""},
    {"/LOG=C:\\u.log /S", true, true, false, "C:\\u.log", ""},
    {"/log=\"C:\\My Logs\\u.log\"", true, false, false, "C:\\My Logs\\u.log", ""},
    {"\"/LoG=C:\\My Logs\\u.log\" /S", true, true, false, "C:\\My Logs\\u.log", ""},
    {"/?", true, false, true, nullptr, ""},
    {"/S /S", true, true, false, nullptr, ""},
    // Not understood; /S is still seen, wherever it stands, so that no box comes up.
    {"/X /S", false, true, false, nullptr, "/X"},
    {"/S /X /Y", false, true, false, nullptr, "/X"},
    {"/LOG=", false, false, false, nullptr, "/LOG="},
    {"/LOG=\"\"", false, false, false, nullptr, "/LOG="},
    {"/LOG", false, false, false, nullptr, "/LOG"},
    {"/S=1", false, false, false, nullptr, "/S=1"},
    {"/LOG=a /LOG=b", false, false, false, "a", "/LOG=b"},
    {"S", false, false, false, nullptr, "S"},
    {"-S", false, false, false, nullptr, "-S"},
    {"/SILENT", false, false, false, nullptr, "/SILENT"},
    {"/", false, false, false, nullptr, "/"},
    {"\"\"", false, false, false, nullptr, ""},
};
}  // namespace

TEST(CommandLine, SwitchesValuesAndWhatIsNotUnderstood) {
  for (const Case& c : kCases) {
    TCommandLine line = ParseCommandLine(c.arguments);
    SCOPED_TRACE(c.arguments);
    EXPECT_EQ(c.understood, line.Understood);
    EXPECT_EQ(c.silent, line.Silent);
    EXPECT_EQ(c.help, line.Help);
    EXPECT_EQ(c.log != nullptr, line.HasLog);
    EXPECT_EQ(c.log ? c.log : "", line.LogFile);
    EXPECT_EQ(c.rejected, line.Rejected);
  }
}
