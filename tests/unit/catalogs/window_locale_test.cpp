// The uninstall window under one system locale, with the shipped catalogues beside the program:
// the language that the locale selects, its texts on the window and in the completion box, and
// its character set on the captions' fonts. Built once per locale (LOCALE_CODE, LOCALE_CHARSET).
#include <gtest/gtest.h>

#include "app/Frmuninstall.h"
#include "msg/Clwinmsgfile.h"
#include "msg/Msgids.h"
#include "msg/Winlangutil.h"
#include "product/Tarvolinkfilename.h"
#include "product/Tarvolinkuninstall.h"
#include "unit/app/Formfixture.h"
#include "unit/toolkit/Paintprobe.h"
#include "unit/toolkit/Reader.h"

namespace {
class LocaleWindow : public FormFixture {
protected:
  void SetUp() override {
    std::string path = AppFilePath(MessageFileName(LOCALE_CODE));
    ASSERT_TRUE(shipped.LoadFromFile(path)) << path;
    FormFixture::SetUp();
  }
  std::string Shipped(int32_t id) const { return shipped.MessageText(id); }
  TclMsgFile shipped;
};
}  // namespace

TEST_F(LocaleWindow, CaptionsAndFontsSpeakTheLocalesLanguage) {
  EXPECT_EQ(LOCALE_CODE, GetLanguageCode());
  Create(new TFormUninstall());
  ASSERT_FALSE(app.Terminated());

  char title[256] = {};
  ::GetWindowTextA(form->Handle(), title, sizeof title);
  EXPECT_EQ(Shipped(msgUninstall) + " Tarvolink", title);
  EXPECT_EQ(Shipped(msgUninstall), form->BtnUninstall.Caption());
  EXPECT_EQ(Shipped(msgQuit), form->BtnClose.Caption());

  EXPECT_EQ(LOCALE_CHARSET, form->Uninstaller->Charset);
  EXPECT_EQ(LOCALE_CHARSET, CharsetOf(form->BtnUninstall.Font()));
  EXPECT_EQ(LOCALE_CHARSET, CharsetOf(form->BtnClose.Font()));
  EXPECT_EQ(LOCALE_CHARSET, CharsetOf(form->LabelMsg.Font()));
  EXPECT_EQ(DEFAULT_CHARSET, CharsetOf(form->Font()));
}

TEST_F(LocaleWindow, CompletionBoxAndProgressLinesComeFromTheCatalogue) {
  Create(new TFormUninstall());
  BoxAnswerer boxes({IDOK});
  Click(form->BtnUninstall);
  ASSERT_TRUE(PumpUntilTerminated());

  auto seen = boxes.Seen();
  ASSERT_EQ(1u, seen.size());
  EXPECT_EQ(Shipped(msgUninstallComplete), seen[0].text);
  // The last progress line is one of the catalogue's, with its argument in place of "%s".
  std::string line = form->LabelMsg.Caption();
  bool fromCatalogue = false;
  for (int32_t id : {msgRemoveFolder, msgDeleteFile, msgWriteRegistry, msgDeleteService}) {
    std::string text = Shipped(id);
    size_t at = text.find("%s");
    if (at == std::string::npos) {
      fromCatalogue |= line == text;
    } else {
      std::string head = text.substr(0, at), tail = text.substr(at + 2);
      fromCatalogue |= line.size() >= head.size() + tail.size() && line.compare(0, head.size(), head) == 0 &&
                       line.compare(line.size() - tail.size(), tail.size(), tail) == 0;
    }
  }
  EXPECT_TRUE(fromCatalogue) << line;
}

TEST_F(LocaleWindow, ScreenReadersReadTheButtonsInTheLocalesLanguage) {
  Create(new TFormUninstall());
  Reader reader(form->Handle());
  ASSERT_EQ(5, reader.ChildCount());
  ReaderChild uninstall = reader.Child(2), quit = reader.Child(5);
  EXPECT_EQ(ROLE_SYSTEM_PUSHBUTTON, uninstall.role);
  EXPECT_EQ(Shipped(msgUninstall), uninstall.name);
  EXPECT_EQ(ROLE_SYSTEM_PUSHBUTTON, quit.role);
  EXPECT_EQ(Shipped(msgQuit), quit.name);
  EXPECT_EQ(0, quit.state);
  POINT at = {form->BtnClose.Left(), form->BtnClose.Top()};
  ::ClientToScreen(form->Handle(), &at);
  EXPECT_EQ(at.x, quit.place.left);
  EXPECT_EQ(at.y, quit.place.top);
  EXPECT_EQ(ROLE_SYSTEM_STATICTEXT, reader.Child(3).role);
  EXPECT_EQ(ROLE_SYSTEM_PROGRESSBAR, reader.Child(4).role);
  EXPECT_EQ("Tarvolink", reader.Child(1).name);
}
