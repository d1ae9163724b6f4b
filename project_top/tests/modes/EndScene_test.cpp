// The end scene over a finished match on the harness: islands, messages, the
// rating bar and its timing, the high-score entry (name, place, the file at
// once), clicks, fireworks and the high-score table it opens.
#include "render/Camera.h"
#include "screens/ContextHighScores.h"
#include "app/ContextManager.h"
#include "files/FileManager.h"
#include "FontQuad.h"
#include "InvasionFixture.h"
#include "JpegImage.h"
#include "LayoutRects.h"
#include "util/PlimUtil.h"
#include "render/Quad.h"
#include "widgets/RadialFader.h"
#include "RenderableText.h"
#include "modes/ContextEnding.h"
#include "world/World.h"

#include <cstring>
#include <vector>

namespace {

struct Result {
    int players = 1;
    int winner = 0;
    float rating = 0.5f;
    bool human = true;
    int gameType = GameController::GAMETYPE_INVASION;
};

bool hasText(PlimBase* layer, const char* text) {
    for (BasicLink* c = layer->firstChild; c; c = c->next) {
        auto* label = dynamic_cast<RenderableText*>(static_cast<PlimBase*>(c));
        if (label && !label->bDestroyPending && strcmp(label->text.c_str(), text) == 0) return true;
    }
    return false;
}

} // namespace

class EndSceneTest : public InvasionTest {
protected:
    void SetUp() override {
        SaveData& saved = harness->app->saveData;
        saved.resetHighScores();
        saved.bInGameMusic = 0;
        harness->app->profiles.lastHighScorePlace = 7;
    }
    void TearDown() override { clearStack(); }

    // A finished match with that result, and the end scene over it.
    ContextEnding* finish(const Result& r) {
        mode = start<GameController>([&](GameController& m) {
            m.playerCount = r.players;
            m.palmCount = 3;
            m.gameType = r.gameType;
        });
        mode->winner = r.winner;
        mode->playerData[r.winner]->rating = r.rating;
        mode->playerData[r.winner]->bHuman = r.human;
        mode->bDone = true; // finished: stays beneath until the table closes
        ContextEnding* ending = new ContextEnding();
        ending->gameType = r.gameType;
        harness->app->contextManager->push(ending);
        harness->log.lines.clear();
        harness->step();
        return ending;
    }
    static bool runUntil(ContextEnding* ending, int state, double seconds) {
        for (int i = 0; i < int(seconds * 100.0) && ending->state != state; ++i) harness->step();
        return ending->state == state;
    }
    static void click() {
        harness->scheduleMouseButton(harness->frame, 1, true);
        harness->scheduleMouseButton(harness->frame + 2, 1, false);
        harness->step();
    }

    GameController* mode = nullptr;
};

