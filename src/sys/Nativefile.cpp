#include "sys/Nativefile.h"

#include <algorithm>
#include <cstddef>

#include "sys/Asciicase.h"
#include "sys/Canonicalpath.h"
#include "sys/Faultpoint.h"
#include "sys/Fileiofun.h"
#include "sys/Pathutil.h"
#include "sys/Syslibrary.h"
#include "sys/Sysutil.h"

#ifndef FILE_SHARE_DELETE
#define FILE_SHARE_DELETE 0x00000004
#endif
#ifndef FILE_ATTRIBUTE_REPARSE_POINT
#define FILE_ATTRIBUTE_REPARSE_POINT 0x00000400
#endif

namespace {

const char kWhere[] = "a checked removal";
constexpr LONG kSuccess = 0;
constexpr LONG kBufferOverflow = static_cast<LONG>(0x80000005);
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
constexpr LONG kBufferTooSmall = static_cast<LONG>(0xC0000023);
constexpr LONG kNameNotFound = static_cast<LONG>(0xC0000034);
constexpr LONG kPathNotFound = static_cast<LONG>(0xC000003A);
constexpr LONG kDeletePending = static_cast<LONG>(0xC0000056);
constexpr LONG kNotADirectory = static_cast<LONG>(0xC0000103);
constexpr LONG kFileIsADirectory = static_cast<LONG>(0xC00000BA);
constexpr LONG kSharingViolation = static_cast<LONG>(0xC0000043);
constexpr LONG kNameInvalid = static_cast<LONG>(0xC0000033);
constexpr LONG kCannotDelete = static_cast<LONG>(0xC0000121);

constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr ULONG kDirectoryFile = 0x00000001;
constexpr ULONG kSynchronousIo = 0x00000020;
constexpr ULONG kNonDirectoryFile = 0x00000040;
constexpr ULONG kOpenReparsePoint = 0x00200000;
constexpr ULONG kCaseInsensitive = 0x00000040;   // OBJ_CASE_INSENSITIVE: names as Windows compares them

constexpr int kFileBasicInformation = 4;
constexpr int kFileDispositionInformation = 13;
constexpr int kFileAllInformation = 18;
constexpr int kObjectNameInformation = 1;

struct IoStatus {
  union {
    LONG Status;
    void* Pointer;
  };
  ULONG_PTR Information;
};

struct ObjectAttributes {
  ULONG Length;
  HANDLE RootDirectory;
  TNtUnicodeString* ObjectName;
  ULONG Attributes;
  void* SecurityDescriptor;
  void* SecurityQualityOfService;
};

struct BasicInformation {
  LARGE_INTEGER CreationTime, LastAccessTime, LastWriteTime, ChangeTime;   // 0: unchanged
  ULONG FileAttributes;
};

// FILE_ALL_INFORMATION: what the handle is and where it lies, in one call.
struct AllInformation {
  BasicInformation Basic;
  LARGE_INTEGER AllocationSize, EndOfFile;
  ULONG NumberOfLinks;
  BOOLEAN DeletePending, Directory;
  LARGE_INTEGER IndexNumber;
  ULONG EaSize;
  ACCESS_MASK Access;
  LARGE_INTEGER Position;
  ULONG Mode, Alignment;
  ULONG NameLength;   // bytes
  WCHAR Name[1];      // from the volume's root, without the drive
};
static_assert(offsetof(AllInformation, NameLength) == 96, "the layout of FILE_ALL_INFORMATION");

// OBJECT_NAME_INFORMATION: the name, its characters after it in the same buffer.
struct ObjectName {
  TNtUnicodeString Name;
};

// A handle of the native calls, closed by them.
class NativeHandle {
public:
  explicit NativeHandle(TNativeCalls::CloseFn close) : close_(close) {}
  ~NativeHandle() { Reset(); }
  NativeHandle(const NativeHandle&) = delete;
  NativeHandle& operator=(const NativeHandle&) = delete;
  HANDLE Get() const { return handle_; }
  HANDLE* Put() {
    Reset();
    return &handle_;
  }
  void Reset() {
    if (handle_) close_(handle_);
    handle_ = nullptr;
  }

private:
  TNativeCalls::CloseFn close_;
  HANDLE handle_ = nullptr;
};

bool MeansAbsent(LONG status) {
  return status == kNameNotFound || status == kPathNotFound || status == kDeletePending;
}

// The one place where names change code page: the native calls take UTF-16, and the ANSI calls
// would have converted with the same system code page.
bool ToWide(const std::string& text, std::wstring& wide) {
  wide.assign(text.size(), L'\0');
  if (text.empty()) return true;
  const int size = static_cast<int>(text.size());
  int n = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), size, &wide[0], size);
  if (n == 0 && ::GetLastError() == ERROR_INVALID_FLAGS)
    n = ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, &wide[0], size);
  if (n <= 0) return false;
  wide.resize(static_cast<size_t>(n));
  return true;
}

