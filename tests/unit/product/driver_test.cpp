// The driver: texts and caption, the progress bridge, cancel, and the whole plan run against a
// product laid out in the prefix under a throwaway name.
#include <gtest/gtest.h>
#include <algorithm>
#include "msg/Msgids.h"
#include "msg/Winlangutil.h"
#include "product/Tarvolinkfilename.h"
#include "product/Tarvolinkuninstall.h"
#include "setup/Boundcall.h"
#include "setup/Uninstlist.h"
#include "sys/Systemfolder.h"
#include "toolkit/Application.h"
#include "unit/setup/Engtestutil.h"

using namespace engtest;

TEST(DriverTexts, BuiltInTextsWithoutACatalogue) {
  std::string catalogue = AppFilePath(MessageFileName(GetLanguageCode()));
  ::DeleteFileA(catalogue.c_str());
  TclTarvolinkUninstall driver;
  EXPECT_EQ(1, driver.Charset);
  ASSERT_TRUE(driver.Initialize());
  EXPECT_EQ(1, driver.Charset);
  EXPECT_EQ("Uninstall Tarvolink", driver.GetCaption());
  EXPECT_EQ("Uninstall Compelete !", driver.GetText(msgUninstallComplete));
  EXPECT_EQ("Tarvolink", driver.List->ProductName);
}

TEST(DriverTexts, TheLanguagesCatalogueAndCharset) {
  std::string code = GetLanguageCode();
  std::string catalogue = AppFilePath(MessageFileName(code));
  WriteFile(catalogue, "15102 Deinstallieren\r\n15302 Fertig\r\n");
  TclTarvolinkUninstall driver;
  ASSERT_TRUE(driver.Initialize());
  ::DeleteFileA(catalogue.c_str());
  EXPECT_EQ(GetLanguageCharset(code), driver.Charset);
  EXPECT_EQ("Deinstallieren Tarvolink", driver.GetCaption());
  EXPECT_EQ("Fertig", driver.GetText(msgUninstallComplete));
  EXPECT_EQ("Cancel !", driver.GetText(msgCancel));
}

namespace {
struct Notes {
  int calls = 0;
  int32_t percent = -1;
};
void Note(Notes& n, const TclTarvolinkUninstall& sender) {
  ++n.calls;
  n.percent = sender.Percent;
}
}  // namespace

TEST(DriverProgress, PassesReportsOnUntilCancelledThenRefusesThemAll) {
  TclTarvolinkUninstall driver;
  Notes notes;
  bool cancel = false;
  TclTarvolinkUninstall::HandleListProgress(driver, driver.List.get(), 42, "line", cancel);
  EXPECT_FALSE(cancel);
  EXPECT_EQ(42, driver.Percent);
  EXPECT_EQ("line", driver.StatusText);
  TBoundCall<&Note>::Bind(driver.OnProgress, driver.ProgressContext, notes);
  TclTarvolinkUninstall::HandleListProgress(driver, driver.List.get(), 50, "next", cancel);
  EXPECT_EQ(1, notes.calls);
  EXPECT_EQ(50, notes.percent);
  driver.Cancelled = true;
  for (int i = 0; i < 2; ++i) {
    cancel = false;
    TclTarvolinkUninstall::HandleListProgress(driver, driver.List.get(), 60, "later", cancel);
    EXPECT_TRUE(cancel);
  }
  EXPECT_EQ(1, notes.calls);
  EXPECT_EQ(50, driver.Percent);
  EXPECT_EQ("next", driver.StatusText);
}

namespace {
bool PumpAnswers(bool& goesOn) { return goesOn; }
}  // namespace

// A quit met while the messages are served (the session ending, say) stops the run as a close
// does, one report later: that report is still shown, every later one refused.
TEST(DriverProgress, AQuitInThePumpRefusesTheReportsAfterIt) {
  TclTarvolinkUninstall driver;
  bool goesOn = true;
  driver.UseMessagePump(&TBoundCall<&PumpAnswers>::Call, &goesOn);
  Notes notes;
  TBoundCall<&Note>::Bind(driver.OnProgress, driver.ProgressContext, notes);
  bool cancel = false;
  TclTarvolinkUninstall::HandleListProgress(driver, driver.List.get(), 10, "shown", cancel);
  goesOn = false;
  TclTarvolinkUninstall::HandleListProgress(driver, driver.List.get(), 20, "quit", cancel);
  EXPECT_FALSE(cancel);
  EXPECT_EQ(2, notes.calls);
  goesOn = true;
  TclTarvolinkUninstall::HandleListProgress(driver, driver.List.get(), 30, "later", cancel);
  EXPECT_TRUE(cancel);
  EXPECT_EQ(2, notes.calls);
  EXPECT_EQ(20, driver.Percent);
}

