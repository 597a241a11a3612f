#include <gtest/gtest.h>

#include <climits>

#include "msg/Builtintext.h"
#include "msg/Msgids.h"

namespace {

TEST(BuiltinText, EveryTextAsShipped) {
  const struct {
    int32_t id;
    const char* text;
  } table[] = {
      {15001, "Alocated Memory Fail !"},
      {15002, "Cancel !"},
      {15004, "Can not install on Windows Server !"},
      {15101, "Welcome to use"},
      {15102, "Uninstall"},
      {15103, "Install"},
      {15104, "Setup Wizard"},
      {15105, "Create Desktop Shortcut"},
      {15106, "Select Folder, then Click [Install]"},
      {15107, "< Back"},
      {15108, "Next >"},
      {15109, "Agree"},
      {15110, "Quit"},
      {15112, "Run Program After Boot Up"},
      {15113, "Browse"},
      {15114, "Setup will install to"},
      {15201, "Setup not Compelete, Quit ?"},
      {15202, "Install Compelete !"},
      {15203, "%s Version %s already installed, Replace with Version %s ?"},
      {15204, "Copy %s To %s"},
      {15205, "Install Driver %s"},
      {15206, "Create Image %s"},
      {15207, "Create Shortcut"},
      {15208, "Remove Folder %s"},
      {15209, "Delete %s"},
      {15210, "Write Registry"},
      {15211, "Delete Service %s"},
      {15212, "Another version already installed, Do you want to replace ?"},
      {15301, "Uninstall not Compelete, Quit ?"},
      {15302, "Uninstall Compelete !"},
  };
  EXPECT_EQ(30u, sizeof table / sizeof table[0]);
  for (const auto& row : table) EXPECT_EQ(row.text, GetBuiltinText(row.id)) << row.id;
  EXPECT_EQ("Uninstall Compelete !", GetBuiltinText(msgUninstallComplete));
  EXPECT_EQ("Cancel !", GetBuiltinText(msgCancel));
}

TEST(BuiltinText, UnknownIdentifiersAreEmpty) {
  for (int32_t id : {0, 1, 15000, 15003, 15111, 15115, 15213, 15303, -1, INT32_MIN, INT32_MAX})
    EXPECT_EQ("", GetBuiltinText(id)) << id;
  // Only the low 16 bits would reach the string table: these must not alias 15001 and 15302.
  EXPECT_EQ("", GetBuiltinText(15001 + 65536));
  EXPECT_EQ("", GetBuiltinText(15302 - 65536));
}

}  // namespace