bool MakeUnicode(std::wstring& text, TNtUnicodeString& out) {
  if (text.size() * sizeof(WCHAR) > 0xFFFE) return false;
  out.Length = static_cast<USHORT>(text.size() * sizeof(WCHAR));
  out.MaximumLength = out.Length;
  out.Buffer = text.empty() ? nullptr : &text[0];
  return true;
}

// Index just past the volume's root ("C:\" or "\\server\share"), 0 for anything else.
size_t VolumeRootLength(const std::string& full) {
  if (full.size() >= 3 && full[1] == ':' && full[2] == '\\') return 3;
  if (full.size() < 3 || full[0] != '\\' || full[1] != '\\') return 0;
  int separators = 0;
  size_t i = 2;
  for (; i < full.size(); i += CharLengthAt(full, i))
    if (full[i] == '\\' && ++separators == 2) break;
  return separators >= 1 && i > 2 ? i : 0;
}

// The name that the system's own conversion gives a full DOS path.
bool NtPathOf(const std::string& full, std::wstring& out) {
  std::wstring wide;
  if (!ToWide(full, wide)) return false;
  // Counted, not measured: nothing of the C runtime's wide-character side is needed.
  static const WCHAR kPrefix[] = L"\\??\\UNC";
  out.assign(kPrefix, full[0] == '\\' ? 7 : 4);
  out.append(wide, full[0] == '\\' ? 1 : 0, std::wstring::npos);
  return true;
}

std::wstring Joined(const std::wstring& parent, const std::wstring& part) {
  std::wstring out = parent;
  if (out.empty() || out[out.size() - 1] != L'\\') out += L'\\';
  return out += part;
}


// A list of the parts of a relative path, split at single-byte backslashes.
std::vector<std::string> PartsOf(const std::string& relative) {
  std::vector<std::string> parts(1);
  for (size_t i = 0, n = 0; i < relative.size(); i += n) {
    n = CharLengthAt(relative, i);
    if (n == 1 && relative[i] == '\\') parts.emplace_back();
    else parts.back().append(relative, i, n);
  }
  return parts;
}

// What a handle is.
struct Look {
  ULONG Attributes = 0;
  ULONG Links = 0;
};

}  // namespace

bool TNativeCalls::Complete() const {
  return OpenFile && QueryInformation && QueryObject && SetInformation && Close && StatusToError;
}

const TNativeCalls& SystemNativeCalls() {
  // Asked again while incomplete: a lookup that failed once must not leave every later removal
  // unchecked.
  static TNativeCalls calls;
  if (calls.Complete()) return calls;
  HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  calls.OpenFile = GetSystemProc<TNativeCalls::OpenFileFn>(ntdll, "NtOpenFile");
  calls.QueryInformation = GetSystemProc<TNativeCalls::QueryInformationFileFn>(ntdll, "NtQueryInformationFile");
  calls.QueryObject = GetSystemProc<TNativeCalls::QueryObjectFn>(ntdll, "NtQueryObject");
  calls.SetInformation = GetSystemProc<TNativeCalls::SetInformationFileFn>(ntdll, "NtSetInformationFile");
  calls.Close = GetSystemProc<TNativeCalls::CloseFn>(ntdll, "NtClose");
  calls.StatusToError = GetSystemProc<TNativeCalls::StatusToErrorFn>(ntdll, "RtlNtStatusToDosError");
  calls.EqualNames = GetSystemProc<TNativeCalls::EqualNamesFn>(ntdll, "RtlEqualUnicodeString");
  calls.OpenLinksAsThemselves = HasReparsePoints();
  return calls;
}

