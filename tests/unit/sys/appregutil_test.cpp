// Against the prefix's real HKEY_LOCAL_MACHINE, in throwaway keys named after this process.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include "sys/Appregutil.h"
#include "sys/Handle.h"
#include "unit/setup/Engtestutil.h"

namespace {

using namespace engtest;

const std::string kUninstall = std::string(kUninstallKey) + "\\";
const std::string kMaker = "Software\\QORV\\";

void SetValue(const std::string& path, const char* name, DWORD type, const void* data,
              DWORD size) {
  UniqueHKey key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0,
                                           KEY_ALL_ACCESS, nullptr, key.Put(), nullptr));
  EXPECT_EQ(ERROR_SUCCESS,
            RegSetValueExA(key.Get(), name, 0, type, static_cast<const BYTE*>(data), size));
}

void SetText(const std::string& path, const char* name, const std::string& text) {
  SetValue(path, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

// Opens a key as itself, not as the target of a link.
LONG OpenAsItself(const std::string& path, UniqueHKey& key) {
  return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS, key.Put());
}

class AppReg : public ::testing::Test {
protected:
  std::string name = "TarvoTest_" + std::to_string(GetCurrentProcessId());
  std::string other = name + "_Bystander";

  // A registry link key (REG_LINK) at `path` that leads to `target`.
  void MakeLink(const std::string& path, const std::string& target) {
    UniqueHKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK,
                                             KEY_ALL_ACCESS, nullptr, key.Put(), nullptr));
    links_.push_back(path);
    std::string kernelName = "\\Registry\\Machine\\" + target;
    std::wstring wide(kernelName.begin(), kernelName.end());
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key.Get(), L"SymbolicLinkValue", 0, REG_LINK,
                                            reinterpret_cast<const BYTE*>(wide.c_str()),
                                            static_cast<DWORD>(wide.size() * sizeof(wchar_t))));
  }
  static bool LinkExists(const std::string& path) {
    UniqueHKey key;
    return OpenAsItself(path, key) == ERROR_SUCCESS;
  }

  void SetUp() override { hadMaker_ = KeyExists("Software\\QORV"); }
  void TearDown() override {
    // Links left by a failure go first, as links: a deletion by name would follow them.
    using NtDeleteKeyFn = LONG(WINAPI*)(HANDLE);
    auto ntDeleteKey = reinterpret_cast<NtDeleteKeyFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDeleteKey")));
    for (const std::string& link : links_) {
      UniqueHKey key;
      if (OpenAsItself(link, key) == ERROR_SUCCESS) ntDeleteKey(key.Get());
    }
    for (const std::string& n : {name, other, name + "X"}) {
      SHDeleteKeyA(HKEY_LOCAL_MACHINE, (kUninstall + n).c_str());
      SHDeleteKeyA(HKEY_LOCAL_MACHINE, (kMaker + n).c_str());
      SHDeleteValueA(HKEY_LOCAL_MACHINE, kRunKey, n.c_str());
    }
    if (!hadMaker_) RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\QORV");   // only when empty
  }

private:
  bool hadMaker_ = false;
  std::vector<std::string> links_;
};

}  // namespace

TEST_F(AppReg, DeleteUninstallKeyTakesTheWholeSubtreeAndNothingBeside) {
  for (const char* sub : {"\\a\\b\\c", "\\a\\b2", "\\a2", "\\z\\y"}) MakeKey(kUninstall + name + sub);
  SetText(kUninstall + name + "\\a\\b", "v", "x");
  SetText(kUninstall + other, "UninstallString", "keep");
  SetText(kUninstall + name + "X", "UninstallString", "keep");
  EXPECT_EQ(0u, DeleteUninstallKey(name));
  EXPECT_FALSE(KeyExists(kUninstall + name));
  EXPECT_TRUE(ValueExists(kUninstall + other, "UninstallString"));
  EXPECT_TRUE(ValueExists(kUninstall + name + "X", "UninstallString"));
  EXPECT_EQ(0u, DeleteUninstallKey(name));   // now missing: nothing happens
  EXPECT_TRUE(KeyExists(kUninstall + other));
}

TEST_F(AppReg, DeleteProductKeyTakesItsUsedList) {
  SetText(kMaker + name + "\\Used", "Prod", "");
  SetText(kMaker + other + "\\Used", "Prod", "");
  EXPECT_EQ(0u, DeleteProductKey(name));
  EXPECT_FALSE(KeyExists(kMaker + name));
  EXPECT_TRUE(ValueExists(kMaker + other + "\\Used", "Prod"));
  // No name would be the maker's whole branch: refused, and said so.
  EXPECT_EQ(static_cast<uint32_t>(ERROR_INVALID_NAME), DeleteProductKey(""));
  EXPECT_EQ(static_cast<uint32_t>(ERROR_INVALID_NAME), DeleteUninstallKey(""));
  EXPECT_TRUE(ValueExists(kMaker + other + "\\Used", "Prod"));
}