TEST_F(EndSceneTest, PlayerTwoWinsAPlaceThatIsWrittenAtOnceAndClicksCloseToTheTable) {
    harness->app->profiles.addProfile("SkyPatrolLeader");
    ContextEnding* ending = finish({2, 1, 0.5f, true, GameController::GAMETYPE_INVASION});
    EXPECT_EQ(harness->app->currentController, ending);
    EXPECT_EQ(ending->previous, mode);
    EXPECT_EQ(ending->state, ContextEnding::STATE_CEASE_FIRE);
    ASSERT_TRUE(ending->islands[0] && ending->islands[1]);
    EXPECT_EQ(ending->islands[0]->position.x, -500.0f);
    EXPECT_EQ(ending->islands[1]->position.x, 500.0f);
    EXPECT_EQ(ending->playerData[0]->numPalms, 3);
    EXPECT_EQ(ending->playerData[1]->numPalms, 3);
    EXPECT_EQ(messageTimes("cease fire!").size(), 1u);

    ASSERT_TRUE(runUntil(ending, ContextEnding::STATE_RATING, 10.1));
    EXPECT_NEAR(messageTimes("and the winner is...").at(0), 5.0, 0.02);
    EXPECT_TRUE(hasText(ending->ratingLayer, "your final rating is"));
    EXPECT_EQ(soundCount("drumroll"), 1u);
    // The first launch 9 s in, over the winner's island.
    const size_t launches = soundCount("fireworkLaunch");
    EXPECT_GE(launches, 1u);
    EXPECT_NE(harness->log.text().find("fireworkLaunch\t500.0,"), std::string::npos);

    const double barStart = ending->time;
    ASSERT_TRUE(runUntil(ending, ContextEnding::STATE_PERCENT, 4.0));
    EXPECT_NEAR(ending->time - barStart, 3.0, 0.03); // 1 s wait, then a quarter a second
    EXPECT_EQ(soundCount("cymbal"), 1u);
    EXPECT_TRUE(hasText(ending->ratingLayer, "50.0%"));

    // Rank 0 above the default tables, under the cut name, on disk already.
    EXPECT_EQ(ending->highScoreRank, 0);
    EXPECT_EQ(harness->app->profiles.lastHighScorePlace, 0);
    const HighScoreEntry& entry = harness->app->saveData.highScores[GameController::GAMETYPE_INVASION][0];
    EXPECT_STREQ(entry.name, "SkyPatrolLead-2");
    EXPECT_EQ(entry.score, 50000);
    const HighScoreEntry stored = storedEntry(GameController::GAMETYPE_INVASION, 0);
    EXPECT_STREQ(stored.name, "SkyPatrolLead-2");
    EXPECT_EQ(stored.score, 50000);

    ASSERT_TRUE(runUntil(ending, ContextEnding::STATE_PLACE, 5.1));
    EXPECT_TRUE(hasText(ending->ratingLayer, "first place!"));
    // A click skips at once, before "click to continue" shows.
    click();
    EXPECT_EQ(ending->state, ContextEnding::STATE_CLICK);
    harness->step();
    EXPECT_FALSE(hasText(ending->ratingLayer, "first place!"));
    EXPECT_TRUE(hasText(ending->ratingLayer, "click to continue"));
    // Printed downward from its point with a drop shadow 2 below: the whole
    // line stays inside the view's bottom edge.
    for (BasicLink* c = ending->ratingLayer->firstChild; c; c = c->next) {
        auto* label = dynamic_cast<RenderableText*>(static_cast<PlimBase*>(c));
        if (label && label->text == "click to continue") {
            EXPECT_GE(label->position.y - float(label->font->fontHeight) - 2.0f, -0.5f * float(Camera::fovHeight()));
        }
    }

    // The closing click fades out; a later one does not restart the 2 s.
    harness->runSeconds(0.2);
    click();
    EXPECT_EQ(harness->app->contextManager->fader->target, 1.0f);
    const double closing = ending->time;
    harness->runSeconds(1.0);
    click();
    ContextManager* stack = harness->app->contextManager;
    double closed = -1.0;
    for (int i = 0; i < 150 && closed < 0.0; ++i) {
        if (ending->state == ContextEnding::STATE_CLOSE) closed = ending->time;
        harness->step();
    }
    EXPECT_NEAR(closed - closing, 2.0, 0.03);
    EXPECT_GT(soundCount("fireworkLaunch"), launches); // in every state

    // The invasion table over the finished mode, which is current again.
    auto* table = dynamic_cast<ContextHighScores*>(stack->getTop());
    ASSERT_TRUE(table);
    EXPECT_EQ(table->tableIndex, GameController::GAMETYPE_INVASION);
    EXPECT_FALSE(table->bDone);
    EXPECT_EQ(harness->app->currentController, mode);
}