struct TCheckedFolders::Entry {
  explicit Entry(TNativeCalls::CloseFn close) : Handle(close) {}
  std::string Base;   // the trusted folder that it was checked from
  std::string Path;   // its full path
  NativeHandle Handle;
  std::wstring Where;
};

TCheckedFolders::TCheckedFolders() = default;
TCheckedFolders::~TCheckedFolders() = default;

void TCheckedFolders::Clear() {
  entries_.clear();
  lastTrusted_.clear();
  lastTrustedFull_.clear();
}

class TCheckedWalk {
public:
  TCheckedWalk(const TNativeCalls& nt, TCheckedFolders& folders, const TRemovalCheck* check)
      : nt_(nt), folders_(folders), check_(check) {
    if (check_) share_ = FILE_SHARE_READ | FILE_SHARE_DELETE;
  }
  uint32_t Remove(const std::string& name, const std::string& trusted, bool folder);

private:
  using Entry = TCheckedFolders::Entry;

  std::string BaseOf(const std::string& full, const std::string& trusted);
  const Entry* Cached(const std::string& base, const std::string& path) const;
  void Forget(const std::string& path);
  LONG Open(HANDLE root, std::wstring& name, ACCESS_MASK access, ULONG options, NativeHandle& out) const;
  LONG What(HANDLE handle, Look& look) const;
  LONG Where(HANDLE handle, size_t expectedChars, std::wstring& where) const;
  LONG Dispose(HANDLE handle) const;
  uint32_t OpenBase(const std::string& base, const Entry*& out);
  uint32_t OpenFolder(const Entry& parent, const std::string& path, const std::string& part, const Entry*& out);
  uint32_t RemoveLast(const Entry& parent, const std::string& part, bool folder);
  uint32_t HeldFile(const Entry& parent, std::wstring& part);
  LONG SetAttributes(HANDLE handle, ULONG attributes) const;
  bool SameName(const std::wstring& expected, const std::wstring& actual) const;
  ULONG LinkOption() const { return nt_.OpenLinksAsThemselves ? kOpenReparsePoint : 0; }

  const TNativeCalls& nt_;
  TCheckedFolders& folders_;
  const TRemovalCheck* check_;
  ULONG share_ = kShareAll;
};

std::string TCheckedWalk::BaseOf(const std::string& full, const std::string& trusted) {
  if (!trusted.empty()) {
    if (trusted != folders_.lastTrusted_ || folders_.lastTrustedFull_.empty()) {
      std::string t = WithoutTrailingBackslashes(FullPathName(trusted), 3);
      folders_.lastTrusted_ = trusted;
      folders_.lastTrustedFull_ = ExpandShortNames(t);
    }
    if (IsBelowFolder(full, folders_.lastTrustedFull_)) return folders_.lastTrustedFull_;
  }
  return full.substr(0, VolumeRootLength(full));
}

const TCheckedFolders::Entry* TCheckedWalk::Cached(const std::string& base, const std::string& path) const {
  for (const auto& e : folders_.entries_)
    if (SamePathText(e->Path, path) && SamePathText(e->Base, base)) return e.get();
  return nullptr;
}

void TCheckedWalk::Forget(const std::string& path) {
  auto& entries = folders_.entries_;
  for (size_t i = entries.size(); i-- > 0;)
    if (SamePathText(entries[i]->Path, path) || IsBelowFolder(entries[i]->Path, path))
      entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(i));
}

LONG TCheckedWalk::Open(HANDLE root, std::wstring& name, ACCESS_MASK access, ULONG options,
                        NativeHandle& out) const {
  TNtUnicodeString text;
  if (!MakeUnicode(name, text)) return kNameInvalid;   // longer than any name can be
  ObjectAttributes attributes = {sizeof attributes, root, &text, kCaseInsensitive, nullptr, nullptr};
  IoStatus io = {};
  return SYS_NT(kWhere, "NtOpenFile",
                nt_.OpenFile(out.Put(), access | SYNCHRONIZE, &attributes, &io, share_, options | kSynchronousIo));
}

