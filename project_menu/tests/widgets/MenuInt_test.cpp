// Number, choice, key and text widgets: the arrow hot spots and limits, the
// enumerated and volume displays, the country chooser's typing and the saved
// country, key bindings taken from other actions, and the text field's
// allowed characters and bound buffer.
#include "screens/ContextMenu.h"
#include "app/ContextManager.h"
#include "app/CountryTable.h"
#include "language/Language.h"
#include "widgets/MenuCountry.h"
#include "widgets/MenuEnum.h"
#include "widgets/MenuInt.h"
#include "widgets/MenuKey.h"
#include "widgets/MenuString.h"
#include "MenuTestWorld.h"
#include "widgets/MenuVolume.h"
#include "core/Plim.h"
#include "audio/PlimAudio.h"
#include "input/PlimInput.h"
#include "render/Skin.h"
#include "util/PlimMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

class MenuIntTest : public MenuScreenTest {
protected:
    // Added and shown for a frame.
    template <class T> T* add(T* item) {
        MenuScreenTest::add(item);
        world->frame();
        return item;
    }
    // The typed character of a letter or digit key.
    void type(char c) { world->typeKey(SDLKey(c), Uint16(c)); }
};

TEST_F(MenuIntTest, TheArrowsStepAndTheValueStaysWithinItsLimits) {
    int32_t value = 5;
    MenuInt* item = add(new MenuInt(0.0f, 0.0f, 0.0f, "N", "", &value, 0, 6, 1));
    // Hot spots 24 units inside the ends of the 256-wide frame, radius 26.
    world->click(-104.0f, 0.0f);
    EXPECT_EQ(value, 4);
    world->click(104.0f - 25.5f, 0.0f);
    EXPECT_EQ(value, 5);
    world->click(104.0f - 26.0f, 0.0f);
    EXPECT_EQ(value, 5) << "a point on the circle is outside";
    world->click(104.0f, 0.0f);
    EXPECT_EQ(value, 6);
    EXPECT_TRUE(item->wasClicked());
    world->click(104.0f, 0.0f);
    EXPECT_EQ(value, 6) << "clamped at the maximum";
    EXPECT_TRUE(item->wasClicked()) << "a press at the limit still clicks";
    world->click(0.0f, 0.0f);
    EXPECT_EQ(value, 6);
    EXPECT_TRUE(item->wasClicked()) << "a press between the arrows clicks too";
    world->click(300.0f, 0.0f);
    EXPECT_FALSE(item->wasClicked());

    item->step = 10;
    world->click(-104.0f, 0.0f);
    EXPECT_EQ(value, 0) << "a step beyond the range clamps to the bound";
    item->bDisabled = true;
    world->click(104.0f, 0.0f);
    EXPECT_EQ(value, 0);
}

TEST_F(MenuIntTest, AnEnumShowsItsLanguageTextAndAVolumeItsBars) {
    int32_t difficulty = 2;
    add(new MenuEnum(0.0f, 100.0f, 0.0f, "D", "", &difficulty, 0, 4, Language::STR_ENUMDIFFICULTY0));
    int32_t volume = 0;
    MenuVolume* bars = add(new MenuVolume(0.0f, -100.0f, 0.0f, "V", "", &volume, 0, 24));
    bars->bDropShadow = false;
    world->moveAway();
    world->frame();
    // "normal": six blocks centred on the item.
    EXPECT_EQ(MenuTestWorld::pixelAt(-2.0f, 100.0f - 3.0f), UColor(0, 160, 0, 255));
    EXPECT_EQ(MenuTestWorld::pixelAt(-84.0f, -100.0f), UColor(MenuTestWorld::EDITBOX_COLOUR)) << "no bars at 0";

    world->click(104.0f, -100.0f);
    world->click(104.0f, -100.0f);
    EXPECT_EQ(volume, 2);
    world->moveAway();
    world->run(0.3);
    EXPECT_EQ(MenuTestWorld::pixelAt(-84.0f, -100.0f), UColor(0, 160, 0, 255));
    EXPECT_EQ(MenuTestWorld::pixelAt(-77.0f, -100.0f), UColor(0, 160, 0, 255));
    EXPECT_EQ(MenuTestWorld::pixelAt(-70.0f, -100.0f), UColor(MenuTestWorld::EDITBOX_COLOUR));
}

