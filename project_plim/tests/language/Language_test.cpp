// The text catalogue: numbering, identifier map, texts and their bytes, the
// fatal paths, and the key names written into the real input part (Xvfb).
#include "EngineTestFolder.h"
#include "language/Language.h"
#include "ManualTickSource.h"
#include "core/Plim.h"
#include "input/PlimInput.h"
#include "util/PlimUtil.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

bool isUnassigned(int id) { return id == 460 || id == 461 || id == 543 || id == 544 || (id >= 626 && id <= 652); }

class LanguageTest : public ::testing::Test {
protected:
    void SetUp() override {
        new Plim(Plim::Bare{});
        PLIM->language = new Language();
        language = PLIM->language;
    }
    void TearDown() override {
        delete PLIM;
        PLIM = nullptr;
    }
    std::string text(int id) { return language->getText(id); }

    Language* language = nullptr;
};

TEST(LanguageTableTest, EverySlotHasOneRowInNumberOrder) {
    ASSERT_EQ(Language::englishRowCount, Language::STRINGS_MAX);
    std::set<std::string> names;
    for (int id = 0; id < Language::STRINGS_MAX; ++id) {
        const Language::TextRow& row = Language::englishRows[id];
        EXPECT_EQ(row.id, id);
        ASSERT_NE(row.text, nullptr) << id;
        if (isUnassigned(id)) {
            EXPECT_EQ(row.name, nullptr) << id;
            EXPECT_STREQ(row.text, "") << id;
        } else {
            ASSERT_NE(row.name, nullptr) << id;
            EXPECT_TRUE(names.insert(row.name).second) << row.name;
        }
    }
    EXPECT_EQ(names.size(), 657u);
}

TEST(LanguageTableTest, TextsUseOnlyPrintableAsciiAndTheListedSymbolBytes) {
    const std::set<int> symbols = {0x02, 0x03, 0x04, 0x05, 0x06, 0x09, 0x0A};
    const std::set<std::string> formats = {"HELLO", "FAILEDWITHCODE", "ERRORREPORTUPLOADING", "ERRORMINVERSIONCLIENT",
                                           "ERRORMINVERSIONSERVER", "CONNECTEDTO", "DISCONNECTEDFROM",
                                           "PLAYERJOINED", "PLAYERLEFT"};
    for (int id = 0; id < Language::englishRowCount; ++id) {
        const Language::TextRow& row = Language::englishRows[id];
        std::string name = row.name ? row.name : "";
        for (const char* p = row.text; *p; ++p) {
            int byte = static_cast<unsigned char>(*p);
            bool printable = byte >= 0x20 && byte < 0x7F;
            bool copyrightSign = byte == 0xA9 && name == "COPYRIGHT";
            EXPECT_TRUE(printable || symbols.count(byte) || copyrightSign) << name << " byte " << byte;
        }
        EXPECT_EQ(strchr(row.text, '%') != nullptr, formats.count(name) == 1) << name;
        EXPECT_EQ(strchr(row.text, '|') != nullptr, name == "CHANGELANGUAGETEXT") << name;
    }
}

TEST_F(LanguageTest, ConstructionFillsEverySlotAndMapsEveryName) {
    EXPECT_EQ(language->currentLanguage, -1);
    for (int id = 0; id < Language::STRINGS_MAX; ++id) EXPECT_NE(language->strings[0][id], nullptr) << id;
    EXPECT_EQ(language->stringIdentifiers.size(), 657u);
    const std::pair<const char*, int> expected[] = {
        {"NULL", 0},          {"LANGUAGENAME", 1},  {"DIK_ESCAPE", 11},      {"DIK_JOYBUTTON0", 159},
        {"DIK_JOYBUTTON31", 190}, {"DIK_MOUSEBUTTON3", 198}, {"COUNTRYNONE", 199}, {"COUNTRYZW", 439},
        {"CONFIRM", 440},     {"PLAYERS", 462},     {"NETCONFIGTITLE", 542}, {"SELECTYOURCOUNTRY", 545},
        {"INTRO1", 594},      {"ENDING16", 622},    {"CORVANA2", 653},       {"ENUMOPPONENTBALLOONPOPTYPE1", 687}};
    for (const auto& pair : expected) {
        const int32_t* id = language->stringIdentifiers.find(pair.first);
        ASSERT_NE(id, nullptr) << pair.first;
        EXPECT_EQ(*id, pair.second) << pair.first;
    }
    EXPECT_EQ(Language::STR_ENUMOPPONENTBALLOONPOPTYPE1, 687);
    EXPECT_EQ(Language::STR_COUNTRYZW, 439);
    EXPECT_EQ(Language::STR_CORVANA2, 653);
}