// A link below each tree, and a tree that is itself a link, all leading to a bystander's tree:
// the links go as links, and the bystander keeps every key and value.
TEST_F(AppReg, LinkKeysAreRemovedAsLinksAndTheirTargetsStay) {
  const std::string target = kMaker + other;
  SetText(target, "keep", "x");
  SetText(target + "\\deep", "keep", "x");
  SetText(target, "UninstallString", "C:\\Other\\Uninstall.EXE");
  MakeKey(kUninstall + name + "\\a\\b");
  MakeKey(kMaker + name + "\\Used");
  const std::string links[] = {kUninstall + name + "\\a\\toOther", kMaker + name + "\\Used\\toOther",
                               kMaker + name + "X", kUninstall + name + "X"};
  for (const std::string& link : links) MakeLink(link, target);
  ASSERT_TRUE(ValueExists(links[0] + "\\deep", "keep")) << "a link leads to its target";
  EXPECT_EQ("", ReadUninstallString(name + "X")) << "another program's entry, and its folder";

  EXPECT_EQ(0u, DeleteUninstallKey(name));
  EXPECT_EQ(0u, DeleteUninstallKey(name + "X"));
  EXPECT_EQ(0u, DeleteProductKey(name));
  EXPECT_EQ(0u, DeleteProductKey(name + "X"));
  EXPECT_TRUE(ValueExists(target, "keep"));
  EXPECT_TRUE(ValueExists(target + "\\deep", "keep"));
  for (const std::string& link : links) EXPECT_FALSE(LinkExists(link)) << link;
  EXPECT_FALSE(KeyExists(kUninstall + name));
  EXPECT_FALSE(KeyExists(kMaker + name));
}

// Names below the product's keys are anyone's, in any script: wherever keys go through their
// handles (the NT family, in a compatibility mode for 98 too) each is enumerated, opened and
// deleted as itself, a Cyrillic name on a Western code page too, which the ANSI calls read as "???".
TEST_F(AppReg, ANameOutsideTheCodePageGoesWithItsSiblings) {
  const std::string top = kMaker + name;
  for (const char* sub : {"\\a", "\\z\\y"}) MakeKey(top + sub);
  const std::wstring wideTop(top.begin(), top.end());
  const std::wstring cyrillic = wideTop + L"\\\x0418\x043c\x044f";
  UniqueHKey key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, cyrillic.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                           nullptr, key.Put(), nullptr));
  key.Reset();
  EXPECT_EQ(0u, DeleteProductKey(name));
  EXPECT_FALSE(KeyExists(top));
}

namespace {
// How deep below its caller a call writes into the stack: the region is painted first, and what
// the call leaves of the paint is measured, both from the same depth by the same frame.
constexpr size_t kPainted = 256 * 1024;
constexpr unsigned char kPaint = 0xA5;
void Paint() {
  unsigned char region[kPainted];
  volatile unsigned char* paint = region;
  for (size_t i = 0; i < kPainted; ++i) paint[i] = kPaint;
}
size_t Measure() {
  unsigned char region[kPainted];
  volatile unsigned char* left = region;
  size_t untouched = 0;
  while (untouched < kPainted && left[untouched] == kPaint) ++untouched;
  return kPainted - untouched;
}
void (*volatile g_paint)() = &Paint;
size_t (*volatile g_measure)() = &Measure;
}  // namespace

// The registry's limit: a tree 512 levels below the hive's root. It goes whole, and on a stack of
// its own: the program's own stack serves it as little as a shallow tree (a deletion that recursed
// would take hundreds of bytes a level). Wine enforces no limit: tested at it, not beyond.
TEST_F(AppReg, ATreeAtTheRegistrysDepthLimitGoesWithoutTheProgramsStack) {
  const std::string top = kMaker + name;   // 3 levels: Software, QORV, the product
  UniqueHKey key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, top.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                           key.Put(), nullptr));
  for (int depth = 3; depth < 512; ++depth) {
    UniqueHKey next;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(key.Get(), "d", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, next.Put(),
                                             nullptr)) << depth;
    key = std::move(next);
  }
  SetText(top + "\\d\\d", "v", "x");
  key.Reset();
  g_paint();
  const uint32_t result = DeleteProductKey(name);
  const size_t used = g_measure();
  EXPECT_EQ(0u, result);
  EXPECT_FALSE(KeyExists(top));
  EXPECT_LT(used, 32u * 1024) << "bytes of stack";
}

