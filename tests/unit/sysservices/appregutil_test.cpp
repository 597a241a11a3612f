// Against the prefix's real HKEY_LOCAL_MACHINE, in throwaway keys named after this process.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include <string>

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

class AppReg : public ::testing::Test {
protected:
  std::string name = "TarvoTest_" + std::to_string(GetCurrentProcessId());
  std::string other = name + "_Bystander";

  void SetUp() override { hadMaker_ = KeyExists("Software\\QORV"); }
  void TearDown() override {
    for (const std::string& n : {name, other, name + "X"}) {
      SHDeleteKeyA(HKEY_LOCAL_MACHINE, (kUninstall + n).c_str());
      SHDeleteKeyA(HKEY_LOCAL_MACHINE, (kMaker + n).c_str());
      SHDeleteValueA(HKEY_LOCAL_MACHINE, kRunKey, n.c_str());
    }
    if (!hadMaker_) RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\QORV");   // only when empty
  }

private:
  bool hadMaker_ = false;
};

}  // namespace

TEST_F(AppReg, DeleteUninstallKeyTakesTheWholeSubtreeAndNothingBeside) {
  for (const char* sub : {"\\a\\b\\c", "\\a\\b2", "\\a2", "\\z\\y"}) MakeKey(kUninstall + name + sub);
  SetText(kUninstall + name + "\\a\\b", "v", "x");
  SetText(kUninstall + other, "UninstallString", "keep");
  SetText(kUninstall + name + "X", "UninstallString", "keep");
  EXPECT_TRUE(DeleteUninstallKey(name));
  EXPECT_FALSE(KeyExists(kUninstall + name));
  EXPECT_TRUE(ValueExists(kUninstall + other, "UninstallString"));
  EXPECT_TRUE(ValueExists(kUninstall + name + "X", "UninstallString"));
  EXPECT_TRUE(DeleteUninstallKey(name));   // now missing: nothing happens
  EXPECT_TRUE(KeyExists(kUninstall + other));
}

TEST_F(AppReg, DeleteProductKeyTakesItsUsedList) {
  SetText(kMaker + name + "\\Used", "Prod", "");
  SetText(kMaker + other + "\\Used", "Prod", "");
  EXPECT_TRUE(DeleteProductKey(name));
  EXPECT_FALSE(KeyExists(kMaker + name));
  EXPECT_TRUE(ValueExists(kMaker + other + "\\Used", "Prod"));
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
  EXPECT_TRUE(RemoveUsedMark(name, "Me"));
  EXPECT_FALSE(KeyExists(used));   // a missing list is not created
  SetText(used, "Me", "");
  SetText(used, "Other", "");
  EXPECT_TRUE(RemoveUsedMark(name, "Me"));
  EXPECT_FALSE(ValueExists(used, "Me"));
  EXPECT_TRUE(ValueExists(used, "Other"));
  EXPECT_TRUE(RemoveUsedMark(name, "Other"));
  EXPECT_TRUE(KeyExists(used));
  EXPECT_FALSE(IsUsedByOthers(name, "Me"));
}

TEST_F(AppReg, DeleteRunValueTakesOnlyTheNamedValue) {
  SetText(kRunKey, name.c_str(), "C:\\x.exe");
  SetText(kRunKey, other.c_str(), "C:\\y.exe");
  EXPECT_TRUE(DeleteRunValue(name));
  EXPECT_FALSE(ValueExists(kRunKey, name));
  EXPECT_TRUE(ValueExists(kRunKey, other));
  EXPECT_TRUE(DeleteRunValue(name));   // no such value: nothing changes
  EXPECT_TRUE(ValueExists(kRunKey, other));
}
