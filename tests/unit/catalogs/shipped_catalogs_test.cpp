// The shipped catalogues, read by the program's own loader: each answers every identifier of
// the built-in table, keeps its placeholders, survives any system code page, and fits its buttons.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "msg/Builtintext.h"
#include "msg/Clwinmsgfile.h"
#include "msg/Msgids.h"
#include "sys/Handle.h"
#include "unit/msg/CatalogueBytes.h"

namespace {

template <UINT CodePage>
bool IsLeadOf(unsigned char byte) {
  return IsDBCSLeadByteEx(CodePage, byte) != FALSE;
}

struct Catalogue {
  const char* code;
  LeadByteTest isLead;  // its own code page's lead bytes
  BYTE charset;         // the font character set the window takes for it
};

void PrintTo(const Catalogue& catalogue, std::ostream* os) { *os << catalogue.code; }

const Catalogue kCatalogues[] = {
    {"CHT", IsLeadOf<950>, CHINESEBIG5_CHARSET}, {"CHS", IsLeadOf<936>, GB2312_CHARSET},
    {"JPN", IsLeadOf<932>, SHIFTJIS_CHARSET},    {"KOR", IsLeadOf<949>, HANGEUL_CHARSET},
    {"DEU", NoLeadBytes, DEFAULT_CHARSET},       {"ESN", NoLeadBytes, DEFAULT_CHARSET},
    {"FRA", NoLeadBytes, DEFAULT_CHARSET},       {"ITA", NoLeadBytes, DEFAULT_CHARSET},
    {"PTG", NoLeadBytes, DEFAULT_CHARSET},       {"TRK", NoLeadBytes, TURKISH_CHARSET},
    {"ENG", NoLeadBytes, DEFAULT_CHARSET},
};

const int32_t kIdentifiers[] = {
    msgAllocFail, msgCancel, msgNoWindowsServer, msgWelcome, msgUninstall, msgInstall,
    msgSetupWizard, msgCreateDesktopShortcut, msgSelectFolder, msgBack, msgNext, msgAgree,
    msgQuit, msgRunAfterBoot, msgBrowse, msgInstallTo, msgSetupNotComplete, msgInstallComplete,
    msgAlreadyInstalled, msgCopyTo, msgInstallDriver, msgCreateImage, msgCreateShortcut,
    msgRemoveFolder, msgDeleteFile, msgWriteRegistry, msgDeleteService, msgReplaceVersion,
    msgUninstallNotComplete, msgUninstallComplete,
};
constexpr int kIdentifierCount = sizeof(kIdentifiers) / sizeof(kIdentifiers[0]);

std::string CataloguePath(const char* code) {
  return std::string(TARVO_CATALOG_DIR) + "/SetupMsg." + code;
}

// The printf conversions of a text in order: "%s", "%%", or "%" and whatever follows it.
std::vector<std::string> Conversions(const std::string& text) {
  std::vector<std::string> found;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') continue;
    found.push_back(text.substr(i, 2));
    ++i;
  }
  return found;
}

