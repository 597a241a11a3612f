// How the system folders are chosen and composed, over platform answers given by the caller.
// Systemfolder feeds these with the real shell and Windows folder; tests feed them with failures
// that a live system rarely shows.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "sys/Sysutil.h"

// Shell folder ids, each with CSIDL_FLAG_CREATE so that a missing standard folder is made.
constexpr int kShellDesktop = 0x8000;
constexpr int kShellPrograms = 0x8002;
constexpr int kShellCommonPrograms = 0x8017;
constexpr int kShellCommonDesktop = 0x8019;
constexpr int kShellProgramFiles = 0x8026;

// What the platform tells: a shell folder by id (empty when unknown) and the upper-cased
// Windows folder.
struct FolderFacts {
  std::function<std::string(int folderId)> shell;
  std::function<std::string()> windowsUpper;
};

// GetWindowsDirectoryA's answer: its result and the zero-filled buffer it wrote to.
std::string WindowsFolderFromCall(unsigned result, const char* buffer);
// A shell answer: empty unless the call succeeded (0); trimmed of bytes 0..32 at both ends.
std::string ShellAnswer(long result, const char* buffer, size_t size);
char DriveLetterOf(const std::string& windowsUpper);   // zero for an empty folder

std::string ChooseProgramFilesFolder(const FolderFacts& facts);
std::string ChooseCommonDesktopFolder(const FolderFacts& facts);
std::string ChooseUserDesktopFolder(const FolderFacts& facts);
std::string ChooseCommonProgramsFolder(const FolderFacts& facts);
std::string ChooseUserProgramsFolder(const FolderFacts& facts);
std::string ChooseDesktopFolder(TWindowsVersion version, const FolderFacts& facts);
std::string ChooseProgramsFolder(TWindowsVersion version, const FolderFacts& facts);
std::string ComposeSystemFolder(const std::string& windowsUpper);

// An upper-cased folder kept from its first computation on. When the copy cannot be stored the
// answer is still given and the next call computes it again.
class TUpperCache {
public:
  std::string Get(const std::function<std::string()>& compute);
  bool Filled() const noexcept { return text_ != nullptr; }

private:
  std::unique_ptr<char[]> text_;
  size_t size_ = 0;
};
