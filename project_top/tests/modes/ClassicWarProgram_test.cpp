// The whole program under Xvfb with real X input (xdotool) at the layout
// positions of the menus: a duel against the computer with both players'
// displays in an F9 screenshot, left by Escape and "Yes", then challenge from
// the game types; a duel against a friend on one keyboard with the mouse off,
// where left Shift fires player 0 and Space player 1; the screensaver, which a
// click leaves only after its first 5 s; and a one-day free-for-all from its
// rules page through the end scene into the free-for-all high scores.
// A watcher in the program's pointer layer (ticked every frame whatever the
// top screen) writes the top screen, the buttons and the match to a file.
#include "files/FileManager.h"
#include "app/HighScoreEntry.h"
#include "JpegImage.h"
#include "ProgramPath.h"
#include "ProgramTest.h"
#include "ScreenWatcher.h"
#include "core/Plim.h"
#include "input/PlimInput.h"
#include "modes/ContextEnding.h"
#include "modes/GameControllerChallenge.h"
#include "modes/GameControllerClassic.h"
#include "modes/GameControllerScreenSaver.h"
#include "modes/PlayerData.h"
#include "world/Airplane.h"
#include "world/GameObject.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const int SHOT_LAYERS[] = {GameController::LAYER_CANNON_BALLS, GameController::LAYER_SHOTS,
                           GameController::LAYER_BOMBS, GameController::LAYER_BULLETS};

class Watcher : public ScreenWatcher {
    void watchMatch(GameController* match, std::ostream& out) override {
        const SaveData& saved = gGlobal->saveData;
        out << "saved " << saved.opponentType << " " << int(saved.bUseMouse) << " " << saved.warDays << "\n";
        if (auto* war = dynamic_cast<GameControllerClassic*>(match)) {
            out << "match " << war->state << " " << war->round << "\n";
            auto* challenge = dynamic_cast<GameControllerChallenge*>(war);
            out << "war " << war->day << " " << war->days << " " << war->computerPlayers << " " << war->gameType
                << " " << (challenge ? challenge->challenge : 0) << "\n";
            countShots(war);
            out << "shots " << shots[0] << " " << shots[1] << "\n";
            if (access("rush", F_OK) == 0) rush(war);
        } else if (auto* show = dynamic_cast<GameControllerScreenSaver*>(match)) {
            out << "match " << show->state << " 0\n";
            // The controller's clock at each click it could have seen.
            const PlimInput* input = PLIM->input;
            if (input && input->buttonsNow[0] && !input->buttonsPrevious[0])
                clicks << " " << int(show->time * 1000.0);
            out << "clicks" << clicks.str() << "\n";
        } else if (auto* ending = dynamic_cast<ContextEnding*>(match)) {
            out << "match " << ending->state << " 0\n";
        } else {
            clicks.str("");
        }
    }

    // Shots fired by each player: every rise of the player's live projectiles.
    void countShots(GameController* war) {
        int now[2] = {0, 0};
        for (int layer : SHOT_LAYERS)
            for (BasicLink* link = war->layer(layer)->firstChild; link; link = link->next) {
                auto* shot = dynamic_cast<GameObject*>(static_cast<PlimBase*>(link));
                if (shot && !link->bDestroyPending && shot->owner >= 0 && shot->owner < 2) ++now[shot->owner];
            }
        for (int p = 0; p < 2; ++p) {
            if (now[p] > live[p]) shots[p] += now[p] - live[p];
            live[p] = now[p];
        }
    }

    // On the test's word, player 0 wins each battle at once: player 1's
    // airplane or, when player 1 mans the cannon, its palms take a fatal hit
    // from player 0's vehicle (which scores it).
    void rush(GameControllerClassic* war) {
        const int battle = war->day * 10 + war->round;
        if (war->state != GameControllerClassic::STATE_BATTLE || battle == rushed) return;
        Vehicle* attacker = GameController::currentVehicle(0);
        Vehicle* defender = GameController::currentVehicle(1);
        if (!attacker || !defender) return;
        rushed = battle;
        if (dynamic_cast<Airplane*>(defender)) {
            attacker->dealDamage(defender, FATAL);
            return;
        }
        PlayerData* island = war->playerData[1];
        for (int i = 0; i < island->numPalms; ++i)
            if (GameObject* palm = island->palms[i].get()) attacker->dealDamage(palm, FATAL);
    }

    static constexpr float FATAL = 1.0e6f;
    int rushed = -1;
    int live[2] = {0, 0};
    int shots[2] = {0, 0};
    std::ostringstream clicks;
};