LONG TCheckedWalk::What(HANDLE handle, Look& look) const {
  // Only the fixed part is read: a long name does not matter here.
  ULONGLONG all[(offsetof(AllInformation, Name) + 64 * sizeof(WCHAR)) / sizeof(ULONGLONG) + 1];
  IoStatus io = {};
  LONG status = SYS_NT(kWhere, "NtQueryInformationFile",
                       nt_.QueryInformation(handle, &io, all, sizeof all, kFileAllInformation));
  if (status != kSuccess && status != kBufferOverflow) return status;
  const AllInformation* info = reinterpret_cast<const AllInformation*>(all);
  look.Attributes = info->Basic.FileAttributes;
  look.Links = info->NumberOfLinks;
  return kSuccess;
}

// The object's name: its volume's device and its path there. Room is made for the expected name
// and one character more: a longer name lies elsewhere, and kBufferOverflow says so.
LONG TCheckedWalk::Where(HANDLE handle, size_t expectedChars, std::wstring& where) const {
  std::vector<ULONGLONG> buffer((sizeof(ObjectName) + (expectedChars + 2) * sizeof(WCHAR)) / sizeof(ULONGLONG) + 1);
  ULONG returned = 0;
  LONG status = SYS_NT(kWhere, "NtQueryObject",
                       nt_.QueryObject(handle, kObjectNameInformation, buffer.data(),
                                       static_cast<ULONG>(buffer.size() * sizeof(ULONGLONG)), &returned));
  if (status == kInfoLengthMismatch || status == kBufferTooSmall) return kBufferOverflow;
  if (status != kSuccess) return status;
  const TNtUnicodeString& name = reinterpret_cast<const ObjectName*>(buffer.data())->Name;
  where.assign(name.Buffer ? name.Buffer : L"", name.Length / sizeof(WCHAR));
  return kSuccess;
}

LONG TCheckedWalk::Dispose(HANDLE handle) const {
  BOOLEAN deleteIt = TRUE;
  IoStatus io = {};
  return SYS_NT(kWhere, "NtSetInformationFile",
                nt_.SetInformation(handle, &io, &deleteIt, sizeof deleteIt, kFileDispositionInformation));
}

bool TCheckedWalk::SameName(const std::wstring& expected, const std::wstring& actual) const {
  if (expected.size() == actual.size()) {
    size_t i = 0;
    while (i < expected.size() && FoldAscii(expected[i]) == FoldAscii(actual[i])) ++i;
    if (i == expected.size()) return true;
  }
  if (!nt_.EqualNames) return false;
  std::wstring a = expected, b = actual;
  TNtUnicodeString ua, ub;
  return MakeUnicode(a, ua) && MakeUnicode(b, ub) && nt_.EqualNames(&ua, &ub, TRUE);
}

LONG TCheckedWalk::SetAttributes(HANDLE handle, ULONG attributes) const {
  BasicInformation basic = {};
  basic.FileAttributes = attributes;
  IoStatus io = {};
  return SYS_NT(kWhere, "NtSetInformationFile", nt_.SetInformation(handle, &io, &basic, sizeof basic, kFileBasicInformation));
}

// The trusted folder as the system finds it, every link above and at it followed.
uint32_t TCheckedWalk::OpenBase(const std::string& base, const Entry*& out) {
  out = Cached(base, base);
  if (out) return 0;
  std::wstring ntName;
  if (!NtPathOf(base, ntName)) return kRemovalUnchecked;
  std::unique_ptr<Entry> entry(new Entry(nt_.Close));
  LONG status = Open(nullptr, ntName, FILE_READ_ATTRIBUTES, kDirectoryFile, entry->Handle);
  if (MeansAbsent(status) || status == kNotADirectory) return 0;
  if (status != kSuccess) return kRemovalUnchecked;
  if (Where(entry->Handle.Get(), 32767, entry->Where) != kSuccess) return kRemovalUnchecked;
  entry->Base = base;
  entry->Path = base;
  out = entry.get();
  folders_.entries_.push_back(std::move(entry));
  return 0;
}

