// The hand-over of the uninstaller's own removal: the copy's order on its command line, the
// private folder, and the copy's removal of the original, which deletes only that very file.
#include <gtest/gtest.h>
#include "removal/Privatefolder.h"
#include "removal/Selfremoval.h"
#include "unit/setup/Engtestutil.h"

using namespace engtest;

TEST(SelfRemovalOrder, RoundTripsThroughTheCommandLineAndNothingElseParses) {
  TSelfRemovalOrder order;
  order.Process = 0x1A4;
  order.Go = 0x2B8;
  order.Identity = {0xDEADBEEF, 0, 0x12345, 0, 0x3C000, 0x01D9ABCD, 0xFFFFFFFF};
  order.Original = "C:\\Program Files\\Tarvo Link\\Uninstall.EXE";
  std::string line = "\"C:\\T\\TVU1\\Uninstall.EXE\"  " + FormatSelfRemovalOrder(order);
  std::string args = CommandArguments(line.c_str());
  TSelfRemovalOrder back;
  ASSERT_TRUE(ParseSelfRemovalOrder(args, back)) << args;
  EXPECT_EQ(order.Process, back.Process);
  EXPECT_EQ(order.Go, back.Go);
  EXPECT_TRUE(order.Identity == back.Identity);
  EXPECT_EQ(order.Original, back.Original);
  EXPECT_EQ(args, CommandArguments(("C:\\T\\Uninstall.EXE " + args).c_str()));

  for (const std::string& bad : {std::string(""), std::string("/TVSELFREMOVE"), std::string("/tvselfremove 1"),
                                 args.substr(0, args.size() - 1), args + " x", args.substr(0, args.find(',')),
                                 std::string("/TVSELFREMOVE 1,2,3,4,5,6,7,8,9 \"\""),
                                 std::string("/TVSELFREMOVE 1,2,3,4,5,6,7,8,100000000 \"C:\\x\""),
                                 std::string("/TVSELFREMOVE 0,2,3,4,5,6,7,8,9 \"C:\\x\""),
                                 std::string("/TVSELFREMOVE 1,0,3,4,5,6,7,8,9 \"C:\\x\""),
                                 std::string("/TVSELFREMOVE FFFFFFFFFFFFFFFF,2,3,4,5,6,7,8,9 \"C:\\x\""),
                                 std::string("/TVSELFREMOVE 1,FFFFFFFFFFFFFFFF,3,4,5,6,7,8,9 \"C:\\x\""),
                                 std::string("/TVSELFREMOVE 1,2,3,4,5,6,7,8 \"C:\\x\""),
                                 std::string("/TVSELFREMOVEX 1,2,3,4,5,6,7,8,9 \"C:\\x\"")}) {
    TSelfRemovalOrder o;
    EXPECT_FALSE(ParseSelfRemovalOrder(bad, o)) << bad;
  }
  // A malformed order is still the copy's switch: such a start never opens the window.
  EXPECT_TRUE(IsSelfRemovalSwitch("/TVSELFREMOVE junk"));
  EXPECT_FALSE(IsSelfRemovalSwitch("/TVSELFREMOVEX"));
  EXPECT_FALSE(HandlesSelfRemoval("\"C:\\x\\Uninstall.EXE\""));
  EXPECT_TRUE(HandlesSelfRemoval("Uninstall.EXE /TVSELFREMOVE 0,0,0,0,0,0,0,0,0 \"C:\\none\\x.exe\""));
  EXPECT_TRUE(HandlesSelfRemoval("Uninstall.EXE /TVSELFREMOVE 7FFFFFF0,7FFFFFF4,0,0,0,0,0,0,0 \"C:\\none\\x.exe\""));
}