Global* makeGame() { return new WatchedGame<Watcher>(); }

// The numbers after a line's first word in the watcher's file.
std::vector<int> numbers(const ProgramPath& path, const std::string& kind) {
    std::istringstream in(path.run.read("screen"));
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string first;
        words >> first;
        if (first != kind) continue;
        std::vector<int> values;
        for (int v = 0; words >> v;) values.push_back(v);
        return values;
    }
    return {};
}

// Waits until the numbers of a line satisfy the test.
template <class Test> bool waitForNumbers(const ProgramPath& path, const std::string& kind, double seconds, Test test) {
    for (int i = 0; i < int(seconds * 20); ++i) {
        if (test(numbers(path, kind))) return true;
        usleep(50000);
    }
    return false;
}

// Pixels in a box of the screenshot that pass the test.
template <class Test> int countPixels(const JpegImage& shot, int left, int top, int right, int bottom, Test test) {
    int count = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if (test(shot.at(x, y))) ++count;
    return count;
}

// A row of a high-score table as the program's ".hst" file holds it.
HighScoreEntry storedEntry(const ProgramPath& path, int table, int row) {
    std::vector<char> block(SaveData::SIZE);
    HighScoreEntry entry = {};
    std::string folder = path.run.folder.userFolder();
    folder.pop_back();
    const size_t at =
        offsetof(SaveDataBlock, highScores) + sizeof(HighScoreEntry) * (table * SaveData::TABLE_ENTRIES + row);
    if (FileManager::loadProtectedData(folder.c_str(), "Corvana2demo.hst", "2.60", block.data(), SaveData::SIZE))
        memcpy(&entry, &block[at], sizeof(entry));
    return entry;
}

bool barGreen(const uint8_t* p) { return p[1] > 150 && p[0] < 110 && p[2] < 110; }
// The badge's dark blue body, which the daylit sky never is.
bool badgeBody(const uint8_t* p) { return p[0] < 50 && p[1] < 70 && p[2] < 110 && p[2] >= p[0]; }

} // namespace

class ClassicWarProgram : public ProgramTest {};

TEST_F(ClassicWarProgram, DuelAgainstTheComputerShowsBothDisplaysThenChallengeStartsAtOnce) {
    ProgramPath path(30.0);
    ASSERT_NO_FATAL_FAILURE(path.startAsNewUser(makeGame, "ann"));

    ASSERT_NO_FATAL_FAILURE(path.pickGameType("duel"));
    ASSERT_TRUE(path.waitFor("ContextRulesClassicWar")) << path.run.read("screen");
    // "play against...": its right arrow stops at "the computer".
    path.clickAt(104, 40);
    EXPECT_TRUE(waitForNumbers(path, "saved", 5.0, [](const std::vector<int>& v) { return !v.empty() && v[0] == 2; }))
        << path.run.read("screen");
    ASSERT_TRUE(path.click("start")) << path.run.read("screen");

    // "fight!", day 1, sunrise: the battle.
    ASSERT_TRUE(path.waitFor("GameControllerClassic", 60.0, GameControllerClassic::STATE_BATTLE))
        << path.run.read("screen");
    EXPECT_EQ(path.now().number, GameControllerClassic::ROUND_SUNRISE);
    EXPECT_EQ(numbers(path, "war"), (std::vector<int>{1, 5, 1, GameController::GAMETYPE_DUEL, 0}));

    // Both displays have slid in at the top corners, mirrored: the dark badge
    // and, 30 units in from its centre, the full green health and blaster bars.
    std::string file;
    const JpegImage shot = path.takeScreenshot(&file);
    ASSERT_EQ(shot.width, 640) << path.run.read("screen");
    ASSERT_EQ(shot.height, 480);
    for (int side = 0; side < 2; ++side) {
        const int centre = side == 0 ? 96 : 640 - 96;
        const int barsLeft = side == 0 ? centre + 30 : centre - 30 - 60;
        const int greens = countPixels(shot, barsLeft, 4, barsLeft + 60, 28, barGreen);
        const int body = countPixels(shot, centre - 90, 0, centre + 90, 30, badgeBody);
        EXPECT_GT(greens, 150) << "player " << side << " in " << file;
        EXPECT_GT(body, 500) << "player " << side << " in " << file;
        // Nothing of the kind below the badge.
        EXPECT_EQ(countPixels(shot, barsLeft, 60, barsLeft + 60, 84, barGreen), 0) << "player " << side;
    }

    ASSERT_NO_FATAL_FAILURE(path.quitMatchTo("ContextRulesClassicWar"));
    ASSERT_TRUE(path.backTo("ContextGametypes")) << path.run.read("screen");

    // Challenge starts at once: challenge 1 of three days against the computer.
    ASSERT_TRUE(path.click("challenge")) << path.run.read("screen");
    ASSERT_TRUE(path.waitFor("GameControllerChallenge", 60.0, GameControllerClassic::STATE_NEW_DAY))
        << path.run.read("screen");
    EXPECT_EQ(numbers(path, "war"), (std::vector<int>{1, 3, 1, GameController::GAMETYPE_CHALLENGE, 1}));
    ASSERT_NO_FATAL_FAILURE(path.quitMatchTo("ContextGametypes"));

    ASSERT_TRUE(path.backTo("MyContextMain")) << path.run.read("screen");
}

