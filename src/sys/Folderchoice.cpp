#include "sys/Folderchoice.h"

#include <cstring>
#include <new>

#include "sys/Asciicase.h"
#include "sys/Faultpoint.h"
#include "sys/Sysutil.h"

std::string WindowsFolderFromCall(unsigned result, const char* buffer) {
  if (result == 0) return "C:\\WINDOWS";
  return std::string(buffer);
}

std::string ShellAnswer(long result, const char* buffer, size_t size) {
  if (result != 0) return std::string();
  // Only the text up to its terminator counts: whatever the shell left beyond it is no path.
  size_t end = 0;
  while (end < size && buffer[end] != '\0') ++end;
  size_t begin = 0;
  while (begin < end && static_cast<unsigned char>(buffer[begin]) <= 32) ++begin;
  while (end > begin && static_cast<unsigned char>(buffer[end - 1]) <= 32) --end;
  return std::string(buffer + begin, end - begin);
}

char DriveLetterOf(const std::string& windowsUpper) {
  return windowsUpper.empty() ? '\0' : windowsUpper[0];
}

namespace {

std::string OnDrive(const FolderFacts& facts, const char* rest) {
  return std::string(1, DriveLetterOf(facts.windowsUpper())) + rest;
}

std::string FirstKnown(const FolderFacts& facts, int first, int second) {
  std::string path = facts.shell(first);
  if (path.empty()) path = facts.shell(second);
  return path;
}

}  // namespace

std::string ChooseProgramFilesFolder(const FolderFacts& facts) {
  std::string path = facts.shell(kShellProgramFiles);
  return path.empty() ? OnDrive(facts, ":\\Program Files") : path;
}

std::string ChooseCommonDesktopFolder(const FolderFacts& facts) {
  std::string path = FirstKnown(facts, kShellCommonDesktop, kShellDesktop);
  return path.empty() ? OnDrive(facts, ":\\Documents and Settings\\All Users\\Desktop") : path;
}

std::string ChooseUserDesktopFolder(const FolderFacts& facts) {
  std::string path = facts.shell(kShellDesktop);
  return path.empty() ? facts.windowsUpper() + "\\Desktop" : path;
}

std::string ChooseCommonProgramsFolder(const FolderFacts& facts) {
  std::string path = FirstKnown(facts, kShellCommonPrograms, kShellPrograms);
  return path.empty()
             ? OnDrive(facts, ":\\Documents and Settings\\All Users\\Start Menu\\Programs")
             : path;
}

std::string ChooseUserProgramsFolder(const FolderFacts& facts) {
  std::string path = facts.shell(kShellPrograms);
  return path.empty() ? facts.windowsUpper() + "\\Start Menu\\Programs" : path;
}

std::string ChooseDesktopFolder(TWindowsVersion version, const FolderFacts& facts) {
  // The product's shortcuts are shared on the NT family and per user on the 9x family.
  if (IsNtFamily(version)) return ChooseCommonDesktopFolder(facts);
  if (Is9xFamily(version)) return ChooseUserDesktopFolder(facts);
  return std::string();
}

std::string ChooseProgramsFolder(TWindowsVersion version, const FolderFacts& facts) {
  if (IsNtFamily(version)) return ChooseCommonProgramsFolder(facts);
  if (Is9xFamily(version)) return ChooseUserProgramsFolder(facts);
  return std::string();
}

std::string ComposeSystemFolder(const std::string& windowsUpper) {
  return windowsUpper + "\\system";
}

std::string TUpperCache::Get(const std::function<std::string()>& compute) {
  if (text_) return std::string(text_.get(), size_);
  std::string upper = UpperAscii(compute());
  char* copy = SYS_NEW("a folder's upper-case copy", char[upper.size() + 1]);
  if (copy) {
    std::memcpy(copy, upper.c_str(), upper.size() + 1);
    text_.reset(copy);
    size_ = upper.size();
  }
  return upper;
}
