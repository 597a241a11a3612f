#include "removal/Selfremoval.h"

#include <windows.h>
#include <cstring>
#include <initializer_list>
#include <vector>
#include "removal/Pendingremoval.h"
#include "removal/Privatefolder.h"
#include "sys/Faultpoint.h"
#include "sys/Fileiofun.h"
#include "sys/Nativefile.h"
#include "sys/Ownfile.h"
#include "sys/Pathutil.h"
#include "sys/Syslibrary.h"
#include "sys/Sysutil.h"

#ifndef FILE_ATTRIBUTE_REPARSE_POINT
#define FILE_ATTRIBUTE_REPARSE_POINT 0x00000400
#endif
#ifndef CREATE_BREAKAWAY_FROM_JOB
#define CREATE_BREAKAWAY_FROM_JOB 0x01000000
#endif

namespace {

const int kFieldCount = 9;
const char kMaking[] = "the hand-over copy";
const char kChecking[] = "the copy's removal of the original";
const DWORD kChunk = 1024 * 1024;   // the program in a call or two

bool OnNt() { return IsNtMachine(); }

// Whether a removal of the original that answered so may come out otherwise a moment later.
bool MayAnswerAgain(uint32_t error) {
  switch (error) {
    case 0:
    case kProgramFileReplaced:
    case kRemovalThroughLink:
    case kRemovalNoFileName:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return false;
    default:
      return true;
  }
}

// FILE_SHARE_DELETE is refused by the 9x family.
DWORD ShareAll() { return FILE_SHARE_READ | FILE_SHARE_WRITE | (OnNt() ? FILE_SHARE_DELETE : 0); }

// A wait that the system refused once is asked again.
DWORD WaitAskingAgain(HANDLE handle, DWORD milliseconds) {
  DWORD waited = WAIT_FAILED;
  for (int attempt = 0; attempt < 3 && waited == WAIT_FAILED; ++attempt)
    waited = SYS_ONES("the copy's wait", WaitForSingleObject, (handle, milliseconds));
  return waited;
}

// The folder that holds the installation folder, trusted as the system finds it ("C:\\" for a
// folder at a drive's root).
std::string FolderAbove(const std::string& folder) {
  std::string above = ParentFolder(folder);
  if (!above.empty() && above[above.size() - 1] == ':') above += "\\";
  return above;
}

uint32_t LastErrorOr(uint32_t fallback) {
  DWORD error = ::GetLastError();
  return error ? error : fallback;
}

// 0 when both files hold the same bytes, kProgramFileReplaced when they do not, or the error that
// kept them from being read.
uint32_t SameBytes(HANDLE a, HANDLE b) {
  DWORD highA = 0, highB = 0;
  DWORD sizeA = SYS_ONES(kChecking, GetFileSize, (a, &highA)), sizeB = SYS_ONES(kChecking, GetFileSize, (b, &highB));
  if (sizeA == INVALID_FILE_SIZE || sizeB == INVALID_FILE_SIZE) return LastErrorOr(ERROR_READ_FAULT);
  if (sizeA != sizeB || highA != highB || highA != 0) return kProgramFileReplaced;
  std::vector<char> bufA(kChunk), bufB(kChunk);
  for (DWORD done = 0; done < sizeA;) {
    DWORD gotA = 0, gotB = 0;
    if (!SYS_ZERO(kChecking, ReadFile, (a, bufA.data(), static_cast<DWORD>(bufA.size()), &gotA, nullptr)) ||
        !SYS_ZERO(kChecking, ReadFile, (b, bufB.data(), static_cast<DWORD>(bufB.size()), &gotB, nullptr)))
      return LastErrorOr(ERROR_READ_FAULT);
    if (gotA != gotB || gotA == 0 || std::memcmp(bufA.data(), bufB.data(), gotA) != 0) return kProgramFileReplaced;
    done += gotA;
  }
  return 0;
}

bool IsPlain(DWORD attributes, bool folder) {
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
  return ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == folder;
}

void AppendHex(std::string& out, unsigned long long value) {
  char digits[17];
  int n = 0;
  do {
    digits[n++] = "0123456789ABCDEF"[value & 15];
    value >>= 4;
  } while (value);
  while (n) out += digits[--n];
}

bool ReadHex(const std::string& text, size_t& pos, unsigned long long& value) {
  value = 0;
  size_t start = pos;
  for (; pos < text.size() && pos - start < 16; ++pos) {
    char c = text[pos];
    int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    if (digit < 0) break;
    value = (value << 4) | static_cast<unsigned>(digit);
  }
  return pos > start;
}

// A handle value that the copy may wait on: no pseudo handle (this process itself, waited for
// forever) and none that does not fit.
bool IsHandleValue(unsigned long long value) {
  return value != 0 && value == static_cast<uintptr_t>(value) &&
         static_cast<intptr_t>(static_cast<uintptr_t>(value)) > 0;
}

// The standard handles that whoever started this process may read to their end: the copy, which
// inherits the process handle, must not hold them open after this process has ended.
void KeepStandardHandlesFromTheCopy() {
  using SetHandleInformationFn = BOOL(WINAPI*)(HANDLE, DWORD, DWORD);   // NT family only
  auto set = GetSystemProc<SetHandleInformationFn>(::GetModuleHandleA("kernel32.dll"), "SetHandleInformation");
  if (!set) return;
  for (DWORD which : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
    HANDLE h = ::GetStdHandle(which);
    if (h && h != INVALID_HANDLE_VALUE) SYS_ZERO_P(kMaking, "SetHandleInformation", set(h, HANDLE_FLAG_INHERIT, 0));
  }
}

// Out of any job the original runs in: a tool that ends the job with the original would end the
// copy before its work. A job's refusal (on the NT family) starts nothing; a system that does not
// know the flag starts the copy without it.
DWORD StartCopy(const std::string& copy, const std::string& arguments, bool& jobRefused) {
  KeepStandardHandlesFromTheCopy();
  jobRefused = false;
  DWORD error = 0;
  // The ANSI call reads the line into a wide copy of its own: it does not write into it.
  std::string line = "\"";
  line += copy;
  line += "\" ";
  line += arguments;
  const std::string folder = ParentFolder(copy);
  for (DWORD flags : {static_cast<DWORD>(CREATE_BREAKAWAY_FROM_JOB), static_cast<DWORD>(0)}) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (SYS_ZERO(kMaking, CreateProcessA,
                 (copy.c_str(), &line[0], nullptr, nullptr, TRUE, flags, nullptr, folder.c_str(), &si, &pi))) {
      UniqueKernelHandle thread(pi.hThread), process(pi.hProcess);
      return 0;
    }
    error = LastErrorOr(ERROR_CANNOT_MAKE);
    if (flags && error == ERROR_ACCESS_DENIED && OnNt()) {
      jobRefused = true;
      return error;
    }
  }
  return error;
}

