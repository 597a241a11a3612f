// The command line as deployment tools and users write it.
#include <gtest/gtest.h>

#include "app/Commandline.h"

namespace {
struct Case {
  const char* arguments;
  bool understood, silent, help;
  const char* log;        // null: no /LOG
  const char* ignored;    // what was not understood, joined by "|"
};

const Case kCases[] = {
    {"", true, false, false, nullptr, ""},
    {"/S", true, true, false, nullptr, ""},
    {" \t/s  ", true, true, false, nullptr, ""},
    {"/LOG=C:\\u.log /S", true, true, false, "C:\\u.log", ""},
    {"/log=\"C:\\My Logs\\u.log\"", true, false, false, "C:\\My Logs\\u.log", ""},
    {"\"/LoG=C:\\My Logs\\u.log\" /S", true, true, false, "C:\\My Logs\\u.log", ""},
    {"-log=C:\\u.log", true, false, false, "C:\\u.log", ""},
    {"/?", true, false, true, nullptr, ""},
    {"-?", true, false, true, nullptr, ""},
    {"/S /S", true, true, false, nullptr, ""},
    // The silent switches of the installer builders that administrators know, and the dash.
    {"/SILENT", true, true, false, nullptr, ""},
    {"/verysilent", true, true, false, nullptr, ""},
    {"-Quiet", true, true, false, nullptr, ""},
    {"/q", true, true, false, nullptr, ""},
    {"-QN /LOG=x", true, true, false, "x", ""},
    {"-S", true, true, false, nullptr, ""},
    // Not understood; /S is still seen, wherever it stands, so that no box comes up.
    {"/X /S", false, true, false, nullptr, "/X"},
    {"/S /X /Y", false, true, false, nullptr, "/X|/Y"},
    {"/remove", false, false, false, nullptr, "/remove"},
    {"/LOG=", false, false, false, nullptr, "/LOG="},
    {"/LOG=\"\"", false, false, false, nullptr, "/LOG="},
    {"/LOG", false, false, false, nullptr, "/LOG"},
    {"/S=1", false, false, false, nullptr, "/S=1"},
    {"/LOG=a /LOG=b", false, false, false, "a", "/LOG=b"},
    {"S", false, false, false, nullptr, "S"},
    {"--S /QQ /SILENTLY", false, false, false, nullptr, "--S|/QQ|/SILENTLY"},
    {"/", false, false, false, nullptr, "/"},
    {"-", false, false, false, nullptr, "-"},
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
    std::string ignored;
    for (const std::string& a : line.NotUnderstood) ignored += (ignored.empty() ? "" : "|") + a;
    EXPECT_EQ(c.ignored, ignored);
    EXPECT_EQ(line.NotUnderstood.empty() ? std::string() : line.NotUnderstood[0], line.Rejected);
  }
}
