// Paragraph layout with measured block glyphs (no window): wrapping at spaces
// and bars, words wider than the paragraph, colour runs and their codes.
#include "BlockGlyphs.h"
#include "FontQuad.h"
#include "FxExpect.h"
#include "core/Plim.h"
#include "TextLine.h"
#include "TextParagraph.h"
#include "TextPhrase.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Letters 5 wide with spacing 1 (advance 6); a space advances 4.
class TextParagraphTest : public BlockFontTest {
protected:
    void SetUp() override {
        BlockFontTest::SetUp();
        font->spaceWidth = 4;
        font->defaultSpacing = 1;
        glyphs->addAll("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ.", 5, 8);
    }

    static std::vector<TextLine*> lines(TextParagraph& p) {
        std::vector<TextLine*> out;
        for (BasicLink* l = p.firstChild; l; l = l->next) out.push_back(static_cast<TextLine*>(l));
        return out;
    }
    static std::vector<TextPhrase*> phrases(TextLine* line) {
        std::vector<TextPhrase*> out;
        for (BasicLink* l = line->firstChild; l; l = l->next) out.push_back(static_cast<TextPhrase*>(l));
        return out;
    }
    static std::string lineText(TextLine* line) {
        std::string s;
        for (TextPhrase* p : phrases(line)) s += p->text.c_str();
        return s;
    }
    std::vector<std::string> layout(const char* text, int maxWidth) {
        TextParagraph p(text, font, maxWidth);
        std::vector<std::string> out;
        for (TextLine* line : lines(p)) out.push_back(lineText(line));
        return out;
    }
};

TEST_F(TextParagraphTest, EmptyTextHasNoLines) {
    TextParagraph p("", font, 100);
    EXPECT_EQ(p.getNumChildren(), 0u);
    EXPECT_EQ(p.width, 0);
}

TEST_F(TextParagraphTest, BarForcesBreakAndNarrowWidthWrapsAtSpaces) {
    const char* text = "Please restart the game|and select your new language.";
    EXPECT_EQ(layout(text, 1000), (std::vector<std::string>{"Please restart the game", "and select your new language."}));
    // "Please restart the" is 104 wide; "new language." exactly 100.
    EXPECT_EQ(layout(text, 100),
              (std::vector<std::string>{"Please restart", "the game", "and select your", "new language."}));
}

TEST_F(TextParagraphTest, WordWiderThanParagraphStaysWholeOnItsOwnLine) {
    TextParagraph p("a verylongword b", font, 30);
    std::vector<TextLine*> l = lines(p);
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(lineText(l[0]), "a");
    EXPECT_EQ(lineText(l[1]), "verylongword");
    EXPECT_EQ(lineText(l[2]), "b");
    EXPECT_EQ(l[1]->width, 72);
    EXPECT_EQ(p.width, 72);
}

TEST_F(TextParagraphTest, OnlyOneCharacterIsDroppedAtEachBreak) {
    EXPECT_EQ(layout("ab  cd", 12), (std::vector<std::string>{"ab", " cd"}));
}

TEST_F(TextParagraphTest, ColourCodesTakeNoRoomWhenWrapping) {
    // Visible width 52; the code's eight characters would add to it if measured.
    EXPECT_EQ(layout("aaaa \x1e{ff0000}bbbb", 52).size(), 1u);
    EXPECT_EQ(layout("aaaa \x1e{ff0000}bbbb", 51).size(), 2u);
}

TEST_F(TextParagraphTest, ColourCodesSplitLineIntoPhrases) {
    TextLine line("red \x1e{ff0000}alert", font);
    std::vector<TextPhrase*> p = phrases(&line);
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(p[0]->text, "red ");
    EXPECT_EQ(p[0]->colour, TextLine::NO_COLOUR);
    EXPECT_EQ(p[0]->width, 22);
    EXPECT_EQ(p[1]->text, "alert");
    EXPECT_EQ(p[1]->colour, UColor(255, 0, 0, 255));
    EXPECT_EQ(p[1]->width, 30);
    EXPECT_EQ(line.width, 52);

    TextLine orange("\x1e{ff8000}x", font);
    EXPECT_EQ(phrases(&orange)[0]->colour, UColor(255, 128, 0, 255));
    TextLine none("\x1e{000001}x", font);
    EXPECT_EQ(phrases(&none)[0]->colour, UColor(0, 0, 1, 0));
}

TEST_F(TextParagraphTest, CodesAtEndOrInARow) {
    TextLine atEnd("abc\x1e{00ff00}", font);
    ASSERT_EQ(phrases(&atEnd).size(), 1u);
    EXPECT_EQ(phrases(&atEnd)[0]->colour, TextLine::NO_COLOUR);

    TextLine twice("\x1e{ff0000}\x1e{0000ff}x", font);
    ASSERT_EQ(phrases(&twice).size(), 1u);
    EXPECT_EQ(phrases(&twice)[0]->colour, UColor(0, 0, 255, 255));

    TextLine onlyCodes("\x1e{ff0000}\x1e{0000ff}", font);
    EXPECT_EQ(onlyCodes.getNumChildren(), 0u);
    EXPECT_EQ(onlyCodes.width, 0);
}

TEST_F(TextParagraphTest, ColourDoesNotCarryToNextLine) {
    TextParagraph p("\x1e{ff0000}aa|bb", font, 1000);
    std::vector<TextLine*> l = lines(p);
    ASSERT_EQ(l.size(), 2u);
    EXPECT_EQ(phrases(l[0])[0]->colour, UColor(255, 0, 0, 255));
    EXPECT_EQ(phrases(l[1])[0]->colour, TextLine::NO_COLOUR);
}

TEST_F(TextParagraphTest, UnreadableOrShortColourCodeIsFatal) {
    EXPECT_FATAL(TextLine("a\x1e{zzzzzz}b", font), "Couldn't extract markup from line '{zzzzzz}'");
    EXPECT_FATAL(TextLine("a\x1e-1234567b", font), "Couldn't extract markup from line '-1234567'");
    EXPECT_FATAL(TextLine("ab\x1e{ff", font), "Couldn't extract markup from line '{ff'");
}

} // namespace