// The held program's bytes into a new file.
DWORD CopyHeldFile(HANDLE held, const std::string& copy) {
  DWORD high = 0;
  DWORD size = SYS_ONES(kMaking, GetFileSize, (held, &high));
  if (size == INVALID_FILE_SIZE) return LastErrorOr(ERROR_FILE_INVALID);
  if (high != 0) return ERROR_FILE_INVALID;
  if (SYS_ONES(kMaking, SetFilePointer, (held, 0, nullptr, FILE_BEGIN)) == INVALID_SET_FILE_POINTER)
    return LastErrorOr(ERROR_SEEK);
  UniqueFile out(SYS_INVALID(kMaking, CreateFileA, (copy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                                    FILE_ATTRIBUTE_NORMAL, nullptr)));
  if (!out) return LastErrorOr(ERROR_CANNOT_MAKE);
  std::vector<char> buf(kChunk);
  for (DWORD done = 0; done < size;) {
    DWORD got = 0, written = 0;
    if (!SYS_ZERO(kMaking, ReadFile, (held, buf.data(), static_cast<DWORD>(buf.size()), &got, nullptr)))
      return LastErrorOr(ERROR_READ_FAULT);
    if (got == 0) return ERROR_HANDLE_EOF;
    if (!SYS_ZERO(kMaking, WriteFile, (out.Get(), buf.data(), got, &written, nullptr))) return LastErrorOr(ERROR_WRITE_FAULT);
    if (written != got) return ERROR_WRITE_FAULT;
    done += got;
  }
  return 0;
}

// Asked with the handle through which the original is about to go.
struct TOriginal {
  const TSelfRemovalOrder* Order;
  HANDLE Self;
};

// 0 for the very file that the copy was made from; what could not be looked at answers its error,
// so that it is tried again.
uint32_t IsTheOriginal(void* context, HANDLE file) {
  const TOriginal* o = static_cast<const TOriginal*>(context);
  TFileIdentity now;
  if (!FileIdentityOf(file, now)) return LastErrorOr(ERROR_READ_FAULT);
  if (!(now == o->Order->Identity)) return kProgramFileReplaced;
  if (SYS_ONES(kChecking, SetFilePointer, (o->Self, 0, nullptr, FILE_BEGIN)) == INVALID_SET_FILE_POINTER)
    return LastErrorOr(ERROR_SEEK);
  return SameBytes(file, o->Self);
}