// --- A product laid out in the prefix ---

namespace {

const UINT kCloseRequest = WM_APP + 7;

// Stands in for the window: a close request, handled while the driver pumps messages.
LRESULT CALLBACK CloserProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kCloseRequest) {
    auto* driver = reinterpret_cast<TclTarvolinkUninstall*>(::GetWindowLongPtrA(wnd, GWLP_USERDATA));
    if (driver) driver->Cancelled = true;
    return 0;
  }
  return ::DefWindowProcA(wnd, msg, wp, lp);
}

// The product's files (besides its information files) and its Programs links, as Lay makes them.
const char* const kProductFiles[] = {"Tarvolink.EXE", "Uninstall.EXE", "setup.ini",    "Files.ini",
                                     "Backup.log",    "Busprobe.exe",  "about.bmp",    "main.bmp",
                                     "help.chm",      "SetupMsg.ENG",  "ExENG.FRC",    "SetupMsg.JPN",
                                     "dzips32.dll",   "dunzips32.dll"};
const char* const kProgramLinks[] = {"Tarvolink.LNK", "Uninstall.LNK", "Port Speed Probe.LNK"};

class Product {
public:
  Product()
      : root_("tvprod"), name_(Unique("TvEngProduct")), other_(Unique("TvEngOther")),
        dir_(root_ / "Tarvolink"), programs_(GetProgramsFolder() + "\\" + name_),
        desktopLink_(GetDesktopFolder() + "\\Tarvolink.LNK") {}
  ~Product() {
    RemoveTree(programs_);
    ::DeleteFileA(desktopLink_.c_str());
    DeleteTree(UninstallKey(name_));
    DeleteTree(UninstallKey(other_));
    DeleteTree("Software\\QORV\\" + name_);
    DeleteTree("Software\\QORV\\" + other_);
    DeleteValue(kRunKey, name_);
    DeleteValue(kRunKey, other_);
  }

  static std::string UninstallKey(const std::string& n) { return std::string(kUninstallKey) + "\\" + n; }

  void Lay() {
    MakeDirs(dir_);
    MakeDirs(programs_);
    MakeDirs(root_ / "Other");
    for (const char* f : kProductFiles) WriteFile(dir_ + "\\" + f);
    WriteFile(dir_ + "\\setup.ini", "x", FILE_ATTRIBUTE_READONLY);
    WriteFile(dir_ + "\\Info.ini", "[LOGO]\r\nAbout=about.bmp\r\nMain=" + dir_ +
                                       "\\main.bmp\r\nLoading=..\\neighbour.txt\r\n[Help]\r\nCHM=\r\n");
    WriteFile(dir_ + "\\InfoENG.Ini", "[LOGO]\r\nAbout=about.bmp\r\nMain=" + (root_ / "Other\\Tarvolink.EXE") +
                                          "\r\n[Help]\r\nCHM=help.chm\r\n");
    for (const char* l : kProgramLinks) WriteFile(programs_ + "\\" + l);
    WriteFile(desktopLink_);
    WriteFile(root_ / "neighbour.txt");
    WriteFile(root_ / "Other\\Tarvolink.EXE");
    SetString(UninstallKey(name_), "UninstallString", "\"" + dir_ + "\\Uninstall.EXE\"");
    SetString(UninstallKey(other_), "UninstallString", "C:\\Other\\Uninstall.EXE");
    MakeKey("Software\\QORV\\" + name_ + "\\Settings");
    MakeKey("Software\\QORV\\" + other_);
    SetString(kRunKey, name_, dir_ + "\\Tarvolink.EXE");
    SetString(kRunKey, other_, "C:\\Other\\x.exe");
  }

