// The run's log: its lines, and a file that holds what was written at every moment.
#include <gtest/gtest.h>
#include <windows.h>

#include "sys/Handle.h"
#include "sys/Runlog.h"
#include "unit/sys/WinFiles.h"

namespace {
// What is in the file now, read beside the writer as another program (support) would.
std::string Content(const std::string& path) {
  UniqueFile f(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr));
  std::string out;
  char buf[4096];
  DWORD got = 0;
  while (f && ::ReadFile(f.Get(), buf, sizeof buf, &got, nullptr) && got) out.append(buf, got);
  return out;
}
}  // namespace

TEST(Runlog, ActionLines) {
  EXPECT_EQ("Delete file C:\\a: removed", FormatActionLine("Delete file", "C:\\a", TLogOutcome::Removed, 0, "", nullptr));
  EXPECT_EQ("Delete file C:\\a: absent", FormatActionLine("Delete file", "C:\\a", TLogOutcome::Absent, 0, "", nullptr));
  EXPECT_EQ("Delete file C:\\a: failed, at every attempt (error 32: In use.)",
            FormatActionLine("Delete file", "C:\\a", TLogOutcome::Failed, 32, "In use.", "at every attempt"));
  EXPECT_EQ("Remove folder C:\\b: left alone, not empty (error 145)",
            FormatActionLine("Remove folder", "C:\\b", TLogOutcome::LeftAlone, 145, "", "not empty"));
  EXPECT_EQ("Delete at the next restart C:\\a: scheduled",
            FormatActionLine("Delete at the next restart", "C:\\a", TLogOutcome::Scheduled, 0, "", nullptr));
}

TEST(Runlog, WrittenThroughReplacedAndNeverInvented) {
  std::string dir = "C:\\" + Unique("tvlog");
  ASSERT_TRUE(::CreateDirectoryA(dir.c_str(), nullptr));
  std::string path = dir + "\\run.log";

  RunlogLine("before any log");   // goes nowhere
  EXPECT_FALSE(RunlogActive());
  TOwnFileStatus missing = RunlogOpen(dir + "\\missing\\run.log");
  EXPECT_EQ(static_cast<uint32_t>(ERROR_PATH_NOT_FOUND), missing.Error);
  EXPECT_EQ(0u, RunlogOpenFailureText(missing).find("Error 3: ")) << RunlogOpenFailureText(missing);
  EXPECT_EQ("Refused: a folder", RunlogOpenFailureText(RunlogOpen(dir)));
  EXPECT_FALSE(RunlogActive());

  ASSERT_TRUE(WriteBytes(path, "an old log that is replaced\r\n"));
  ASSERT_TRUE(RunlogOpen(path).Opened());
  RunlogLine("one");
  // An old file stays whole until it is replaced; from then on each line is on disk at once, with
  // CR LF ends. A text with line ends of its own stays one line.
  EXPECT_EQ("an old log that is replaced\r\n", Content(path));
  RunlogReplace();
  EXPECT_EQ("one\r\n", Content(path));
  RunlogLine("two\r\nlines\n");
  RunlogRemoval("Remove registry key", "HKLM\\X", true, true);
  RunlogRemoval("Remove registry key", "HKLM\\Y", false, false);
  RunlogAction("Delete file", "C:\\a", TLogOutcome::Failed, ERROR_ACCESS_DENIED);
  std::string text = Content(path);
  EXPECT_EQ(0u, text.find("one\r\ntwo<0D><0A>lines<0A>\r\n"
                          "Remove registry key HKLM\\X: failed, still there\r\n"
                          "Remove registry key HKLM\\Y: absent\r\n"
                          "Delete file C:\\a: failed (error 5: ")) << text;
  EXPECT_EQ(")\r\n", text.substr(text.size() - 3));
  // A removal that failed with a code names it and its text, also where the look before it saw
  // nothing (it could not look).
  RunlogRemoval("Remove registry key", "HKLM\\Z", true, true, ERROR_ACCESS_DENIED);
  RunlogRemoval("Remove registry key", "HKLM\\W", false, false, ERROR_ACCESS_DENIED);
  const std::string more = Content(path).substr(text.size());
  EXPECT_EQ(0u, more.find("Remove registry key HKLM\\Z: failed, still there (error 5: ")) << more;
  EXPECT_NE(std::string::npos, more.find(")\r\nRemove registry key HKLM\\W: failed (error 5: ")) << more;
  text += more;
  EXPECT_EQ(std::string::npos, RunlogErrorText(ERROR_ACCESS_DENIED).find_first_of("\r\n"));

  // Nobody else may write to it meanwhile: a second copy started with the same log stays out.
  UniqueFile other(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
  EXPECT_FALSE(other.Valid());
  EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), ::GetLastError());

  RunlogClose();
  RunlogLine("after the end");
  EXPECT_EQ(text, Content(path));
  RemoveTree(dir);
}

TEST(Runlog, WhereTheLogLiesAndALogGivenUpLeavesAnOldFileAsItWas) {
  std::string dir = "C:\\" + Unique("tvlog"), sub = dir + "\\Product";
  ASSERT_TRUE(::CreateDirectoryA(dir.c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryA(sub.c_str(), nullptr));
  std::string old = sub + "\\Backup.log", fresh = sub + "\\run.log";
  ASSERT_TRUE(WriteBytes(old, "the product's own\r\n"));
  ASSERT_TRUE(RunlogOpen(old).Opened());
  EXPECT_TRUE(RunlogLiesIn(sub));
  EXPECT_TRUE(RunlogLiesIn(dir + "\\"));
  EXPECT_FALSE(RunlogLiesIn(dir + "\\Prod"));
  EXPECT_FALSE(RunlogLiesIn(old));
  EXPECT_FALSE(RunlogLiesIn(""));
  RunlogLine("refused");
  RunlogAbandon();
  EXPECT_FALSE(RunlogActive());
  RunlogClose();
  EXPECT_EQ("the product's own\r\n", Content(old));

  // A new file keeps what was written, and goes on taking lines.
  ASSERT_TRUE(RunlogOpen(fresh).Opened());
  RunlogLine("one");
  RunlogAbandon();
  RunlogLine("two");
  RunlogClose();
  EXPECT_EQ("one\r\ntwo\r\n", Content(fresh));
  EXPECT_FALSE(RunlogLiesIn(sub));
  RemoveTree(dir);
}

TEST(Runlog, TextFromOutsideCannotMakeOrHideLines) {
  EXPECT_EQ("C:\\a<0D><0A>Exit code 0: completed", EscapedLogText("C:\\a\r\nExit code 0: completed"));
  EXPECT_EQ("<1B>[2J<08><09><00><7F>~ ", EscapedLogText(std::string("\x1b[2J\b\t\0\x7f~ ", 10)));
  if (::GetACP() == 932) {
    // Double-byte characters stay whole (their second byte may be a backslash); a lead byte before
    // a control byte makes no character, and the control byte shows.
    EXPECT_EQ("\x83\x5C\x95\x5C.bmp", EscapedLogText("\x83\x5C\x95\x5C.bmp"));
    EXPECT_EQ("\x83<0A>x\x83", EscapedLogText("\x83\nx\x83"));
  } else {
    EXPECT_EQ("caf\xE9 \x80\xA0\xFF", EscapedLogText("caf\xE9 \x80\xA0\xFF"));
  }
}