// The 9x family has no links and no handle to delete through: by name, the file held open from
// the check on, without sharing writes.
uint32_t RemoveOriginalByName(const TSelfRemovalOrder& order, HANDLE self, const std::string& folder) {
  const std::string& path = order.Original;
  if (!IsPlain(SYS_ONES(kChecking, GetFileAttributesA, (path.c_str())), false) ||
      !IsPlain(SYS_ONES(kChecking, GetFileAttributesA, (folder.c_str())), true))
    return kRemovalThroughLink;
  UniqueFile file(SYS_INVALID(kChecking, CreateFileA, (path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                       OPEN_EXISTING, 0, nullptr)));
  if (!file) return LastErrorOr(ERROR_SHARING_VIOLATION);
  TOriginal original = {&order, self};
  if (uint32_t refusal = IsTheOriginal(&original, file.Get())) return refusal;
  SYS_ZERO(kChecking, SetFileAttributesA, (path.c_str(), FILE_ATTRIBUTE_NORMAL));
  file.Reset();
  if (!SYS_ZERO(kChecking, DeleteFileA, (path.c_str()))) return LastErrorOr(ERROR_ACCESS_DENIED);
  if (!IsRootPath(folder)) SYS_ZERO(kChecking, RemoveDirectoryA, (folder.c_str()));
  return 0;
}

}  // namespace

std::string FormatSelfRemovalOrder(const TSelfRemovalOrder& order) {
  const TFileIdentity& id = order.Identity;
  const unsigned long long fields[kFieldCount] = {order.Process, order.Go,   id.Volume,  id.IndexHigh, id.IndexLow,
                                                  id.SizeHigh,   id.SizeLow, id.WriteHigh, id.WriteLow};
  std::string out = kSelfRemovalSwitch;
  for (int i = 0; i < kFieldCount; ++i) {
    out += i ? ',' : ' ';
    AppendHex(out, fields[i]);
  }
  return out + " \"" + order.Original + "\"";
}

bool ParseSelfRemovalOrder(const std::string& arguments, TSelfRemovalOrder& order) {
  if (!IsSelfRemovalSwitch(arguments)) return false;
  size_t pos = sizeof kSelfRemovalSwitch - 1;
  unsigned long long fields[kFieldCount];
  for (int i = 0; i < kFieldCount; ++i) {
    if (pos >= arguments.size() || arguments[pos++] != (i ? ',' : ' ')) return false;
    if (!ReadHex(arguments, pos, fields[i])) return false;
    if (i > 1 && fields[i] > 0xFFFFFFFFull) return false;
  }
  if (arguments.compare(pos, 2, " \"") != 0) return false;
  size_t close = arguments.find('"', pos + 2);
  if (close == std::string::npos || close == pos + 2) return false;
  size_t end = arguments.find_first_not_of(' ', close + 1);
  if (end != std::string::npos) return false;
  if (!IsHandleValue(fields[0]) || !IsHandleValue(fields[1])) return false;
  order.Process = static_cast<uintptr_t>(fields[0]);
  order.Go = static_cast<uintptr_t>(fields[1]);
  TFileIdentity& id = order.Identity;
  id.Volume = static_cast<uint32_t>(fields[2]);
  id.IndexHigh = static_cast<uint32_t>(fields[3]);
  id.IndexLow = static_cast<uint32_t>(fields[4]);
  id.SizeHigh = static_cast<uint32_t>(fields[5]);
  id.SizeLow = static_cast<uint32_t>(fields[6]);
  id.WriteHigh = static_cast<uint32_t>(fields[7]);
  id.WriteLow = static_cast<uint32_t>(fields[8]);
  order.Original = arguments.substr(pos + 2, close - pos - 2);
  return true;
}

THandOver::~THandOver() = default;