  // Everything the plan removes from files, folders and the Run key, in a fixed order.
  std::vector<std::string> Removable() const {
    std::vector<std::string> p;
    for (const char* f : kProductFiles) p.push_back(dir_ + "\\" + f);
    for (const char* f : {"Info.ini", "InfoENG.Ini"}) p.push_back(dir_ + "\\" + f);
    for (const char* l : kProgramLinks) p.push_back(programs_ + "\\" + l);
    p.push_back(desktopLink_);
    p.push_back(programs_);
    p.push_back(dir_);
    return p;
  }
  std::string State() const {
    std::string s;
    for (const auto& p : Removable()) s += PathExists(p) ? '1' : '0';
    s += ValueExists(kRunKey, name_) ? '1' : '0';
    return s;
  }
  bool KeysKept() const {
    return KeyExists(UninstallKey(name_)) && KeyExists("Software\\QORV\\" + name_ + "\\Settings");
  }
  bool KeysGone() const { return !KeyExists(UninstallKey(name_)) && !KeyExists("Software\\QORV\\" + name_); }
  // The uninstall entry names a program that is there.
  bool EntryNamesAFile() const {
    UniqueHKey k;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, UninstallKey(name_).c_str(), 0, KEY_READ, k.Put()) != ERROR_SUCCESS)
      return false;
    char value[MAX_PATH] = {};
    DWORD size = sizeof value - 1;
    if (::RegQueryValueExA(k.Get(), "UninstallString", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size))
      return false;
    std::string exe = value;
    if (exe.size() > 2 && exe[0] == '"') exe = exe.substr(1, exe.size() - 2);
    return IsFile(exe);
  }
  // Something of the product waits for the next restart.
  bool AnythingPending() const {
    for (auto op : PendingOperations()) {
      std::string dir = dir_, programs = programs_;
      for (std::string* t : {&op, &dir, &programs})
        for (char& c : *t) c = static_cast<char>(::toupper(static_cast<unsigned char>(c)));
      if (op.find(dir) != std::string::npos || op.find(programs) != std::string::npos) return true;
    }
    return false;
  }
  bool BystandersKept() const {
    return PathExists(root_ / "neighbour.txt") && PathExists(root_ / "Other\\Tarvolink.EXE") &&
           KeyExists(UninstallKey(other_)) && KeyExists("Software\\QORV\\" + other_) &&
           ValueExists(kRunKey, other_) && KeyExists("Software\\QORV");
  }

  // A driver as the window sets it up, pointed at this product.
  void Prepare(TclTarvolinkUninstall& driver) const {
    ASSERT_TRUE(driver.Initialize());
    driver.List->SetProductName(name_);
    ASSERT_EQ(dir_, driver.List->InstallDir);
  }

  const std::string& Dir() const { return dir_; }

private:
  TempDir root_;
  std::string name_, other_, dir_, programs_, desktopLink_;
};

// One run as the window makes it; `closeAt` (1-based) is the report at which the user's close
// arrives, 0 for none. Records the state of the machine at every accepted report.
struct RunRecord {
  const Product* product = nullptr;
  HWND closer = nullptr;
  int closeAt = 0;
  int accepted = 0;
  std::vector<std::string> states;
  std::vector<std::string> lines;
  bool pendingSeen = false;
};
void OnRunProgress(RunRecord& r, const TclTarvolinkUninstall& driver) {
  ++r.accepted;
  r.states.push_back(r.product->State());
  r.lines.push_back(driver.StatusText);
  if (r.product->AnythingPending()) r.pendingSeen = true;
  if (r.closeAt == r.accepted + 1) ::PostMessageA(r.closer, kCloseRequest, 0, 0);
}

class Closer {
public:
  explicit Closer(TclTarvolinkUninstall* driver) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = CloserProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "TvEngCloser";
    ::RegisterClassA(&wc);
    wnd_ = ::CreateWindowExA(0, "TvEngCloser", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ::SetWindowLongPtrA(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(driver));
  }
  ~Closer() { ::DestroyWindow(wnd_); }
  HWND Handle() const { return wnd_; }
private:
  HWND wnd_;
};

int32_t RunAsTheWindowDoes(TclTarvolinkUninstall& driver, RunRecord& run) {
  Closer closer(&driver);
  run.closer = closer.Handle();
  TBoundCall<&OnRunProgress>::Bind(driver.OnProgress, driver.ProgressContext, run);
  driver.UseMessagePump(&TApplication::PumpMessages, nullptr);
  if (run.closeAt == 1) ::PostMessageA(run.closer, kCloseRequest, 0, 0);
  int32_t r = driver.BuildPlan();
  if (r == 0) r = driver.AddFile("dzips32.dll");
  if (r == 0) r = driver.AddFile("dunzips32.dll");
  if (r == 0) r = driver.ExecutePlan();
  driver.OnProgress = nullptr;
  return r;
}

}  // namespace

TEST(DriverRun, ACancelAtTheFirstReportRemovesNothing) {
  Product product;
  product.Lay();
  std::string before = product.State();
  TclTarvolinkUninstall driver;
  product.Prepare(driver);
  RunRecord run;
  run.product = &product;
  run.closeAt = 1;
  EXPECT_EQ(msgCancel, RunAsTheWindowDoes(driver, run));
  EXPECT_EQ(0, run.accepted);
  EXPECT_EQ(before, product.State());
  EXPECT_TRUE(product.KeysKept());
}