TEST_F(LanguageTest, TextsOfTheSelectedLanguage) {
    language->setCurrentLanguage(0);
    EXPECT_EQ(language->currentLanguage, 0);
    EXPECT_EQ(text(Language::STR_NULL), "");
    EXPECT_EQ(text(Language::STR_LANGUAGENAME), "English");
    EXPECT_EQ(text(Language::STR_LANGUAGECODEPAGE), "");
    EXPECT_EQ(text(Language::STR_DIK_NONE), "");
    EXPECT_EQ(text(460), "");
    EXPECT_EQ(text(640), "");
    EXPECT_EQ(text(Language::STR_THOUSANDSEPARATOR), ",");
    EXPECT_EQ(text(Language::STR_PLACEHOLDER3), " ");
    EXPECT_EQ(text(Language::STR_HELLO), "Hello, %s!");
    EXPECT_EQ(text(Language::STR_CONFIRM), "Are you sure?");
    EXPECT_EQ(text(Language::STR_CHANGELANGUAGETEXT), "Please restart the game|and select your new language.");
    EXPECT_EQ(text(Language::STR_DIK_UP), "\x05");
    EXPECT_EQ(text(Language::STR_DIK_DOWN), "\x06");
    EXPECT_EQ(text(Language::STR_DIK_LEFT), "\x03");
    EXPECT_EQ(text(Language::STR_DIK_RIGHT), "\x04");
    EXPECT_EQ(text(Language::STR_DIK_NUMPADENTER), "NUMPADENTER");
    EXPECT_EQ(text(Language::STR_DIK_OEM_102), "OEM 102");
    EXPECT_EQ(text(Language::STR_BACK), "\x09  Back");
    EXPECT_EQ(text(Language::STR_NEXT), "Next  \x0A");
    EXPECT_EQ(text(Language::STR_CANCEL), "\x02  Cancel");
    EXPECT_EQ(text(Language::STR_QUIT), "\x02  Quit");
    EXPECT_EQ(text(Language::STR_ENUMDIFFICULTY0 + 4), "very hard");
    EXPECT_EQ(text(Language::STR_ENUMGAMETYPE0 + 3), "balloon pop");
    EXPECT_EQ(text(Language::STR_ENUMVIDEOMODES0 + 3), "1024x768");
    // The country chooser's entry k.
    EXPECT_EQ(text(Language::STR_COUNTRYNONE + 0), "not specified");
    EXPECT_EQ(text(Language::STR_COUNTRYNONE + 1), "Afghanistan");
    EXPECT_EQ(text(Language::STR_COUNTRYNONE + 29), "Bouvet Island");
    EXPECT_EQ(text(Language::STR_COUNTRYMK), "F.Y.R.O.M.");
    EXPECT_EQ(text(Language::STR_COUNTRYMK - 1), "Macau");
    EXPECT_EQ(text(Language::STR_COUNTRYZM - 1), "Montenegro");
    EXPECT_EQ(text(Language::STR_COUNTRYNONE + 240), "Zimbabwe");
    // The pointer is the table's own, the same on every call.
    EXPECT_EQ(language->getText(Language::STR_OK), language->getText(Language::STR_OK));
}

TEST_F(LanguageTest, LookupByIdentifierName) {
    language->setCurrentLanguage(0);
    EXPECT_STREQ(language->getTextByString("CONFIRM", false), "Are you sure?");
    EXPECT_STREQ(language->getTextByString("DIK_ESCAPE", true), "ESC");
    EXPECT_STREQ(language->getTextByString("confirm", false), "");
    EXPECT_STREQ(language->getTextByString("", false), "");
}

using LanguageDeathTest = LanguageTest;