uint32_t THandOver::Prepare() {
  started_ = jobRefused_ = false;
  TSelfRemovalOrder order;
  prepared_ = MakeCopy(order);
  // A handle to this very process, and the event that tells the copy to go on, both inherited: unlike
  // a process id the handle cannot come to name another process once this one has ended.
  UniqueKernelHandle self;
  SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
  if (prepared_ == 0) {
    go_.Reset(SYS_ZERO(kMaking, CreateEventA, (&inherited, TRUE, FALSE, nullptr)));
    if (!go_ || !SYS_ZERO(kMaking, DuplicateHandle, (::GetCurrentProcess(), ::GetCurrentProcess(),
                                                     ::GetCurrentProcess(), self.Put(), SYNCHRONIZE, TRUE, 0)))
      prepared_ = LastErrorOr(ERROR_INVALID_HANDLE);
  }
  if (prepared_ == 0) {
    order.Process = reinterpret_cast<uintptr_t>(self.Get());
    order.Go = reinterpret_cast<uintptr_t>(go_.Get());
    prepared_ = StartCopy(copy_, FormatSelfRemovalOrder(order), jobRefused_);
    started_ = prepared_ == 0;
  }
  // Refused by the job: the copy's place is kept for the program's own file. Otherwise what failed
  // leaves nothing behind.
  if (prepared_ != 0 && !jobRefused_) {
    if (!copy_.empty()) SYS_ZERO(kMaking, DeleteFileA, (copy_.c_str()));
    if (!folder_.empty()) SYS_ZERO(kMaking, RemoveDirectoryA, (folder_.c_str()));
    copy_.clear();
    folder_.clear();
  }
  return prepared_;
}

uint32_t THandOver::MakeCopy(TSelfRemovalOrder& order) {
  // What runs is copied, never whatever file may have come to the program's path meanwhile.
  HANDLE held = static_cast<HANDLE>(HeldProgramFile());
  if (!held) return ProgramFileHoldError();
  order.Original = original_ = ExeFileName();
  size_t sep = LastPathSeparator(original_);
  if (sep == std::string::npos) return ERROR_INVALID_NAME;
  if (!FileIdentityOf(held, order.Identity)) return LastErrorOr(ERROR_FILE_INVALID);
  char temp[MAX_PATH + 1] = {};
  DWORD n = SYS_ZERO(kMaking, GetTempPathA, (MAX_PATH, temp));
  if (n == 0 || n > MAX_PATH) return LastErrorOr(ERROR_PATH_NOT_FOUND);
  // On the 9x family, where nothing is private and WININIT.INI removes no folder, the copy goes
  // into TEMP itself under a fresh name.
  DWORD error = ERROR_FILE_EXISTS;
  if (OnNt()) {
    folder_ = MakePrivateFolder(temp);
    if (folder_.empty()) return LastErrorOr(ERROR_CANNOT_MAKE);
    copy_ = folder_;
    copy_.append(original_, sep, std::string::npos);
    error = CopyHeldFile(held, copy_);
  }
  TFreshNames names;
  for (int attempt = 0; attempt < 64 && (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS); ++attempt) {
    copy_ = temp;
    copy_ += names.Next();
    error = CopyHeldFile(held, copy_ += ".EXE");
  }
  if (error) return error;
  // Listed at once: a copy that someone ends from here on still goes at the restart. That makes no
  // restart needed: without it the copy is all that would wait.
  uint32_t why = 0;
  if (!ScheduleFileRemoval(copy_, std::string(), &why, false) ||
      (!folder_.empty() && !ScheduleFolderRemoval(folder_, std::string(), &why)))
    return why ? why : static_cast<uint32_t>(ERROR_WRITE_FAULT);
  return 0;
}

std::string MovedOriginalName(const std::string& copy) { return copy + ".ORIGINAL"; }

// The program's own file out of the installation folder into the copy's private folder, listed
// for the restart like the copy and that folder again after it: from here on, whatever becomes of
// the copy after this process has ended, nothing of the program waits anywhere but there. Only the
// file that still lies where the program was started from; otherwise the copy decides, as ever.
bool THandOver::MoveBesideCopy() {
  HANDLE held = static_cast<HANDLE>(HeldProgramFile());
  if (!held || folder_.empty() || !HandleLiesAt(held, original_)) return false;
  // Wine moves an open file by the name it was opened with: that must still name this very file.
  TFileIdentity mine, named;
  if (!FileIdentityOf(held, mine) || !ReadFileIdentity(original_, named) || !(mine == named)) return false;
  const std::string moved = MovedOriginalName(copy_);
  if (MoveOpenFile(SystemNativeCalls(), held, moved) != 0) return false;
  uint32_t why = 0;
  if (ScheduleFileRemoval(moved, std::string(), &why, false) && ScheduleFolderRemoval(folder_, std::string(), &why)) {
    // Started from its own folder (as a double click in it does), the program's current folder
    // would keep that folder from going now: this process has nothing more to find there.
    SYS_ZERO(kMaking, SetCurrentDirectoryA, (folder_.c_str()));
    return true;
  }
  // Not listed: back where the copy looks for it first. If even that fails, the copy finds it here.
  return MoveOpenFile(SystemNativeCalls(), held, original_) != 0;
}