TEST(PrivateFolder, IsNewEachTimeAndOpenOnlyToAdministratorsAndSystem) {
  TempDir base;
  std::string a = MakePrivateFolder(base.Path()), b = MakePrivateFolder(base.Path() + "\\");
  ASSERT_TRUE(IsFolder(a));
  ASSERT_TRUE(IsFolder(b));
  EXPECT_NE(a, b);
  EXPECT_EQ(base.Path(), a.substr(0, a.rfind('\\')));
  EXPECT_EQ("", MakePrivateFolder(base / "missing"));

  // What the folder is made with (Wine keeps no access rights of its own on its files).
  TPrivateFolderSecurity security;
  ASSERT_TRUE(security.Usable());
  ASSERT_NE(nullptr, security.Attributes());
  PACL dacl = security.Dacl();
  ASSERT_NE(nullptr, dacl);
  BOOL present = FALSE, defaulted = TRUE;
  PACL inDescriptor = nullptr;
  ASSERT_TRUE(::GetSecurityDescriptorDacl(security.Attributes()->lpSecurityDescriptor, &present, &inDescriptor,
                                          &defaulted));
  EXPECT_TRUE(present);
  EXPECT_EQ(dacl, inDescriptor);
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID admins = nullptr, system = nullptr;
  ::AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &admins);
  ::AllocateAndInitializeSid(&nt, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0, &system);
  // Wine runs everything as an administrator: exactly the two, passed on to what the folder holds.
  ASSERT_EQ(2u, dacl->AceCount);
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    ASSERT_TRUE(::GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
    EXPECT_EQ(ACCESS_ALLOWED_ACE_TYPE, ace->Header.AceType);
    EXPECT_EQ(OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, ace->Header.AceFlags);
    EXPECT_EQ(static_cast<DWORD>(FILE_ALL_ACCESS), ace->Mask);
    EXPECT_TRUE(::EqualSid(&ace->SidStart, i == 0 ? admins : system)) << i;
  }
  ::FreeSid(admins);
  ::FreeSid(system);
}

// The copy's work once the original has ended.
TEST(SelfRemovalCopy, DeletesOnlyTheVeryFileItWasCopiedFromAndOnlyAnEmptyFolder) {
  TempDir root;
  std::string self = root / "Uninstall.EXE";   // stands for the copy
  WriteFile(self, "MZ the uninstaller");
  auto installed = [&](const std::string& name, const std::string& bytes) {
    std::string folder = root / name;
    MakeDirs(folder);
    WriteFile(folder + "\\Uninstall.EXE", bytes);
    TSelfRemovalOrder order;
    order.Original = folder + "\\Uninstall.EXE";
    EXPECT_TRUE(ReadFileIdentity(order.Original, order.Identity));
    return order;
  };

  TSelfRemovalOrder plain = installed("plain", "MZ the uninstaller");
  ::SetFileAttributesA(plain.Original.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(0u, RemoveOriginalProgram(plain, self));
  EXPECT_FALSE(PathExists(root / "plain"));

  TSelfRemovalOrder bystander = installed("bystander", "MZ the uninstaller");
  WriteFile(root / "bystander\\notes.txt");
  EXPECT_EQ(0u, RemoveOriginalProgram(bystander, self));
  EXPECT_FALSE(PathExists(bystander.Original));
  EXPECT_TRUE(IsFile(root / "bystander\\notes.txt"));

  TSelfRemovalOrder other = installed("other", "MZ another program");
  EXPECT_EQ(kProgramFileReplaced, RemoveOriginalProgram(other, self)) << "not the same bytes";
  EXPECT_TRUE(IsFile(other.Original));

  TSelfRemovalOrder replaced = installed("replaced", "MZ the uninstaller");
  replaced.Identity.WriteLow ^= 1;   // as if another file of the same bytes had taken its place
  EXPECT_EQ(kProgramFileReplaced, RemoveOriginalProgram(replaced, self));
  EXPECT_TRUE(IsFile(replaced.Original));

  TSelfRemovalOrder held = installed("held", "MZ the uninstaller");
  {
    UniqueFile open(::CreateFileA(held.Original.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                  nullptr));
    EXPECT_EQ(static_cast<uint32_t>(ERROR_SHARING_VIOLATION), RemoveOriginalProgram(held, self));
  }
  EXPECT_TRUE(IsFile(held.Original));
  EXPECT_TRUE(IsFile(self));
}