// The rating's texts and their plate stand above the bar's frame, clear of it
// by a pixel at least in every window size, for a low and a full rating.
TEST_F(EndSceneTest, NothingOfTheRatingCoversTheBar) {
    for (float rating : {0.118f, 1.0f}) {
        ContextEnding* ending = finish({1, 0, rating, true, GameController::GAMETYPE_NONE});
        ASSERT_TRUE(runUntil(ending, ContextEnding::STATE_PERCENT, 20.0));
        harness->step();
        const Renderable* frame = nullptr;
        std::vector<Rect> above = {ending->ratingLayer->plateRect()};
        for (BasicLink* c = ending->ratingLayer->firstChild; c; c = c->next) {
            auto* r = static_cast<Renderable*>(static_cast<PlimBase*>(c));
            if (auto* label = dynamic_cast<RenderableText*>(r))
                above.push_back(label->plateRect());
            else if (r != ending->bar)
                frame = r;
        }
        ASSERT_TRUE(frame);
        ASSERT_EQ(above.size(), 3u) << "the plate, the label and the value";
        const Rect bar = LayoutRects::drawn(frame);
        EXPECT_GT(above[0].right, above[0].left);
        for (const auto& [w, h] : LayoutRects::windowSizes())
            for (const Rect& r : above) EXPECT_GE(LayoutRects::verticalGap(r, bar, w, h), 1.0f) << w << "x" << h;
        clearStack();
    }
}

TEST_F(EndSceneTest, AComputerWinnerWithNoRatingEntersNothing) {
    ContextEnding* ending = finish({1, 0, 0.0f, false, GameController::GAMETYPE_INVASION});
    ASSERT_TRUE(ending->islands[0]);
    EXPECT_FALSE(ending->islands[1]);
    EXPECT_EQ(ending->islands[0]->position.x, 0.0f);

    ASSERT_TRUE(runUntil(ending, ContextEnding::STATE_RATING, 10.1));
    const float startWidth = ending->barQuad->width;
    const double barStart = ending->time;
    ASSERT_TRUE(runUntil(ending, ContextEnding::STATE_PERCENT, 2.0));
    EXPECT_NEAR(ending->time - barStart, 1.0, 0.03);
    EXPECT_EQ(ending->barQuad->width, startWidth); // never moved
    EXPECT_TRUE(hasText(ending->ratingLayer, "0.0%"));
    EXPECT_EQ(ending->highScoreRank, -1);
    EXPECT_EQ(harness->app->profiles.lastHighScorePlace, -1);
    EXPECT_EQ(harness->app->saveData.highScores[GameController::GAMETYPE_INVASION][0].score, 20000);

    // No place: straight to state 6 five seconds on, with no place text.
    const double percent = ending->time;
    ASSERT_TRUE(runUntil(ending, ContextEnding::STATE_CLICK, 5.1));
    EXPECT_NEAR(ending->time - percent, 5.0, 0.03);
    for (const char* place : {"first place!", "tenth place!"}) EXPECT_FALSE(hasText(ending->ratingLayer, place));
}

TEST_F(EndSceneTest, AFullRatingFillsTheBarInFiveSecondsAndGameTypeFiveOpensTheChooser) {
    ContextEnding* ending = finish({1, 0, 1.0f, true, GameController::GAMETYPE_NONE});
    ASSERT_TRUE(runUntil(ending, ContextEnding::STATE_RATING, 10.1));
    Quad* fill = static_cast<Quad*>(World::frame(World::frames("gui-game-progressBar"), 1));
    const double barStart = ending->time;
    harness->runSeconds(3.0);
    EXPECT_NEAR(ending->barQuad->width, fill->width * 0.5f, fill->width * 0.01f);
    while (ending->state == ContextEnding::STATE_RATING && ending->time - barStart < 6.5) harness->step();
    EXPECT_NEAR(ending->time - barStart, 5.0, 0.03); // a second's wait, then four
    EXPECT_NEAR(ending->barQuad->width, fill->width, fill->width * 0.01f);
    EXPECT_EQ(ending->bar->position.x, ContextEnding::BAR_X);

    // A human winner, but no table for this game type.
    EXPECT_EQ(ending->highScoreRank, -1);
    EXPECT_EQ(harness->app->saveData.highScores[0][0].score, 20000);
    ASSERT_TRUE(runUntil(ending, ContextEnding::STATE_CLICK, 5.1));
    click();
    harness->runSeconds(2.1);
    auto* table = dynamic_cast<ContextHighScores*>(harness->app->contextManager->getTop());
    ASSERT_TRUE(table);
    EXPECT_EQ(table->tableIndex, 0); // the chooser starts on the first table
}