// For every report k, a close at k leaves exactly what a full run had left at k, keeps the keys,
// schedules nothing, so that the entry still names its program after a restart, and a new run
// afterwards completes the uninstall. The uninstaller's file is held, as a running program's is.
TEST(DriverRun, ACancelAtAnyReportLosesNothingAndANewRunFinishes) {
  Product reference;
  reference.Lay();
  TclTarvolinkUninstall refDriver;
  reference.Prepare(refDriver);
  RunRecord full;
  full.product = &reference;
  {
    FileHolder running;
    ASSERT_TRUE(running.Start(reference.Dir() + "\\Uninstall.EXE"));
    ASSERT_EQ(0, RunAsTheWindowDoes(refDriver, full));
  }
  ASSERT_TRUE(reference.KeysGone());
  ASSERT_TRUE(reference.BystandersKept());
  EXPECT_FALSE(full.pendingSeen) << "scheduled before the run was complete";
  const int reports = full.accepted;
  ASSERT_GT(reports, 60);

  // Restarts cost seconds: after the reports around the uninstaller's own item and the last ones.
  std::vector<int> restartAt = {1, reports - 1, reports};
  for (int k = 1; k <= reports; ++k)
    if (full.lines[k - 1] == "Delete Uninstall.EXE" && (k == 1 || full.lines[k - 2] != full.lines[k - 1]))
      restartAt.insert(restartAt.end(), {k - 1, k, k + 1});
  for (int k = reports; k > 1; --k)
    if (full.lines[k - 1] == "Delete Uninstall.EXE") {
      restartAt.insert(restartAt.end(), {k, k + 1, k + 2});
      break;
    }
  ASSERT_GT(restartAt.size(), 6u) << "the uninstaller's own item was not seen";

  for (int k = 1; k <= reports; ++k) {
    Product product;
    product.Lay();
    TclTarvolinkUninstall driver;
    product.Prepare(driver);
    RunRecord cancelled;
    cancelled.product = &product;
    cancelled.closeAt = k;
    {
      FileHolder running;
      ASSERT_TRUE(running.Start(product.Dir() + "\\Uninstall.EXE"));
      ASSERT_EQ(msgCancel, RunAsTheWindowDoes(driver, cancelled)) << k;
    }
    ASSERT_EQ(k - 1, cancelled.accepted) << k;
    EXPECT_EQ(full.states[k - 1], product.State()) << "cancel at report " << k;
    EXPECT_TRUE(product.KeysKept()) << k;
    EXPECT_FALSE(product.AnythingPending()) << k;
    EXPECT_TRUE(product.EntryNamesAFile()) << k;
    if (std::find(restartAt.begin(), restartAt.end(), k) != restartAt.end()) {
      std::string before = product.State();
      Process restart("wineboot.exe -r");
      ASSERT_TRUE(restart.Exited(120000)) << k;
      EXPECT_EQ(before, product.State()) << "restart after a cancel at report " << k;
      EXPECT_TRUE(product.EntryNamesAFile()) << k;
    }

    RunRecord again;
    again.product = &product;
    EXPECT_EQ(0, RunAsTheWindowDoes(driver, again)) << k;
    EXPECT_EQ(std::string(product.State().size(), '0'), product.State()) << k;
    EXPECT_TRUE(product.KeysGone()) << k;
    EXPECT_TRUE(product.BystandersKept()) << k;
  }
}

// The uninstaller's own file is in use during the run, as it always is.
TEST(DriverRun, TheWholePlanWithTheUninstallerRunning) {
  Product product;
  product.Lay();
  FileHolder running;
  ASSERT_TRUE(running.Start(product.Dir() + "\\Uninstall.EXE"));
  TclTarvolinkUninstall driver;
  product.Prepare(driver);
  RunRecord run;
  run.product = &product;
  EXPECT_EQ(0, RunAsTheWindowDoes(driver, run));
  EXPECT_LT(driver.Percent, 100);   // reports come before their steps: never 100
  EXPECT_TRUE(product.KeysGone());
  EXPECT_TRUE(product.BystandersKept());
  for (const auto& p : product.Removable()) {
    bool stays = p == product.Dir() || p == product.Dir() + "\\Uninstall.EXE";
    EXPECT_EQ(stays, PathExists(p)) << p;
  }
  // Another program's hold: scheduled, but only once the keys were gone.
  EXPECT_FALSE(run.pendingSeen);
  EXPECT_TRUE(IsPending(product.Dir() + "\\Uninstall.EXE"));
  EXPECT_TRUE(IsPending(product.Dir()));
  running.End();
}
