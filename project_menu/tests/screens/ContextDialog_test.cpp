// The dialog screen: its layout from title, text and labels, and its answers.
#include "screens/ContextDialog.h"
#include "app/ContextManager.h"
#include "FontQuad.h"
#include "widgets/MenuButton.h"
#include "widgets/MenuGroup.h"
#include "core/Plim.h"
#include "RenderableText.h"
#include "ShellTestEngine.h"
#include "render/Skin.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <algorithm>
#include <vector>

namespace {

class ContextDialogTest : public LoadedEngineTest {
protected:
    static ContextDialog* built(const char* title, const char* text, const char* label1, const char* label2,
                                int* answer = nullptr) {
        ContextDialog* d = new ContextDialog();
        d->title = title;
        d->text = text;
        if (label1) d->label1 = label1;
        d->label2 = label2;
        d->pAnswer = answer;
        d->build();
        return d;
    }
    static MenuGroup* panel(ContextDialog* d) { return static_cast<MenuGroup*>(static_cast<PlimBase*>(d->firstChild)); }
    static std::vector<RenderableText*> labels(ContextDialog* d) {
        std::vector<RenderableText*> out;
        for (BasicLink* c = d->firstChild; c; c = c->next)
            if (RenderableText* t = dynamic_cast<RenderableText*>(static_cast<PlimBase*>(c))) out.push_back(t);
        return out;
    }
    static int lineStep() { return int(float(engine->app->fontMedium->fontHeight) * 1.25f); }
};

TEST_F(ContextDialogTest, DefaultIsOneOkButtonInTheMiddle) {
    ContextDialog* d = built("", "", nullptr, "");
    EXPECT_EQ(d->label1, "OK");
    ASSERT_NE(d->pButton1, nullptr);
    EXPECT_EQ(d->pButton2, nullptr);
    EXPECT_EQ(d->pButton1->position.x, 0.0f);
    EXPECT_EQ(d->pButton1->pSkin->width, 160.0f);
    EXPECT_GE(panel(d)->pSkin->width, 430.0f);
    EXPECT_TRUE(d->bBackKeysClose);
    EXPECT_TRUE(d->bDeleteWhenDone);
    EXPECT_TRUE(labels(d).empty());
    d->deleteMe();
}

TEST_F(ContextDialogTest, ButtonsSitAtBothSidesAndASecondAloneStaysRight) {
    ContextDialog* two = built("", "Are you sure?", "Yes", "No");
    EXPECT_EQ(two->pButton1->position.x, -85.0f);
    EXPECT_EQ(two->pButton2->position.x, 85.0f);
    EXPECT_EQ(two->pButton1->position.y, two->pButton2->position.y);
    EXPECT_EQ(two->pButton2->pSkin->width, 160.0f);
    EXPECT_FALSE(two->bBackKeysClose);
    two->deleteMe();

    ContextDialog* second = built("", "text", "", "Only");
    EXPECT_EQ(second->pButton1, nullptr);
    EXPECT_EQ(second->pButton2->position.x, 85.0f);
    EXPECT_TRUE(second->bBackKeysClose);
    second->deleteMe();
}

TEST_F(ContextDialogTest, PanelSizeFollowsTitleTextAndButtons) {
    int L = lineStep();
    ContextDialog* bare = built("", "one line", "", "");
    EXPECT_EQ(bare->pButton1, nullptr);
    int width = std::max(192, engine->app->fontMedium->getTextWidth("one line", nullptr).width);
    EXPECT_EQ(panel(bare)->pSkin->width, float(std::max(width, L) + 100));
    EXPECT_EQ(panel(bare)->pSkin->height, float(L + 100));
    bare->deleteMe();

    const char* title = "A title much wider than the smallest panel there is";
    ContextDialog* titled = built(title, "", "", "");
    float titleWidth = float(engine->app->fontLarge->getTextWidth(title, nullptr).width);
    EXPECT_GE(panel(titled)->pSkin->width, titleWidth + 100.0f);
    ASSERT_EQ(labels(titled).size(), 1u);
    EXPECT_EQ(labels(titled)[0]->printFlags, 5);
    EXPECT_FALSE(labels(titled)[0]->bShadow);
    titled->deleteMe();

    ContextDialog* tall = built("", "a|b|c|d|e|f|g|h|i|j|k|l|m|n", "", "");
    EXPECT_EQ(panel(tall)->pSkin->width, panel(tall)->pSkin->height);
    tall->deleteMe();
}

TEST_F(ContextDialogTest, EachLineIsCentredAsAWhole) {
    ContextDialog* d = built("", "Please restart the game|and select your new language.", nullptr, "");
    std::vector<RenderableText*> lines = labels(d);
    ASSERT_EQ(lines.size(), 2u);
    FontQuad* font = engine->app->fontMedium;
    for (RenderableText* line : lines) {
        EXPECT_EQ(line->printFlags, 3);
        EXPECT_FALSE(line->bShadow);
        EXPECT_EQ(line->position.x, float(-(font->getTextSize(line->text).width / 2))) << line->text.c_str();
    }
    EXPECT_EQ(lines[0]->position.y - lines[1]->position.y, float(lineStep()));
    EXPECT_GT(lines[1]->position.y, d->pButton1->position.y);
    d->deleteMe();
}

TEST_F(ContextDialogTest, ButtonsWriteTheirNumberAndCloseTheDialog) {
    int answer = 1;
    ContextDialog* d = built("", "Sure?", "Yes", "No", &answer);
    EXPECT_EQ(answer, -1); // build resets an older answer
    stack->push(d);
    engine->frame();
    EXPECT_EQ(answer, -1);
    d->pButton1->onClick();
    engine->frame();
    EXPECT_EQ(answer, 0);
    EXPECT_TRUE(d->bDone);
    engine->frame(); // popped and deleted

    d = built("", "Sure?", "Yes", "No", &answer);
    stack->push(d);
    engine->frame();
    d->pButton1->onClick();
    d->pButton2->onClick();
    engine->frame();
    EXPECT_EQ(answer, 1); // both in one frame: the second wins
}

TEST_F(ContextDialogTest, OnlyEscapeAndWithOneButtonFireCloseIt) {
    int answer = 5;
    ContextDialog* two = built("", "Sure?", "Yes", "No", &answer);
    two->bDeleteWhenDone = false; // looked at after it closes
    stack->push(two);
    engine->frame();
    pressKey(*engine, SDLK_RETURN);
    pressKey(*engine, SDLK_SPACE);
    EXPECT_FALSE(two->bDone);
    pressKey(*engine, SDLK_ESCAPE);
    EXPECT_TRUE(two->bDone);
    EXPECT_EQ(answer, -1);
    engine->frame();
    EXPECT_EQ(two->parent, nullptr);
    two->deleteMe();

    ContextDialog* one = built("", "Note", nullptr, "", &answer);
    one->bDeleteWhenDone = false;
    stack->push(one);
    engine->frame();
    pressKey(*engine, SDLK_SPACE);
    EXPECT_TRUE(one->bDone);
    EXPECT_EQ(answer, -1);
    engine->frame();
    one->deleteMe();
}

} // namespace