// What the machine has decides, never the version it reports: a key is opened as itself, again
// without that option only on the 9x family (which has no links) and only for a refusal; it goes
// through its handle wherever the call exists.
TEST(KeyDecisions, FollowTheMachine) {
  EXPECT_TRUE(OpensWithoutLinkOption(false, ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(OpensWithoutLinkOption(true, ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(OpensWithoutLinkOption(false, ERROR_ACCESS_DENIED));
  EXPECT_FALSE(OpensWithoutLinkOption(false, ERROR_SUCCESS));
  EXPECT_EQ(TKeyDeletion::ThroughHandle, ChooseKeyDeletion(true, true));
  EXPECT_EQ(TKeyDeletion::ThroughHandle, ChooseKeyDeletion(false, true));   // NT in a mode for 98
  EXPECT_EQ(TKeyDeletion::ByName, ChooseKeyDeletion(false, false));
  EXPECT_EQ(TKeyDeletion::Refused, ChooseKeyDeletion(true, false));
}

TEST_F(AppReg, ReadUninstallStringGivesTheCommandOrNothing) {
  const std::string key = kUninstall + name;
  EXPECT_EQ("", ReadUninstallString(name));   // no key
  MakeKey(key);
  EXPECT_EQ("", ReadUninstallString(name));   // no value
  SetValue(key, "UninstallString", REG_SZ, "", 0);
  EXPECT_EQ("", ReadUninstallString(name));   // size 0
  SetValue(key, "UninstallString", REG_SZ, "C:\\a b\\U.exe\0tail", 18);
  EXPECT_EQ("C:\\a b\\U.exe", ReadUninstallString(name));
  SetValue(key, "UninstallString", REG_SZ, "C:\\U.exe", 8);   // stored without its terminator
  EXPECT_EQ("C:\\U.exe", ReadUninstallString(name));
}

TEST_F(AppReg, ReadUninstallStringExpandsVariablesAndRefusesOtherTypes) {
  const std::string key = kUninstall + name;
  SetEnvironmentVariableA("TARVO_TEST_DIR", "C:\\Tarvo Dir");
  const char expand[] = "%TARVO_TEST_DIR%\\Uninstall.EXE";
  SetValue(key, "UninstallString", REG_EXPAND_SZ, expand, sizeof expand);
  EXPECT_EQ("C:\\Tarvo Dir\\Uninstall.EXE", ReadUninstallString(name));
  DWORD number = 0x41414141;
  SetValue(key, "UninstallString", REG_DWORD, &number, sizeof number);
  EXPECT_EQ("", ReadUninstallString(name));
  SetValue(key, "UninstallString", REG_BINARY, "C:\\U.exe", 9);
  EXPECT_EQ("", ReadUninstallString(name));
}

TEST_F(AppReg, IsUsedByOthersDoubtsEverythingButAClearNo) {
  const std::string used = kMaker + name + "\\Used";
  EXPECT_TRUE(IsUsedByOthers(name, "Me"));   // no component key
  MakeKey(kMaker + name);
  EXPECT_TRUE(IsUsedByOthers(name, "Me"));   // no Used key
  MakeKey(used);
  EXPECT_FALSE(IsUsedByOthers(name, "Me"));  // empty list
  SetText(used, "Me", "");
  EXPECT_FALSE(IsUsedByOthers(name, "Me"));  // only the asking product
  EXPECT_TRUE(IsUsedByOthers(name, "me2"));  // only another one, seen from its side
  SetText(used, "Other", "");
  EXPECT_TRUE(IsUsedByOthers(name, "Me"));   // the asking product and another
  SHDeleteValueA(HKEY_LOCAL_MACHINE, used.c_str(), "Me");
  EXPECT_TRUE(IsUsedByOthers(name, "Me"));   // only another
  SetText(used, "Third", "");
  EXPECT_TRUE(IsUsedByOthers(name, "Me"));   // two others
}

TEST_F(AppReg, RemoveUsedMarkDeletesOneValueAndKeepsTheKey) {
  const std::string used = kMaker + name + "\\Used";
  EXPECT_EQ(0u, RemoveUsedMark(name, "Me"));
  EXPECT_FALSE(KeyExists(used));   // a missing list is not created
  SetText(used, "Me", "");
  SetText(used, "Other", "");
  EXPECT_EQ(0u, RemoveUsedMark(name, "Me"));
  EXPECT_FALSE(ValueExists(used, "Me"));
  EXPECT_TRUE(ValueExists(used, "Other"));
  EXPECT_EQ(0u, RemoveUsedMark(name, "Other"));
  EXPECT_TRUE(KeyExists(used));
  EXPECT_FALSE(IsUsedByOthers(name, "Me"));
}

TEST_F(AppReg, DeleteRunValueTakesOnlyTheNamedValue) {
  SetText(kRunKey, name.c_str(), "C:\\x.exe");
  SetText(kRunKey, other.c_str(), "C:\\y.exe");
  EXPECT_EQ(0u, DeleteRunValue(name));
  EXPECT_FALSE(ValueExists(kRunKey, name));
  EXPECT_TRUE(ValueExists(kRunKey, other));
  EXPECT_EQ(0u, DeleteRunValue(name));   // no such value: nothing changes
  EXPECT_TRUE(ValueExists(kRunKey, other));
}
