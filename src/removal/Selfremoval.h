// The uninstaller's removal of its own program file and folder, which a running program cannot
// do itself. Before the uninstall entry goes, a copy of the program is made where nobody else can
// put a file (a new private folder under the temporary folder; on the 9x family, where nothing is
// private, a new file there), listed for the next restart at once, and started: it waits for this
// process to end. Once the entry is gone the copy is told to go on: then it deletes the original
// file (only that very file) and its folder when empty. A copy that is never told (the run failed,
// or ended before) leaves everything as it was, and goes at the restart. The original process ends
// as usual, with its own exit code.
#pragma once
#include <cstdint>
#include <string>
#include "sys/Commandargs.h"
#include "sys/Exename.h"
#include "sys/Handle.h"

// What the copy is told on its command line.
struct TSelfRemovalOrder {
  uintptr_t Process = 0;          // inherited handle of the original process
  uintptr_t Go = 0;               // inherited event, set by the original once the entry is gone
  TFileIdentity Identity;         // of the original program file
  std::string Original;           // its path
};
// The command-line arguments after the program name, and back. Parsing accepts nothing else.
std::string FormatSelfRemovalOrder(const TSelfRemovalOrder& order);
bool ParseSelfRemovalOrder(const std::string& arguments, TSelfRemovalOrder& order);

// What becomes of the program's own file once the entry is gone.
enum class TOwnFileFate {
  HandedOver,       // the copy deletes it, and its folder, right after this process ends
  MovedAside,       // moved into the copy's place, listed for the restart: its folder can go now
  WaitsForRestart,  // listed for the restart where it is
  Stays,            // none of that could be done: it, and its folder, must be deleted by hand
};

// The original's side, in two steps around the deletion of the uninstall entry.
class THandOver {
public:
  THandOver() = default;
  ~THandOver();
  THandOver(const THandOver&) = delete;
  THandOver& operator=(const THandOver&) = delete;

  // Copies the program, as held since the start (HoldProgramFile), lists the copy (and its folder)
  // for the next restart and starts it, waiting. 0, or the Windows error of what could not be
  // done (a copy made is deleted again; not held: ProgramFileHoldError). A job that refuses to let
  // the copy out, and so would end it with this process, keeps it from being started: JobRefused,
  // the copy made and listed all the same, for its place.
  uint32_t Prepare();
  bool JobRefused() const { return jobRefused_; }
  // After the entry's deletion: the copy goes on. Where it was not started or cannot be told, the
  // program's own file is moved into the copy's place (NT family), or listed for the restart where
  // it is. `why` gets the error that kept the copy from doing it (0 when it does).
  TOwnFileFate Commit(uint32_t& why);
  const std::string& CopyPath() const { return copy_; }
  // The program's own file has left the installation folder (NT family): moved beside the copy,
  // or into its place.
  bool LeftItsFolder() const { return leftItsFolder_; }

private:
  uint32_t MakeCopy(TSelfRemovalOrder& order);
  bool MoveBesideCopy();

  std::string original_, copy_, folder_;   // folder_: the private one, none on the 9x family
  UniqueKernelHandle go_;
  uint32_t prepared_ = ERROR_INVALID_FUNCTION;   // Prepare's answer: not called yet
  bool started_ = false;
  bool jobRefused_ = false;
  bool leftItsFolder_ = false;
};

// Where the original's file waits beside the copy once moved there (the copy's own name and a
// fixed ending).
std::string MovedOriginalName(const std::string& copy);

// The copy's side, whole: waits for the original and, once told, removes it (from beside itself
// when the original moved it there). For the entry point,
// before anything else; true when the command line was the copy's (the program then ends).
bool HandlesSelfRemoval(const char* commandLine);

// The copy's removal of the original once it has ended: the file only when it is the one named by
// the identity and holds the same bytes as `self`, never through a link (on the NT family checked
// and deleted through one handle); then its folder when empty. 0 when the file was deleted,
// otherwise the Windows error (kProgramFileReplaced for another file at its path).
uint32_t RemoveOriginalProgram(const TSelfRemovalOrder& order, const std::string& self);