TEST_F(MenuIntTest, AVolumeClickAppliesTheSettings) {
    int32_t& volume = world->global->saveData.maxFps;
    volume = 50;
    add(new MenuVolume(0.0f, 0.0f, 0.0f, "V", "", &volume, 25, 125));
    PLIM->frameTimer.period = 1.0;
    world->click(104.0f, 0.0f);
    EXPECT_NEAR(PLIM->frameTimer.period, 1.0 / 51.0, 1e-9);
}

TEST_F(MenuIntTest, TheCountriesAreShownSortedByCodeWithNoCountryFirst) {
    int32_t position = 0;
    add(new MenuCountry(0.0f, 0.0f, 0.0f, "Country", "", &position));
    EXPECT_STREQ(CountryTable::rows[MenuCountry::displayOrder[0]].code, "--");
    for (int p = 2; p < MenuCountry::POSITIONS; p++)
        ASSERT_LT(strcmp(CountryTable::rows[MenuCountry::displayOrder[p - 1]].code,
                         CountryTable::rows[MenuCountry::displayOrder[p]].code),
                  0);
    EXPECT_STREQ(CountryTable::rows[MenuCountry::displayOrder[1]].code, "AD");
    EXPECT_STREQ(PLIM->language->getText(CountryTable::FIRST_TEXT + 0), "not specified");
}

TEST_F(MenuIntTest, TypingALetterInEitherCaseJumpsToTheNextCountryStartingWithIt) {
    int32_t position = 0;
    MenuCountry* country = add(new MenuCountry(0.0f, 0.0f, 0.0f, "Country", "", &position));
    auto code = [&]() { return std::string(CountryTable::rows[MenuCountry::displayOrder[position]].code); };

    world->moveAway();
    type('j');
    EXPECT_EQ(position, 0) << "only while hovered";

    world->moveMouse(0.0f, 0.0f);
    type('j');
    EXPECT_EQ(code(), "JM");
    EXPECT_TRUE(country->wasClicked());
    type('j');
    EXPECT_EQ(code(), "JO");
    type('j');
    EXPECT_EQ(code(), "JP");
    const SaveData& data = world->global->saveData;
    EXPECT_EQ(std::string(data.countryCode, 2), "JP");
    const V3 expected = Global::lonLatToPoint(float(degreesToRadians(138.0)), float(degreesToRadians(36.0)));
    EXPECT_FLOAT_EQ(data.countryPoint.x, expected.x);
    EXPECT_FLOAT_EQ(data.countryPoint.y, expected.y);
    EXPECT_FLOAT_EQ(data.countryPoint.z, expected.z);
    type('j');
    EXPECT_EQ(code(), "JM") << "wraps round through the start";

    // Shift+J types a capital: the same jump.
    world->typeKey(SDLK_j, 'J');
    EXPECT_EQ(code(), "JO");
    // No code starts with X or a digit: no jump and no click.
    country->wasClicked();
    world->typeKey(SDLK_x, 'X');
    type('x');
    type('5');
    EXPECT_EQ(code(), "JO");
    EXPECT_FALSE(country->wasClicked());
    // The only Q country, already chosen, still answers its letter.
    type('q');
    country->wasClicked();
    type('q');
    EXPECT_EQ(code(), "QA");
    EXPECT_TRUE(country->wasClicked());
    world->typeKey(SDLK_MINUS, '-');
    EXPECT_EQ(position, 0);
    EXPECT_EQ(std::string(data.countryCode, 2), "--");

    type('z');
    EXPECT_EQ(code(), "ZA");
    type('z');
    type('z');
    EXPECT_EQ(code(), "ZW");
    type('z');
    EXPECT_EQ(code(), "ZA") << "from the last Z back to the first";
}

TEST_F(MenuIntTest, ACountryOutsideTheTableShowsNoCountry) {
    int32_t position = 9999;
    add(new MenuCountry(0.0f, 0.0f, 0.0f, "Country", "", &position));
    EXPECT_EQ(MenuCountry::rowAt(position), 0);
    world->frame();
}

