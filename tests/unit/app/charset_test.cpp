// The uninstall window with a Turkish catalogue beside the program: texts from the catalogue, the
// captions' fonts in the language's character set, the window's own font left alone.
#include <gtest/gtest.h>

#include "app/Frmuninstall.h"
#include "product/Tarvolinkfilename.h"
#include "product/Tarvolinkuninstall.h"
#include "unit/app/Formfixture.h"
#include "unit/toolkit/Paintprobe.h"

namespace {
std::string Catalogue() { return AppFilePath(MessageFileName("TRK")); }

class CatalogueForm : public FormFixture {
protected:
  void SetUp() override {
    install.Write(Catalogue(),
                  "15102 Kaldir\r\n15110 Cikis\r\n15301 Tamamlanmadi, cikilsin mi ?\r\n"
                  "15302 Kaldirma tamam !\r\n");
    FormFixture::SetUp();
  }
  void TearDown() override {
    FormFixture::TearDown();
    ::DeleteFileA(Catalogue().c_str());
  }
};
}  // namespace

TEST_F(CatalogueForm, CaptionsAndCharsetFromTheCatalogue) {
  Create(new TFormUninstall());
  ASSERT_FALSE(app.Terminated());
  EXPECT_EQ(TURKISH_CHARSET, form->Uninstaller->Charset);
  EXPECT_EQ("Cikis", form->BtnClose.Caption());
  EXPECT_EQ("Kaldir", form->BtnUninstall.Caption());
  EXPECT_EQ("Kaldir Tarvolink", form->Caption());
  EXPECT_EQ(TURKISH_CHARSET, CharsetOf(form->BtnClose.Font()));
  EXPECT_EQ(TURKISH_CHARSET, CharsetOf(form->BtnUninstall.Font()));
  EXPECT_EQ(TURKISH_CHARSET, CharsetOf(form->LabelMsg.Font()));
  EXPECT_EQ(DEFAULT_CHARSET, CharsetOf(form->Font()));
}

TEST_F(CatalogueForm, BoxesSpeakTheCatalogue) {
  Create(new TFormUninstall());
  BoxAnswerer boxes({IDCANCEL, IDOK});
  Click(form->BtnUninstall);
  ::PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(PumpUntilTerminated());
  auto seen = boxes.Seen();
  ASSERT_EQ(2u, seen.size());
  EXPECT_EQ("Tamamlanmadi, cikilsin mi ?", seen[0].text);
  EXPECT_EQ("Kaldirma tamam !", seen[1].text);
  EXPECT_EQ("Tarvolink Uninstall", seen[1].title);
}