uint32_t TCheckedWalk::OpenFolder(const Entry& parent, const std::string& path, const std::string& part,
                                  const Entry*& out) {
  out = nullptr;
  std::wstring wide;
  if (!ToWide(part, wide)) return kRemovalUnchecked;
  std::unique_ptr<Entry> entry(new Entry(nt_.Close));
  LONG status = Open(parent.Handle.Get(), wide, FILE_READ_ATTRIBUTES, kDirectoryFile | LinkOption(), entry->Handle);
  if (MeansAbsent(status) || status == kNotADirectory) return 0;
  if (status != kSuccess) return kRemovalUnchecked;
  const std::wstring expected = Joined(parent.Where, wide);
  Look look;
  status = Where(entry->Handle.Get(), expected.size(), entry->Where);
  if (status == kSuccess) status = What(entry->Handle.Get(), look);
  if (status == kBufferOverflow) return kRemovalThroughLink;
  if (status != kSuccess) return kRemovalUnchecked;
  // A link opened as itself shows as one; one that the system followed all the same (Wine does)
  // gives its target's name, on its own volume.
  if ((look.Attributes & FILE_ATTRIBUTE_REPARSE_POINT) || !SameName(expected, entry->Where)) return kRemovalThroughLink;
  entry->Base = parent.Base;
  entry->Path = path;
  out = entry.get();
  folders_.entries_.push_back(std::move(entry));
  return 0;
}

uint32_t TCheckedWalk::RemoveLast(const Entry& parent, const std::string& part, bool folder) {
  std::wstring wide;
  if (!ToWide(part, wide)) return kRemovalUnchecked;
  NativeHandle handle(nt_.Close);
  const ACCESS_MASK access = DELETE | FILE_READ_ATTRIBUTES | (folder ? 0 : FILE_WRITE_ATTRIBUTES) |
                             (check_ && !folder ? FILE_READ_DATA : 0);
  const ULONG options = (folder ? kDirectoryFile : kNonDirectoryFile) | LinkOption();
  LONG status = Open(parent.Handle.Get(), wide, access, options, handle);
  if (status != kSuccess) {
    // A folder is no file and a file no folder: each leaves the other alone.
    if (MeansAbsent(status) || status == (folder ? kNotADirectory : kFileIsADirectory)) return 0;
    if (!folder && status == kSharingViolation) return HeldFile(parent, wide);
    return nt_.StatusToError(status);
  }
  const std::wstring expected = Joined(parent.Where, wide);
  std::wstring where;
  status = Where(handle.Get(), expected.size(), where);
  if (status == kBufferOverflow) return kRemovalThroughLink;
  if (status != kSuccess) return kRemovalUnchecked;
  // A link at the end, opened as itself, is removed as the link; one that was followed is refused.
  if (!SameName(expected, where)) return kRemovalThroughLink;
  if (check_ && !folder)
    if (uint32_t refusal = check_->Check(check_->Context, handle.Get())) return refusal;
  status = Dispose(handle.Get());
  // Only a read-only file refuses to go; any other attribute goes with the file. The attributes
  // of a file with other names are theirs too: put back, even once it is going.
  Look look;
  if (status == kCannotDelete && !folder && What(handle.Get(), look) == kSuccess &&
      (look.Attributes & FILE_ATTRIBUTE_READONLY)) {
    status = SetAttributes(handle.Get(), FILE_ATTRIBUTE_NORMAL);
    if (status == kSuccess) status = Dispose(handle.Get());
    if (look.Links > 1) SetAttributes(handle.Get(), look.Attributes);
  }
  return status == kSuccess ? 0 : nt_.StatusToError(status);
}