TEST_F(MenuIntTest, AKeyIsTakenFromEveryOtherBindingButNotEscape) {
    SaveData& data = world->global->saveData;
    int32_t& fire0 = data.keys[4][0];
    MenuKey* key = add(new MenuKey(0.0f, 0.0f, 0.0f, "Fire", "", &fire0));
    const int turnLeft1 = data.keys[0][1]; // player 2's turn left
    ASSERT_NE(turnLeft1, 0);

    world->moveMouse(0.0f, 0.0f);
    // Press player 2's turn-left key over player 1's fire binding.
    int sym = 0;
    for (int s = 0; s < PlimInput::SDL_KEY_COUNT; s++)
        if (PLIM->input->sdlToKey[s] == turnLeft1) sym = s;
    ASSERT_NE(sym, 0);
    world->typeKey(SDLKey(sym), 0);
    EXPECT_EQ(fire0, turnLeft1);
    EXPECT_EQ(data.keys[0][1], 0);
    EXPECT_FALSE(key->wasClicked());

    world->typeKey(SDLKey(sym), 0);
    EXPECT_EQ(fire0, turnLeft1) << "the key it holds stays";

    screen->bEscapeCloses = false;
    world->typeKey(SDLK_ESCAPE, 27);
    EXPECT_EQ(fire0, turnLeft1) << "Escape is left to the screen";
}

TEST_F(MenuIntTest, ATextFieldTakesAllowedCharactersUpToItsLength) {
    char buffer[6] = "ab";
    MenuString* field = add(new MenuString(0.0f, 0.0f, 0.0f, "Name", "", buffer, 5));
    EXPECT_EQ(field->text, "ab");

    world->moveAway();
    type('c');
    EXPECT_STREQ(buffer, "ab") << "only while hovered";

    world->moveMouse(0.0f, 0.0f);
    type('c');
    world->typeKey(SDLK_BACKQUOTE, '`');
    world->typeKey(SDLK_BACKQUOTE, '~');
    world->typeKey(SDLK_SPACE, ' ');
    EXPECT_STREQ(buffer, "abc ");
    type('d');
    type('e');
    EXPECT_STREQ(buffer, "abc d") << "five at most";
    world->typeKey(SDLK_BACKSPACE, 8);
    EXPECT_STREQ(buffer, "abc ");
    for (int i = 0; i < 6; i++) world->typeKey(SDLK_BACKSPACE, 8);
    EXPECT_STREQ(buffer, "");
}

TEST_F(MenuIntTest, AnOverlongBufferIsCutToTheFieldsLength) {
    char buffer[16] = "abcdefghij";
    MenuString* field = add(new MenuString(0.0f, 0.0f, 0.0f, "Name", "", buffer, 4));
    EXPECT_EQ(field->text, "abcd");
    world->moveMouse(0.0f, 0.0f);
    world->frame();
    EXPECT_STREQ(buffer, "abcd");
}

// Counts the characters the field was told about.
class CountingString : public MenuString {
public:
    using MenuString::MenuString;
    void onTextChanged() override { changes++; }
    int changes = 0;
};

TEST_F(MenuIntTest, EveryTypedCharacterButBackspaceTellsTheField) {
    char buffer[3] = "";
    CountingString* field = add(new CountingString(0.0f, 0.0f, 0.0f, "N", "", buffer, 2));
    world->moveMouse(0.0f, 0.0f);
    type('a');
    type('b');
    type('c'); // beyond the length
    world->typeKey(SDLK_BACKQUOTE, '~');
    world->typeKey(SDLK_BACKSPACE, 8);
    EXPECT_EQ(field->changes, 4);
    EXPECT_STREQ(buffer, "a");
}

TEST_F(MenuIntTest, TheCursorBlinksEveryEighthOfASecondWhileHovered) {
    char buffer[4] = "";
    MenuString* field = add(new MenuString(0.0f, 0.0f, 0.0f, "N", "", buffer, 3));
    world->moveMouse(0.0f, 0.0f);
    bool seenOn = false, seenOff = false;
    for (int i = 0; i < 20; i++) {
        world->frame(0.025);
        const bool expected = int(screen->time * 8.0) % 2 == 0;
        EXPECT_EQ(field->bCursorVisible, expected);
        (expected ? seenOn : seenOff) = true;
    }
    EXPECT_TRUE(seenOn && seenOff);
    field->bDisabled = true;
    world->frame();
    EXPECT_FALSE(field->bCursorVisible);
}

} // namespace