TEST_F(ClassicWarProgram, AgainstAFriendWithTheMouseOffLeftShiftFiresPlayer0AndSpacePlayer1) {
    ProgramPath path(30.0);
    ASSERT_NO_FATAL_FAILURE(path.startAsNewUser(makeGame, "bo"));

    // Options, controls: "use mouse" off.
    ASSERT_TRUE(path.click("Options...")) << path.run.read("screen");
    ASSERT_TRUE(path.waitFor("ContextOptions")) << path.run.read("screen");
    ASSERT_TRUE(path.click("Controls")) << path.run.read("screen");
    ASSERT_TRUE(path.waitFor("ContextOptionsControls")) << path.run.read("screen");
    path.clickAt(71, -120);
    ASSERT_TRUE(waitForNumbers(path, "saved", 5.0, [](const std::vector<int>& v) { return v.size() > 1 && v[1] == 0; }))
        << path.run.read("screen");
    ASSERT_TRUE(path.backTo("ContextOptions")) << path.run.read("screen");
    ASSERT_TRUE(path.backTo("MyContextMain")) << path.run.read("screen");

    // The duel against a friend.
    ASSERT_NO_FATAL_FAILURE(path.pickGameType("duel"));
    ASSERT_TRUE(path.waitFor("ContextRulesClassicWar")) << path.run.read("screen");
    path.clickAt(-104, 40);
    ASSERT_TRUE(waitForNumbers(path, "saved", 5.0, [](const std::vector<int>& v) { return !v.empty() && v[0] == 1; }))
        << path.run.read("screen");
    ASSERT_TRUE(path.click("start")) << path.run.read("screen");
    ASSERT_TRUE(path.waitFor("GameControllerClassic", 60.0, GameControllerClassic::STATE_BATTLE))
        << path.run.read("screen");
    EXPECT_EQ(numbers(path, "war"), (std::vector<int>{1, 5, 0, GameController::GAMETYPE_DUEL, 0}));
    EXPECT_EQ(numbers(path, "shots"), (std::vector<int>{0, 0}));

    // Sunrise: player 0 bombs from the airplane with left Shift, player 1
    // fires the cannon with Space; neither key fires the other side.
    path.press("Shift_L");
    EXPECT_TRUE(waitForNumbers(path, "shots", 5.0, [](const std::vector<int>& v) { return v.size() == 2 && v[0] > 0; }))
        << path.run.read("screen");
    EXPECT_EQ(numbers(path, "shots"), (std::vector<int>{1, 0}));
    path.press("space");
    EXPECT_TRUE(waitForNumbers(path, "shots", 5.0, [](const std::vector<int>& v) { return v.size() == 2 && v[1] > 0; }))
        << path.run.read("screen");
    EXPECT_EQ(numbers(path, "shots"), (std::vector<int>{1, 1}));
    // The mouse is no fire key with the mouse off.
    path.clickHere();
    usleep(500000);
    EXPECT_EQ(numbers(path, "shots"), (std::vector<int>{1, 1}));

    ASSERT_NO_FATAL_FAILURE(path.escapeYes());
    ASSERT_TRUE(path.waitFor("ContextRulesClassicWar")) << path.run.read("screen");
}