// A raw text cut into whole characters by the catalogue's own lead bytes, so that a trail byte
// never reads as "%", "\\" or a bracket.
std::vector<std::string> Characters(const std::string& text, LeadByteTest isLead) {
  std::vector<std::string> chars;
  for (size_t i = 0; i < text.size(); ++i) {
    size_t n = isLead(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
    chars.push_back(text.substr(i, n));
    i += n - 1;
  }
  return chars;
}

bool Among(const std::string& c, const char* set) {
  return c.size() == 1 && c[0] != 0 && std::strchr(set, c[0]) != nullptr;
}

class CatalogueTest : public testing::TestWithParam<Catalogue> {
protected:
  void SetUp() override {
    ASSERT_TRUE(file_.LoadFromFile(CataloguePath(GetParam().code))) << CataloguePath(GetParam().code);
  }
  TclMsgFile file_;
};

// One row per identifier: a mistyped number or a doubled line would leave a text unanswered.
TEST_P(CatalogueTest, AnswersEveryIdentifierOnce) {
  EXPECT_EQ(file_.EntryCount, kIdentifierCount);
  for (int32_t id : kIdentifiers) {
    EXPECT_FALSE(file_.MessageText(id).empty()) << id;
  }
}

// The texts are printf formats: a lost, extra or changed conversion reads past the one argument.
TEST_P(CatalogueTest, KeepsThePlaceholdersOfTheBuiltinText) {
  for (int32_t id : kIdentifiers) {
    std::string builtin = GetBuiltinText(id);
    ASSERT_FALSE(builtin.empty()) << id;
    EXPECT_EQ(Conversions(file_.MessageText(id)), Conversions(builtin))
        << id << ": " << file_.MessageText(id);
  }
}

// The loader finds escapes with the lead bytes of the system's code page, which on a foreign
// system are not the catalogue's: the texts must expand the same either way.
TEST_P(CatalogueTest, ExpandsAlikeUnderAnySystemCodePage) {
  for (int32_t id : kIdentifiers) {
    const char* raw = file_.FindText(id);
    ASSERT_NE(raw, nullptr) << id;
    std::string own = ExpandEscapes(raw, GetParam().isLead);
    EXPECT_EQ(own, ExpandEscapes(raw, NoLeadBytes)) << id;
    EXPECT_EQ(own, file_.MessageText(id)) << id;
    EXPECT_EQ(own.find("\\n"), std::string::npos) << id << ": an escape was not expanded";
  }
}

// The two buttons are 145 pixels wide, in MS Sans Serif 13 px with the language's charset.
TEST_P(CatalogueTest, ButtonCaptionsFitTheButtons) {
  UniqueMemDc dc(CreateCompatibleDC(nullptr));
  ASSERT_TRUE(dc);
  UniqueFont font(CreateFontA(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GetParam().charset,
                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                              DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif"));
  ASSERT_TRUE(font);
  SelectedObject selected(dc.Get(), font.Get());
  for (int32_t id : {msgUninstall, msgQuit}) {
    std::string caption = file_.MessageText(id);
    SIZE extent = {};
    EXPECT_TRUE(GetTextExtentPoint32A(dc.Get(), caption.c_str(), static_cast<int>(caption.size()), &extent));
    EXPECT_GT(extent.cx, 0) << id;
    EXPECT_LE(extent.cx, 145 - 2 * 8) << id << ": " << caption;
  }
}

// What a translator can get wrong beyond the identifiers and placeholders held above: an escape
// that the loader would expand into a control byte, the typography of the language (code page
// bytes: 0xA0 no-break space, 0xBF and 0xA1 the Spanish opening marks), and a button named
// otherwise than it is labelled.
TEST_P(CatalogueTest, KeepsTheConventionsOfItsLanguage) {
  const std::string code = GetParam().code;
  const bool french = code == "FRA", spanish = code == "ESN";
  // English keeps the built-in texts, their spaces before "!" and "?" included.
  const bool latin =
      code == "DEU" || spanish || french || code == "ITA" || code == "PTG" || code == "TRK";
  for (int32_t i = 0; i < file_.EntryCount; ++i) {
    const int32_t id = file_.Entries[i].Number;
    const std::vector<std::string> c = Characters(file_.Entries[i].Text, GetParam().isLead);
    SCOPED_TRACE(testing::Message() << id << ": " << file_.Entries[i].Text);
    std::string open;  // the closing mark that a Spanish opening mark awaits
    for (size_t k = 0; k < c.size(); ++k) {
      const std::string prev = k ? c[k - 1] : std::string();
      const std::string next = k + 1 < c.size() ? c[k + 1] : std::string();
      if (c[k] == "\\") EXPECT_EQ(next, "n") << "only \\n is an escape meant here";
      // A colon inside a token (C:\, 12:30) is no punctuation.
      if (french && (Among(c[k], "!?") || (c[k] == ":" && (next.empty() || next == " "))))
        EXPECT_EQ(prev, "\xA0") << "French puts a no-break space before " << c[k];
      if (latin && !french && Among(c[k], "!?"))
        EXPECT_FALSE(prev == " " || prev == "\xA0") << "a space before " << c[k];
      if (spanish && (c[k] == "\xBF" || c[k] == "\xA1")) {
        EXPECT_EQ(open, "") << "a question or exclamation opens inside another";
        open = c[k] == "\xBF" ? "?" : "!";
      } else if (spanish && Among(c[k], "!?")) {
        EXPECT_EQ(open, c[k]) << "a question or exclamation without its opening mark";
        open.clear();
      }
    }
    EXPECT_EQ(open, "") << "an opening mark is never closed";
  }
  // The folder prompt names the button whose caption is the text of 15103.
  ASSERT_NE(file_.FindText(msgSelectFolder), nullptr);
  const std::vector<std::string> c = Characters(file_.FindText(msgSelectFolder), GetParam().isLead);
  std::string named;
  bool inside = false;
  for (const std::string& ch : c) {
    if (ch == "]") inside = false;
    if (inside) named += ch;
    if (ch == "[") inside = true;
  }
  EXPECT_EQ(named, file_.MessageText(msgInstall)) << file_.MessageText(msgSelectFolder);
}

INSTANTIATE_TEST_SUITE_P(Shipped, CatalogueTest, testing::ValuesIn(kCatalogues),
                         [](const testing::TestParamInfo<Catalogue>& param) {
                           return std::string(param.param.code);
                         });

// The English catalogue repeats the built-in texts byte for byte, typos included.
TEST(EnglishCatalogue, RepeatsTheBuiltinTexts) {
  TclMsgFile file;
  ASSERT_TRUE(file.LoadFromFile(CataloguePath("ENG")));
  for (int32_t id : kIdentifiers) {
    EXPECT_EQ(file.MessageText(id), GetBuiltinText(id)) << id;
  }
  EXPECT_EQ(file.MessageText(msgUninstallComplete), "Uninstall Compelete !");
}

// A translation must differ from the English one where English words are no answer; the
// completion message and the button captions are what every user sees.
TEST(TranslatedCatalogues, AreNotLeftInEnglish) {
  for (const Catalogue& c : kCatalogues) {
    if (std::string(c.code) == "ENG") continue;
    TclMsgFile file;
    ASSERT_TRUE(file.LoadFromFile(CataloguePath(c.code))) << c.code;
    for (int32_t id : {msgUninstall, msgQuit, msgUninstallComplete, msgUninstallNotComplete}) {
      EXPECT_NE(file.MessageText(id), GetBuiltinText(id)) << c.code << " " << id;
    }
  }
}

}  // namespace