TEST_F(LanguageDeathTest, AnUnknownNameIsFatalWhenAskedToBe) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    language->setCurrentLanguage(0);
    EXPECT_EXIT(
        {
            EngineTestFolder::routeStdoutToStderr();
            language->getTextByString("confirm", true);
        },
        ::testing::ExitedWithCode(255),
        "\\*\\*\\* ERROR \\*\\*\\* Error: Unknown string identifier 'confirm'\n Function: getTextByString\\(\\)");
}

TEST_F(LanguageDeathTest, ALanguageOutsideTheTableIsFatal) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            EngineTestFolder::routeStdoutToStderr();
            language->setCurrentLanguage(1);
        },
        ::testing::ExitedWithCode(255),
        "Error: Assertion failed.\n Statement: currentLanguage<LANGUAGE_MAX\n Function: setCurrentLanguage\\(\\)");
    EXPECT_EXIT(
        {
            EngineTestFolder::routeStdoutToStderr();
            language->setCurrentLanguage(-1);
        },
        ::testing::ExitedWithCode(255),
        "Error: Assertion failed.\n Statement: currentLanguage>=0\n Function: setCurrentLanguage\\(\\)");
}

TEST_F(LanguageDeathTest, AMissingTextIsFatalNamingTheLowestSlot) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    std::vector<Language::TextRow> rows(Language::englishRows, Language::englishRows + Language::englishRowCount);
    rows.erase(rows.begin() + 600);
    rows.erase(rows.begin() + 42);
    EXPECT_EXIT(
        {
            EngineTestFolder::routeStdoutToStderr();
            Language broken(rows.data(), int(rows.size()));
        },
        ::testing::ExitedWithCode(255),
        "\\*\\*\\* ERROR \\*\\*\\* Error: String 42 is missing from language 0.\n Function: Language\\(\\)");
}

// Key names need the engine's input part, which needs a window: one real
// engine start for all of them, which also shows where the table comes from.
TEST(LanguageEngineTest, TheEngineHoldsTheTableAndSelectingALanguageNamesEveryKey) {
    EngineTestFolder folder;
    ManualTickSource ticks;
    folder.writeStaticSettings();
    folder.writeUserSettings();
    new Plim();
    ASSERT_NE(PLIM->language, nullptr);
    EXPECT_EQ(PLIM->language->currentLanguage, -1);
    UString* names = PLIM->input->keyNames;
    names[84] = "stale";
    PLIM->language->setCurrentLanguage(0);

    EXPECT_EQ(names[0], "");
    EXPECT_EQ(names[1], "ESC");
    EXPECT_EQ(names[28], "ENTER");
    EXPECT_EQ(names[56], "LALT");
    EXPECT_EQ(names[83], "DECIMAL");
    EXPECT_EQ(names[84], "UNKNOWN-84");
    EXPECT_EQ(names[0x56], "OEM 102");
    EXPECT_EQ(names[0xB8], "RALT");
    EXPECT_EQ(names[200], "\x05");
    EXPECT_EQ(names[203], "\x03");
    EXPECT_EQ(names[205], "\x04");
    EXPECT_EQ(names[208], "\x06");
    EXPECT_EQ(names[0xED], "MEDIASELECT");
    EXPECT_EQ(names[0xEE], "UNKNOWN-238");
    EXPECT_EQ(names[256], "JOYUP");
    EXPECT_EQ(names[259], "JOYRIGHT");
    EXPECT_EQ(names[260], "UNKNOWN-260");
    EXPECT_EQ(names[272], "JOYBUTTON0");
    EXPECT_EQ(names[303], "JOYBUTTON31");
    EXPECT_EQ(names[304], "MOUSEUP");
    EXPECT_EQ(names[311], "MOUSEBUTTON3");
    EXPECT_EQ(PLIM->input->getKeyName(57), "SPACE");

    int unnamed = 0;
    std::set<std::string> distinct;
    for (int code = 0; code < KEY_COUNT; ++code) {
        if (names[code] == formatString("UNKNOWN-%d", code))
            ++unnamed;
        else
            distinct.insert(names[code].str());
    }
    EXPECT_EQ(unnamed, 123);
    EXPECT_EQ(distinct.size(), 189u);

    delete PLIM;
    PLIM = nullptr;
}

} // namespace