TEST_F(ClassicWarProgram, TheScreensaverIgnoresAClickInItsFirst5SecondsAndEndsOnALaterOne) {
    ProgramPath path(30.0);
    ASSERT_NO_FATAL_FAILURE(path.startAsNewUser(makeGame, "cy"));
    ASSERT_NO_FATAL_FAILURE(path.pickGameType("screensaver"));
    ASSERT_TRUE(path.waitFor("GameControllerScreenSaver", 30.0, GameControllerScreenSaver::STATE_SHOW))
        << path.run.read("screen");

    // An early click: seen by the show, but it goes on into its camera drives.
    path.clickHere();
    ASSERT_TRUE(waitForNumbers(path, "clicks", 5.0, [](const std::vector<int>& v) { return v.size() == 1; }))
        << path.run.read("screen");
    ASSERT_LT(numbers(path, "clicks")[0], 5000) << "the click came too late to test";
    ASSERT_TRUE(path.waitFor("GameControllerScreenSaver", 30.0, GameControllerScreenSaver::STATE_DRIVE))
        << path.run.read("screen");
    usleep(2500000); // longer than the close would take
    ASSERT_TRUE(path.waitFor("GameControllerScreenSaver", 1.0, GameControllerScreenSaver::STATE_DRIVE))
        << path.run.read("screen");

    // A click now: the picture closes and the show ends on the game types.
    path.clickHere();
    ASSERT_TRUE(waitForNumbers(path, "clicks", 5.0, [](const std::vector<int>& v) { return v.size() == 2; }))
        << path.run.read("screen");
    EXPECT_GT(numbers(path, "clicks")[1], 5000);
    ASSERT_TRUE(path.waitFor("ContextGametypes", 30.0)) << path.run.read("screen");
    EXPECT_EQ(path.now().state, -1) << "no show left";
    ASSERT_TRUE(path.backTo("MyContextMain")) << path.run.read("screen");
}

TEST_F(ClassicWarProgram, AOneDayFreeForAllAgainstAFriendEndsInTheFreeForAllTable) {
    ProgramPath path(30.0);
    ASSERT_NO_FATAL_FAILURE(path.startAsNewUser(makeGame, "dee"));
    ASSERT_NO_FATAL_FAILURE(path.pickGameType("free-for-all"));
    ASSERT_TRUE(path.waitFor("ContextRulesFFA")) << path.run.read("screen");
    // The left arrows: "war days" 5 to 1, "play against..." a friend.
    for (int i = 0; i < 4; ++i) path.clickAt(-40, 170);
    path.clickAt(-40, 130);
    ASSERT_TRUE(waitForNumbers(path, "saved", 5.0, [](const std::vector<int>& v) {
        return v.size() == 3 && v[0] == 1 && v[2] == 1;
    })) << path.run.read("screen");
    ASSERT_TRUE(path.click("start")) << path.run.read("screen");
    ASSERT_TRUE(path.waitFor("GameControllerFFA", 60.0, GameControllerClassic::STATE_NEW_DAY))
        << path.run.read("screen");
    EXPECT_EQ(numbers(path, "war"), (std::vector<int>{1, 1, 0, GameController::GAMETYPE_FFA, 0}));

    // Player 0 takes player 1's palms at sunrise and its airplane at noon and
    // at sunset: three rounds, then the end scene.
    EngineTestFolder::writeFile(path.run.folder.root + "/rush", "");
    ASSERT_TRUE(path.waitFor("ContextEnding", 90.0)) << path.run.read("screen");
    // Cease fire, the winner, the bar, the percentage, the place: a click
    // for the next page and one to close.
    ASSERT_TRUE(path.waitFor("ContextEnding", 40.0, ContextEnding::STATE_PLACE)) << path.run.read("screen");
    path.clickHere();
    ASSERT_TRUE(path.waitFor("ContextEnding", 10.0, ContextEnding::STATE_CLICK)) << path.run.read("screen");
    path.clickHere();
    ASSERT_TRUE(path.waitFor("ContextHighScores", 10.0)) << path.run.read("screen");

    // The winner heads the free-for-all table: half the rating of a duel won
    // against a friend with no points, for the single day, times 0.9.
    const HighScoreEntry first = storedEntry(path, GameController::GAMETYPE_FFA, 0);
    EXPECT_EQ(first.getName(), UString("dee"));
    EXPECT_EQ(first.score, 22500);
    EXPECT_EQ(storedEntry(path, GameController::GAMETYPE_FFA, 1).score, 20000);
    EXPECT_EQ(storedEntry(path, GameController::GAMETYPE_DUEL, 0).score, 20000);
    EXPECT_STREQ(storedEntry(path, GameController::GAMETYPE_DUEL, 0).name, "");

    // The rules page closed itself on "start": back on the game types.
    ASSERT_TRUE(path.backTo("ContextGametypes")) << path.run.read("screen");
}