// Held by someone else: its attributes are reset all the same, as the plain way does, through a
// handle that asks only for them (no share mode stands against it) and once it is checked.
uint32_t TCheckedWalk::HeldFile(const Entry& parent, std::wstring& part) {
  if (check_) return ERROR_SHARING_VIOLATION;
  NativeHandle handle(nt_.Close);
  LONG status = Open(parent.Handle.Get(), part, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                     kNonDirectoryFile | LinkOption(), handle);
  if (MeansAbsent(status)) return 0;
  if (status != kSuccess) return kRemovalUnchecked;
  const std::wstring expected = Joined(parent.Where, part);
  std::wstring where;
  Look look;
  status = Where(handle.Get(), expected.size(), where);
  if (status == kSuccess) status = What(handle.Get(), look);
  if (status == kBufferOverflow) return kRemovalThroughLink;
  if (status != kSuccess) return kRemovalUnchecked;
  if (!SameName(expected, where)) return kRemovalThroughLink;
  const ULONG kept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  if ((look.Attributes & kept) && look.Links <= 1) SetAttributes(handle.Get(), FILE_ATTRIBUTE_NORMAL);
  return ERROR_SHARING_VIOLATION;
}

uint32_t TCheckedWalk::Remove(const std::string& name, const std::string& trusted, bool folder) {
  if (!nt_.Complete()) return kRemovalUnchecked;
  std::string full = WithoutTrailingBackslashes(FullPathName(name), 3);
  if (full.empty()) return kRemovalUnchecked;
  // Short names are checked as the long names that the handles give.
  full = ExpandShortNames(full);
  const std::string base = BaseOf(full, trusted);
  if (base.empty() || full.size() <= base.size() + 1) return kRemovalUnchecked;   // no root, or the root itself
  const size_t start = base.size() + (EndsWithBackslash(base) ? 0 : 1);
  const std::vector<std::string> parts = PartsOf(full.substr(start));

  auto& entries = folders_.entries_;
  if (entries.size() > 16) entries.erase(entries.begin(), entries.end() - 8);
  // A folder goes only once no handle of ours holds it or anything below it.
  if (folder) Forget(full);

  // The folders on the way, from the deepest already checked from the same base.
  std::vector<std::string> paths(parts.size());
  for (size_t i = 0; i < parts.size(); ++i) paths[i] = i == 0 ? full.substr(0, start) + parts[0] : paths[i - 1] + "\\" + parts[i];
  size_t next = parts.size() - 1;
  const Entry* parent = nullptr;
  while (next > 0 && !(parent = Cached(base, paths[next - 1]))) --next;
  if (!parent) {
    if (uint32_t r = OpenBase(base, parent)) return r;
    if (!parent) return 0;   // no such folder: nothing below it either
  }
  for (; next + 1 < parts.size(); ++next) {
    const Entry* child = nullptr;
    if (uint32_t r = OpenFolder(*parent, paths[next], parts[next], child)) return r;
    if (!child) return 0;
    parent = child;
  }
  return RemoveLast(*parent, parts.back(), folder);
}

TRemovalError RemoveThroughCheckedHandle(const TNativeCalls& calls, const std::string& name, const std::string& trusted,
                                    bool folder, TCheckedFolders* folders, const TRemovalCheck* check) {
  TCheckedFolders local;
  TCheckedWalk walk(calls, folders ? *folders : local, check);
  return walk.Remove(name, trusted, folder);
}

uint32_t MoveOpenFile(const TNativeCalls& calls, HANDLE file, const std::string& to) {
  std::wstring name;
  if (!calls.Complete() || !NtPathOf(to, name)) return kRemovalUnchecked;
  // FILE_RENAME_INFORMATION: replace, the folder the name is relative to (none), the name.
  struct Rename {
    BOOLEAN Replace;
    HANDLE Root;
    ULONG Length;
    WCHAR Name[1];
  };
  std::vector<ULONGLONG> buffer((offsetof(Rename, Name) + (name.size() + 1) * sizeof(WCHAR)) / sizeof(ULONGLONG) + 1);
  Rename* rename = reinterpret_cast<Rename*>(buffer.data());
  rename->Replace = TRUE;
  rename->Root = nullptr;
  rename->Length = static_cast<ULONG>(name.size() * sizeof(WCHAR));
  std::copy(name.begin(), name.end(), rename->Name);
  IoStatus io = {};
  const int kFileRenameInformation = 10;
  LONG status = SYS_NT("the program's own move", "NtSetInformationFile",
                       calls.SetInformation(file, &io, rename, static_cast<ULONG>(buffer.size() * sizeof(ULONGLONG)),
                                            kFileRenameInformation));
  return status == kSuccess ? 0 : calls.StatusToError(status);
}