TOwnFileFate THandOver::Commit(uint32_t& why) {
  if (started_) {
    leftItsFolder_ = OnNt() && MoveBesideCopy();
    if (SYS_ZERO("the copy's go", SetEvent, (go_.Get()))) {
      why = 0;
      return TOwnFileFate::HandedOver;
    }
    why = LastErrorOr(ERROR_INVALID_HANDLE);
    // Beside the copy, and listed: it waits there for the restart.
    if (leftItsFolder_) return TOwnFileFate::MovedAside;
  } else {
    why = prepared_;
  }
  if (original_.empty()) original_ = ExeFileName();
  // The copy not started, its place listed for the restart: the program's own file goes there, so
  // that its folder can go now and a new installation there is never touched by the restart.
  if (jobRefused_ && !copy_.empty()) {
    HANDLE held = static_cast<HANDLE>(HeldProgramFile());
    if (held && MoveOpenFile(SystemNativeCalls(), held, copy_) == 0) {
      leftItsFolder_ = true;
      return TOwnFileFate::MovedAside;
    }
  }
  if (!original_.empty() && ScheduleFileRemoval(original_)) return TOwnFileFate::WaitsForRestart;
  return TOwnFileFate::Stays;
}

uint32_t RemoveOriginalProgram(const TSelfRemovalOrder& order, const std::string& self) {
  const std::string& path = order.Original;
  std::string folder = ParentFolder(path);
  if (folder.empty()) return ERROR_INVALID_NAME;
  UniqueFile mine(SYS_INVALID(kChecking, CreateFileA, (self.c_str(), GENERIC_READ, ShareAll(), nullptr,
                                                       OPEN_EXISTING, 0, nullptr)));
  if (!mine) return LastErrorOr(ERROR_FILE_NOT_FOUND);
  if (!OnNt()) return RemoveOriginalByName(order, mine.Get(), folder);
  // Checked and deleted through one handle, from the folder that holds the installation folder: a
  // link swapped in on the way, or another file put at the path, is never what goes.
  const std::string trusted = FolderAbove(folder);
  TOriginal original = {&order, mine.Get()};
  const TRemovalCheck check = {&IsTheOriginal, &original};
  uint32_t error = RemoveThroughCheckedHandle(SystemNativeCalls(), path, trusted, false, nullptr, &check);
  if (error != 0) return error;
  // Only an empty folder goes.
  if (!IsRootPath(folder)) RemoveThroughCheckedHandle(SystemNativeCalls(), folder, trusted, true, nullptr, &check);
  return 0;
}

bool HandlesSelfRemoval(const char* commandLine) {
  std::string arguments = CommandArguments(commandLine);
  if (!IsSelfRemovalSwitch(arguments)) return false;
  TSelfRemovalOrder order;
  if (!ParseSelfRemovalOrder(arguments, order)) return true;
  UniqueKernelHandle original(reinterpret_cast<HANDLE>(order.Process)), go(reinterpret_cast<HANDLE>(order.Go));
  // No handle from an original: not started by one, so nothing to do.
  const DWORD waited = WaitAskingAgain(original.Get(), INFINITE);
  original.Reset();
  if (waited != WAIT_OBJECT_0) return true;
  // Told only once the uninstall entry was gone: until then the program must stay for a later run.
  if (WaitAskingAgain(go.Get(), 0) != WAIT_OBJECT_0) return true;
  std::string self = ExeFileName();
  // Moved beside this copy by the original: already listed for the restart with this folder.
  TSelfRemovalOrder beside = order;
  beside.Original = MovedOriginalName(self);
  const bool moved = OnNt() && !self.empty() &&
                     SYS_ONES(kChecking, GetFileAttributesA, (beside.Original.c_str())) !=
                         INVALID_FILE_ATTRIBUTES;
  // The system may let go of an ended program's file a moment after the process ends, and a place
  // that could not be looked at once may answer the next time; what is no longer the program, or
  // lies behind a link, would not change by waiting.
  uint32_t error = 0;
  for (int attempt = 0; attempt < 50; ++attempt) {
    error = RemoveOriginalProgram(moved ? beside : order, self);
    if (!MayAnswerAgain(error)) break;
    ::Sleep(100);
  }
  if (moved) return true;
  // The run has ended and promised that nothing is left: what of the program and its folder did
  // not go now goes at the restart. Not what is no longer the program, nor a place behind a link.
  const std::string folder = ParentFolder(order.Original);
  const std::string trusted = FolderAbove(folder);
  if (error != 0 && error != kProgramFileReplaced && error != kRemovalThroughLink && error != kRemovalUnchecked)
    ScheduleFileRemoval(order.Original, trusted);
  if (!IsRootPath(folder)) ScheduleFolderRemoval(folder, trusted);
  return true;
}
