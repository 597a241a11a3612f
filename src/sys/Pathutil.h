// Path texts in the system's ANSI code page, read character by character: the second byte of a
// double-byte character (which may be 0x5C, the backslash) is never taken for a separator.
#pragma once
#include <cstddef>
#include <string>

// Bytes of the character that starts at index i: 2 for a lead byte with its trail, else 1.
size_t CharLengthAt(const std::string& text, size_t i);
// The path with every single-byte "/" written as the "\\" that the system reads it as.
std::string WithBackslashes(std::string path);
// Index of the last backslash or colon outside double-byte characters, or npos.
size_t LastPathSeparator(const std::string& name);
// What comes before the last separator (LastPathSeparator): the folder that holds the name; empty
// for a bare name.
std::string ParentFolder(const std::string& path);
// True when the name holds a backslash or a colon outside double-byte characters.
bool HasFolderPart(const std::string& name);
// True when the last character is a single-byte backslash.
bool EndsWithBackslash(const std::string& path);
// The path without its trailing backslashes, down to keep characters at the least.
std::string WithoutTrailingBackslashes(std::string path, size_t keep = 1);
// A drive root (C: or C:\), the current drive's root (\) or a share root (\\server or
// \\server\share), trailing backslashes aside.
bool IsRootPath(const std::string& path);
// Equal as the file system compares names: byte for byte, except that ASCII letters of single-byte
// characters match either case. Ordinal, so the user's locale (Turkish dotted I, say) plays no part.
bool SamePathText(const std::string& a, const std::string& b);
// The same folder by SamePathText, trailing backslashes aside.
bool SameFolder(const std::string& a, const std::string& b);
// True when path names something below folder (not the folder itself), by SamePathText.
bool IsBelowFolder(const std::string& path, const std::string& folder);
