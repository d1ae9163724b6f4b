// The wars started by their own buttons and played to the end scene: a
// one-day free-for-all between friends state by state on the clock, ten
// challenges won against nothing from no skill to full skill, the duel and
// the tutorial; each human winner filed (or not) in its own table of the
// saved scores, in memory and on disk.
#include "screens/ContextHighScores.h"
#include "app/ContextManager.h"
#include "files/FileManager.h"
#include "MatchFixture.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "input/PlimInput.h"
#include "util/PlimUtil.h"
#include "modes/ContextEnding.h"
#include "modes/GameControllerChallenge.h"
#include "modes/GameControllerClassic.h"
#include "modes/GameControllerFFA.h"
#include "modes/GameControllerTutorial.h"
#include "modes/pages/ContextGametypes.h"
#include "modes/pages/ContextRulesClassicWar.h"
#include "modes/pages/ContextRulesFFA.h"

#include <cstddef>
#include <cstring>
#include <sstream>
#include <string>
#include <typeinfo>
#include <utility>
#include <vector>

namespace {

typedef GameControllerClassic War;

int defaultScore(int row) { return 20000 - 2000 * row; }

// Frames of 0.02 s: every delay of the war is a whole number of them.
class WarRulesTest : public MatchTest {
protected:
    static void SetUpTestSuite() { startHarness(0.02); }
    void SetUp() override {
        SaveData& s = saved();
        s.resetHighScores();
        s.bInGameMusic = 0;
        s.bUseMouse = 0;
        s.bonusFrequency = 1;
        s.bAutocannons = 0;
        if (!harness->app->profiles.isUsed(0)) harness->app->profiles.addProfile("Gull");
        harness->log.lines.clear();
    }
    void TearDown() override { clearStack(); }
    static void push(Context* screen) {
        harness->app->contextManager->push(screen);
        harness->step();
    }
    // A click at a point of the 640 x 480 view (origin at the centre, y up).
    static void click(float x, float y) {
        PLIM->input->mousePosition[0] = x + float(PLIM->graphics->fovWidth / 2);
        PLIM->input->mousePosition[1] = y + float(PLIM->graphics->fovHeight / 2);
        harness->scheduleMouseButton(harness->frame, SDL_BUTTON_LEFT, true);
        harness->step();
        harness->scheduleMouseButton(harness->frame, SDL_BUTTON_LEFT, false);
        harness->step();
        PLIM->input->mousePosition[0] = PLIM->input->mousePosition[1] = 8.0f;
    }
    // The match the last click started, watched by the harness from now on.
    template <class T> static T* started() {
        T* match = dynamic_cast<T*>(harness->app->currentController);
        if (match) harness->controller = match;
        return match;
    }
    static bool runUntilState(GameController* match, int state, double seconds) {
        const int frames = int(seconds * 1000.0 / double(harness->periodMs));
        for (int i = 0; i < frames && match->state != state; ++i) harness->step();
        return match->state == state;
    }
    static int messages(const std::string& text) {
        int n = 0;
        for (const std::string& line : harness->log.linesOf("message")) {
            const std::vector<std::string> c = MatchEventLog::columns(line);
            if (c.size() > 3 && c[3] == "\"" + text + "\"") ++n;
        }
        return n;
    }
    // Each state the match entered, with its clock.
    static std::vector<std::pair<int, double>> states() {
        std::vector<std::pair<int, double>> out;
        for (const std::string& line : harness->log.linesOf("state")) {
            const std::vector<std::string> c = MatchEventLog::columns(line);
            out.emplace_back(std::stoi(c[3]), std::stod(c[1]));
        }
        return out;
    }
    // Clicks through the end scene until it closes; the screen it leaves on top.
    static Context* throughEndScene(ContextEnding* ending) {
        for (int i = 0; i < 3000 && top() == ending; ++i) {
            const bool waiting = ending->state == ContextEnding::STATE_PLACE ||
                                 (ending->state == ContextEnding::STATE_CLICK && ending->stateGoto != ContextEnding::STATE_CLOSE);
            if (waiting)
                click(0.0f, 0.0f);
            else
                harness->step();
        }
        return top();
    }
    // Every table but one as reset, in memory.
    static void expectDefaultTablesBut(int table) {
        for (int t = 0; t < SaveData::TABLE_COUNT; ++t) {
            if (t == table) continue;
            for (int row = 0; row < SaveData::TABLE_ENTRIES; ++row) {
                EXPECT_EQ(saved().highScores[t][row].score, defaultScore(row)) << t << "/" << row;
                EXPECT_STREQ(saved().highScores[t][row].name, "") << t << "/" << row;
            }
        }
    }
    // The winner's entry in a table, in memory and on disk, and the rows it pushed down.
    static void expectFiled(int table, int row, int score) {
        const char* name = harness->app->profiles.getName(harness->app->profiles.getCurrentProfile());
        const HighScoreEntry& entry = saved().highScores[table][row];
        EXPECT_STREQ(entry.name, name);
        EXPECT_NEAR(entry.score, score, 1);
        const HighScoreEntry stored = storedEntry(table, row);
        EXPECT_STREQ(stored.name, name);
        EXPECT_NEAR(stored.score, score, 1);
        // The rows below it moved down one.
        for (int r = 0; r < SaveData::TABLE_ENTRIES; ++r) {
            if (r == row) continue;
            EXPECT_EQ(saved().highScores[table][r].score, defaultScore(r < row ? r : r - 1)) << r;
        }
        EXPECT_EQ(harness->app->profiles.lastHighScorePlace, row);
        expectDefaultTablesBut(table);
    }
};

TEST_F(WarRulesTest, AOneDayWarBetweenFriendsRunsEveryStateOnTheClockAndFilesInTheFreeForAllTable) {
    saved().opponentType = 1;
    saved().warDays = 1;
    saved().trees = 3;
    saved().allowBonuses = 0;
    saved().difficulty = 4;
    ContextGametypes* types = new ContextGametypes();
    push(types);
    click(0.0f, -100.0f);
    ASSERT_TRUE(dynamic_cast<ContextRulesFFA*>(top()));
    click(220.0f, -190.0f);
    GameControllerFFA* ffa = started<GameControllerFFA>();
    ASSERT_TRUE(ffa);
    EXPECT_EQ(top(), ffa);
    EXPECT_EQ(ffa->computerPlayers, 0);
    EXPECT_EQ(ffa->days, 1);

    // Each battle ends with a plane lost 0.5 s in; the friends' scores are set at sunset.
    std::vector<double> lost;
    bool inBattle = false;
    double battleFrom = 0.0;
    for (int i = 0; i < 3000 && top() == ffa; ++i) {
        harness->step();
        if (top() != ffa) break;
        if (ffa->state != War::STATE_BATTLE) {
            inBattle = false;
            continue;
        }
        if (!inBattle) {
            inBattle = true;
            battleFrom = ffa->time;
        } else if (ffa->time - battleFrom >= 0.5 && lost.size() < size_t(ffa->round)) {
            if (ffa->round == War::ROUND_SUNSET) {
                ffa->playerData[0]->score = 3000;
                ffa->playerData[1]->score = 1000;
            }
            lost.push_back(ffa->time);
            ffa->onPlayerDie(1);
        }
    }
    ASSERT_EQ(lost.size(), 3u);
    ContextEnding* ending = dynamic_cast<ContextEnding*>(top());
    ASSERT_TRUE(ending);
    EXPECT_EQ(ending->gameType, GameController::GAMETYPE_FFA);
    // Between friends: 0.5 x (1 - 1/3), the day factor 0.5, the end's 0.9.
    EXPECT_EQ(ffa->winner, 0);
    EXPECT_FLOAT_EQ(ffa->playerData[0]->rating, 0.5f * (2.0f / 3.0f) * 0.5f * 0.9f);
    EXPECT_EQ(ffa->playerData[1]->rating, 0.0f);

    // Every state on time: the 0.001-s steps take one frame; after sunset
    // the round's end gives way to the day's in the same frame.
    const std::vector<std::pair<int, double>> seen = states();
    const int order[] = {1, 2, 3, 4, 5, 6, 7, 4, 5, 6, 7, 4, 5, 6, 8, 9, 10};
    ASSERT_EQ(seen.size(), sizeof(order) / sizeof(order[0]));
    double expected = 1.0;
    int battle = 0;
    for (size_t i = 0; i < seen.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(seen[i].first, order[i]);
        if (i > 0) {
            const int previous = order[i - 1];
            const int now = order[i];
            if (now == 7 || now == 8)
                expected = lost[battle++] + 3.0;
            else if (previous == 1 || previous == 4 || previous == 8)
                expected = seen[i - 1].second + 0.02;
            else if (previous == 2)
                expected = seen[i - 1].second + 5.0;
            else if (previous == 3 || previous == 9)
                expected = seen[i - 1].second + 2.0;
            else
                expected = seen[i - 1].second + 1.0; // 5 -> 6, 7 -> 4
        }
        EXPECT_NEAR(seen[i].second, expected, 0.021);
    }
    EXPECT_EQ(messages("day 1 of 1"), 1);
    EXPECT_EQ(harness->liveLayers()[GameController::LAYER_BALLOONS], 0);

    // 15000: fourth place of the free-for-all table, shown when the scene closes.
    ContextHighScores* table = dynamic_cast<ContextHighScores*>(throughEndScene(ending));
    ASSERT_TRUE(table);
    EXPECT_EQ(table->tableIndex, GameController::GAMETYPE_FFA);
    expectFiled(GameController::GAMETYPE_FFA, 3, 15000);
}

TEST_F(WarRulesTest, TenChallengesWonAgainstNothingGoFromNoSkillToFullAndFileTheFullRating) {
    // "very easy" saved: the challenges bring their own skill.
    saved().difficulty = 0;
    push(new ContextGametypes());
    click(0.0f, 20.0f);
    GameControllerChallenge* c = started<GameControllerChallenge>();
    ASSERT_TRUE(c);
    EXPECT_EQ(top(), c);
    const UColor colours[10] = {UColor(255, 0, 255, 255),   UColor(0, 0, 255, 255),     UColor(0, 255, 255, 255),
                                UColor(0, 255, 0, 255),     UColor(255, 255, 0, 255),   UColor(255, 128, 0, 255),
                                UColor(255, 0, 0, 255),     UColor(255, 255, 255, 255), UColor(128, 128, 128, 255),
                                UColor(0, 0, 0, 255)};
    for (int n = 1; n <= 10; ++n) {
        SCOPED_TRACE(n);
        // The first and the last challenge are played into their first
        // battle; the others end as soon as they are announced.
        const bool play = n == 1 || n == 10;
        ASSERT_TRUE(runUntilState(c, play ? War::STATE_BATTLE : War::STATE_FIGHT, 12.0));
        EXPECT_EQ(c->challenge, n);
        EXPECT_EQ(c->days, 3 * n);
        EXPECT_FLOAT_EQ(c->aiSkill, float(n - 1) / 9.0f);
        EXPECT_EQ(c->playerData[1]->color, colours[n - 1]);
        EXPECT_EQ(c->playerData[0]->color, UColor(255, 0, 0, 255));
        EXPECT_EQ(c->playerData[0]->score, 0);
        EXPECT_EQ(messages(formatString("challenge %d of 10", n).c_str()), 1);
        if (play) {
            EXPECT_EQ(c->day, 3 * n - 2);
            // (The tenth's own war also counts 30 days.)
            EXPECT_EQ(messages(formatString("day %d of 30", 3 * n - 2).c_str()), n == 10 ? 2 : 1);
        }
        // Its last day is over, won against nothing: the full 0.1.
        c->day = c->days;
        c->playerData[0]->score = 100 * n;
        c->playerData[1]->score = 0;
        c->setState(War::STATE_END, 0.0);
        if (n < 10) {
            EXPECT_EQ(top(), c);
            EXPECT_NEAR(c->playerData[0]->rating, 0.1f * float(n), 1e-5f);
        }
    }
    harness->step();
    ContextEnding* ending = dynamic_cast<ContextEnding*>(top());
    ASSERT_TRUE(ending);
    EXPECT_EQ(ending->gameType, GameController::GAMETYPE_CHALLENGE);
    EXPECT_EQ(c->winner, 0);
    EXPECT_NEAR(c->playerData[0]->rating, 0.9f, 1e-5f);
    EXPECT_EQ(c->playerData[1]->rating, 0.0f);

    ContextHighScores* table = dynamic_cast<ContextHighScores*>(throughEndScene(ending));
    ASSERT_TRUE(table);
    EXPECT_EQ(table->tableIndex, GameController::GAMETYPE_CHALLENGE);
    expectFiled(GameController::GAMETYPE_CHALLENGE, 0, 90000);
}

TEST_F(WarRulesTest, TheDuelPageStartsADuelFiledInTheDuelTableAndATutorialFiledNowhere) {
    saved().opponentType = 2;
    saved().difficulty = 2;
    push(new ContextRulesClassicWar());
    click(0.0f, -120.0f);
    War* war = started<War>();
    ASSERT_TRUE(war);
    EXPECT_EQ(typeid(*war), typeid(War));
    ASSERT_TRUE(runUntilState(war, War::STATE_BATTLE, 12.0));
    // A tie against the computer at "normal": 0.25 x 0.6, then 0.9.
    war->playerData[0]->score = war->playerData[1]->score = 1000;
    war->setState(War::STATE_END, 0.0);
    harness->step();
    ContextEnding* ending = dynamic_cast<ContextEnding*>(top());
    ASSERT_TRUE(ending);
    EXPECT_EQ(ending->gameType, GameController::GAMETYPE_DUEL);
    EXPECT_FLOAT_EQ(war->playerData[0]->rating, 0.25f * 0.6f * 0.9f);
    ContextHighScores* table = dynamic_cast<ContextHighScores*>(throughEndScene(ending));
    ASSERT_TRUE(table);
    EXPECT_EQ(table->tableIndex, GameController::GAMETYPE_DUEL);
    expectFiled(GameController::GAMETYPE_DUEL, 4, 13500); // fifth place
    clearStack();

    // The tutorial's winner (18000) would make a place in any table; it files nothing.
    saved().resetHighScores();
    saved().write();
    push(new ContextRulesClassicWar());
    click(0.0f, -80.0f);
    GameControllerTutorial* tutorial = started<GameControllerTutorial>();
    ASSERT_TRUE(tutorial);
    tutorial->playerData[0]->score = 5000;
    tutorial->setState(War::STATE_END, 0.0);
    harness->step();
    ending = dynamic_cast<ContextEnding*>(top());
    ASSERT_TRUE(ending);
    EXPECT_FLOAT_EQ(tutorial->playerData[0]->rating, 0.2f * 0.9f);
    EXPECT_TRUE(dynamic_cast<ContextHighScores*>(throughEndScene(ending)));
    EXPECT_EQ(harness->app->profiles.lastHighScorePlace, -1);
    expectDefaultTablesBut(-1);
    for (int t = 0; t < SaveData::TABLE_COUNT; ++t)
        for (int row = 0; row < SaveData::TABLE_ENTRIES; ++row)
            EXPECT_EQ(storedEntry(t, row).score, defaultScore(row)) << t << "/" << row;
}

} // namespace
