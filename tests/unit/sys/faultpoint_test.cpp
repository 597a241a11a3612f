// The fault point of the walk's build, and what it shows that no real machine here can: a key of
// the tree that will not go.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "sys/Appregutil.h"
#include "sys/Faultpoint.h"
#include "unit/setup/Engtestutil.h"

using namespace engtest;

TEST(FaultPoint, FailsTheChosenCallOnceOrThatCallFromThenOnAndOnlyInItsProcess) {
  SetFaultPlan("run|TestCall|a test|2|5|transient");
  EXPECT_FALSE(FaultFires("TestCall", "a test"));
  EXPECT_FALSE(FaultFires("TestCall", "another test"));   // another site: counted apart
  EXPECT_FALSE(FaultFires("OtherCall", "a test"));
  ::SetLastError(0);
  EXPECT_TRUE(FaultFires("TestCall", "a test"));
  EXPECT_EQ(5u, ::GetLastError());
  EXPECT_EQ(static_cast<long>(0xC0000022), FaultNtStatus());
  EXPECT_FALSE(FaultFires("TestCall", "a test"));

  SetFaultPlan("run|TestCall|a test|1|112|persistent");
  EXPECT_FALSE(FaultFires("OtherCall", "a test"));
  EXPECT_TRUE(FaultFires("TestCall", "a test"));
  EXPECT_TRUE(FaultFires("TestCall", "another test"));
  EXPECT_FALSE(FaultFires("OtherCall", "a test"));
  EXPECT_EQ(112u, FaultError());
  EXPECT_EQ(static_cast<long>(0xC000007F), FaultNtStatus());

  // The hand-over copy's plan, or none: nothing fails here.
  for (const char* plan : {"copy|TestCall|a test|1|5|transient", "run|TestCall|a test|1|0|transient", ""}) {
    SetFaultPlan(plan);
    EXPECT_FALSE(FaultFires("TestCall", "a test")) << plan;
  }
}

// The tree goes deepest first (a, b\c, b, d, then the tree): the third deletion is b's.
TEST(FaultPoint, AKeyOfTheTreeThatWillNotGoStopsNoSiblingAndKeepsTheKeysAbove) {
  const std::string name = Unique("TarvoFaults");
  const std::string top = "Software\\QORV\\" + name;
  for (const char* sub : {"\\a", "\\b\\c", "\\d"}) MakeKey(top + sub);
  SetFaultPlan("run|NtDeleteKey|the key-tree deletion|3|5|transient");
  EXPECT_EQ(5u, DeleteProductKey(name));
  EXPECT_FALSE(KeyExists(top + "\\a"));
  EXPECT_FALSE(KeyExists(top + "\\b\\c"));
  EXPECT_TRUE(KeyExists(top + "\\b"));
  EXPECT_FALSE(KeyExists(top + "\\d"));
  EXPECT_TRUE(KeyExists(top));
  // A child that cannot be opened: the same.
  MakeKey(top + "\\e");
  SetFaultPlan("run|RegOpenKeyExW|the key-tree deletion|1|5|transient");
  EXPECT_EQ(5u, DeleteProductKey(name));
  EXPECT_TRUE(KeyExists(top + "\\b"));
  EXPECT_FALSE(KeyExists(top + "\\e"));
  SetFaultPlan("");
  EXPECT_EQ(0u, DeleteProductKey(name));
  EXPECT_FALSE(KeyExists(top));
}