TEST_F(EndSceneTest, AHumanScoreBelowTheTenthRowMakesNoPlace) {
    harness->app->profiles.addProfile("Ann");
    ContextEnding* ending = finish({1, 0, 0.015f, true, GameController::GAMETYPE_DUEL});
    ASSERT_TRUE(runUntil(ending, ContextEnding::STATE_PERCENT, 11.2));
    EXPECT_EQ(ending->highScoreRank, -1); // 1500 below the tenth row's 2000
    EXPECT_EQ(harness->app->profiles.lastHighScorePlace, -1);
    EXPECT_EQ(harness->app->saveData.highScores[GameController::GAMETYPE_DUEL][9].score, 2000);
    ASSERT_TRUE(runUntil(ending, ContextEnding::STATE_CLICK, 5.1));
    EXPECT_FALSE(hasText(ending->ratingLayer, "tenth place!"));
}

TEST_F(EndSceneTest, NamesAndPlaces) {
    EXPECT_EQ(std::string(ContextEnding::entryName("SkyPatrolLeader", 1).c_str()), "SkyPatrolLead-2");
    EXPECT_EQ(std::string(ContextEnding::entryName("SkyPatrolLeader", 0).c_str()), "SkyPatrolLeader");
    EXPECT_EQ(std::string(ContextEnding::entryName("Ann", 1).c_str()), "Ann-2");
    EXPECT_STREQ(ContextEnding::placeName(0), "first place");
    EXPECT_STREQ(ContextEnding::placeName(3), "fourth place");
    EXPECT_STREQ(ContextEnding::placeName(9), "tenth place");
    EXPECT_STREQ(ContextEnding::placeName(-1), "");
    EXPECT_STREQ(ContextEnding::placeName(10), "");
}

TEST_F(EndSceneTest, AnF9ScreenshotShowsTheBarFilledFromTheFramesLeftEndToTheRating) {
    ContextEnding* ending = finish({1, 0, 0.5f, false, GameController::GAMETYPE_INVASION});
    ASSERT_TRUE(runUntil(ending, ContextEnding::STATE_RATING, 10.1));
    harness->runSeconds(2.9); // the bar at 0.475 of its length
    harness->scheduleKey(harness->frame, SDLK_F9, true);
    harness->scheduleKey(harness->frame + 2, SDLK_F9, false);
    MatchHarness::setDrawing(true); // the frames the screenshot is taken of
    harness->steps(3);
    ASSERT_EQ(ending->state, ContextEnding::STATE_RATING);
    const std::set<std::string> shots = jpegFiles(harness->folder.userFolder());
    ASSERT_FALSE(shots.empty());
    const JpegImage shot = readJpeg(*shots.rbegin()); // the newest: names carry the time
    ASSERT_EQ(shot.width, 640);
    ASSERT_EQ(shot.height, 480);
    // Along the bar's middle row: the fill from x -96 (pixel 224) to about
    // x -5, then the frame's dark inside to x +96.
    auto pixel = [&](int x) { return shot.at(x, 240); };
    auto filled = [&](int x) { return pixel(x)[0] > 200 && pixel(x)[2] < 110; };
    for (int x = 230; x <= 305; x += 5) EXPECT_TRUE(filled(x)) << x;
    for (int x = 330; x <= 405; x += 5) {
        EXPECT_FALSE(filled(x)) << x;
        EXPECT_LT(pixel(x)[0], 140) << x;
    }
}
