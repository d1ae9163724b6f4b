// The built matchsim tool: the spine scenario prints the same bytes for the
// same seed, its layers empty out, and the event log holds the sounds,
// messages and state changes of the run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Standard output of matchsim with the arguments, and its exit status;
// environment is put before the command (NAME=VALUE ...).
std::string matchsim(const std::string& arguments, int* status, const std::string& environment = std::string()) {
    std::string output;
    FILE* pipe = popen((environment + " " + MATCHSIM_PATH + " " + arguments + " 2>/dev/null").c_str(), "r");
    if (!pipe) return output;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    int raw = pclose(pipe);
    *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return output;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> all;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) all.push_back(line);
    return all;
}

std::vector<std::string> columns(const std::string& line) {
    std::vector<std::string> all;
    std::istringstream in(line);
    for (std::string column; std::getline(in, column, '\t');) all.push_back(column);
    return all;
}

TEST(Matchsim, SpineRepeatsByteForByteAndEmptiesItsLayers) {
    if (!getenv("DISPLAY")) GTEST_SKIP() << "needs an X server";
    int first = -1, second = -1;
    std::string a = matchsim("--scenario spine --seed 7 --log", &first);
    std::string b = matchsim("--scenario spine --seed 7 --log", &second);
    ASSERT_EQ(first, 0);
    ASSERT_EQ(second, 0);
    EXPECT_EQ(a, b);
    // Runs draw nothing unless asked; with every frame drawn the first two
    // seconds print the same bytes.
    int drawn = -1, plain = -1;
    EXPECT_EQ(matchsim("--scenario spine --seed 7 --seconds 2 --log", &drawn, "MATCH_HARNESS_DRAW=1"),
              matchsim("--scenario spine --seed 7 --seconds 2 --log", &plain));
    EXPECT_EQ(drawn, 0);

    std::vector<std::string> out = lines(a);
    ASSERT_GE(out.size(), 13u);
    EXPECT_EQ(out[0], "matchsim scenario=spine seed=7 seconds=10 detail=1 players=2 dt=0.010");
    std::vector<std::string> header = columns(out[1]);
    ASSERT_EQ(header.size(), 18u);
    EXPECT_EQ(header.front(), "second");
    EXPECT_EQ(header[12], "airplanes");
    EXPECT_EQ(header[15], "total");
    EXPECT_EQ(header[16], "particles");
    EXPECT_EQ(header.back(), "pending");
    // Second 0: twelve thrown objects and two vehicles.
    std::vector<std::string> start = columns(out[2]);
    EXPECT_EQ(start[12], "2");
    EXPECT_EQ(start[15], "14");
    // Each row's total is the sum of its layers; the last one is 0.
    for (int row = 2; row <= 12; ++row) {
        std::vector<std::string> cells = columns(out[size_t(row)]);
        ASSERT_EQ(cells.size(), 18u) << out[size_t(row)];
        EXPECT_EQ(cells[0], std::to_string(row - 2));
        int sum = 0;
        for (size_t i = 1; i < 15; ++i) sum += atoi(cells[i].c_str());
        EXPECT_EQ(sum, atoi(cells[15].c_str())) << out[size_t(row)];
    }
    EXPECT_EQ(columns(out[12])[15], "0");

    EXPECT_EQ(out[13], "events");
    int sounds = 0, messages = 0, states = 0;
    for (size_t i = 14; i < out.size(); ++i) {
        std::vector<std::string> cells = columns(out[i]);
        ASSERT_GE(cells.size(), 4u) << out[i];
        sounds += cells[2] == "sound";
        messages += cells[2] == "message";
        states += cells[2] == "state";
    }
    EXPECT_GT(sounds, 0);
    EXPECT_EQ(messages, 2); // "fight!" and "all clear"
    EXPECT_EQ(states, 2);
}

// The rows of a run: each a vector of numbers (second, 14 layers, total,
// particles).
std::vector<std::vector<int>> rows(const std::string& text) {
    std::vector<std::vector<int>> all;
    std::vector<std::string> out = lines(text);
    for (size_t i = 2; i < out.size() && out[i] != "events"; ++i) {
        std::vector<int> row;
        for (const std::string& cell : columns(out[i])) row.push_back(atoi(cell.c_str()));
        all.push_back(row);
    }
    return all;
}

int countOf(const std::string& text, const std::string& word) {
    int n = 0;
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++n;
    return n;
}

const int PALMS = 2, SMOKE = 3, CANNON_BALLS = 4, SHOTS = 5, CANNONS = 6, BEAMS = 7, BOMBS = 8, BULLETS = 9,
          BALLOONS = 11, FIREWORKS = 14, TOTAL = 15, PARTICLES = 16;

TEST(Matchsim, PalmsBurnToStumpsWithSmokeAndFlames) {
    if (!getenv("DISPLAY")) GTEST_SKIP() << "needs an X server";
    int a = -1, b = -1;
    std::string first = matchsim("--scenario palms --seed 3 --seconds 6 --log", &a);
    ASSERT_EQ(a, 0);
    EXPECT_EQ(matchsim("--scenario palms --seed 3 --seconds 6 --log", &b), first);
    std::vector<std::vector<int>> r = rows(first);
    ASSERT_EQ(r.size(), 7u);
    for (const auto& row : r) EXPECT_EQ(row[PALMS], 6); // stumps stay
    int smoke = 0, flames = 0, particles = 0;
    for (const auto& row : r) {
        smoke += row[SMOKE];
        flames += row[BEAMS];
        particles += row[PARTICLES];
    }
    EXPECT_GT(smoke, 0);
    EXPECT_GT(flames, 0);
    EXPECT_GT(particles, 0);
    EXPECT_EQ(r.back()[PARTICLES], 0); // the burns are over
    EXPECT_GE(countOf(first, "\ttreeBurn\t"), 3);
}

TEST(Matchsim, FireworksSalvosBurstAndBurnOut) {
    if (!getenv("DISPLAY")) GTEST_SKIP() << "needs an X server";
    int a = -1, b = -1;
    std::string first = matchsim("--scenario fireworks --seed 3 --seconds 8 --log", &a);
    ASSERT_EQ(a, 0);
    EXPECT_EQ(matchsim("--scenario fireworks --seed 3 --seconds 8 --log", &b), first);
    std::vector<std::vector<int>> r = rows(first);
    ASSERT_EQ(r.size(), 9u);
    int most = 0;
    for (const auto& row : r) most = std::max(most, row[PARTICLES]);
    EXPECT_GT(most, 700); // 14 bursts of 100 flares, burning out at different times
    EXPECT_GT(r[1][FIREWORKS], 14);
    EXPECT_GE(countOf(first, "\tfireworkLaunch\t"), 15);
    EXPECT_GE(countOf(first, "\tfireworkBang\t"), 14);
    std::string low = matchsim("--scenario fireworks --seed 3 --seconds 3 --detail 0", &a);
    int lowMost = 0;
    for (const auto& row : rows(low)) lowMost = std::max(lowMost, row[PARTICLES]);
    EXPECT_LT(lowMost, most);
}

TEST(Matchsim, BonusBalloonsArePoppedExpireAndComeBack) {
    if (!getenv("DISPLAY")) GTEST_SKIP() << "needs an X server";
    int a = -1, b = -1;
    std::string first = matchsim("--scenario bonuses --seed 3 --seconds 30 --log", &a);
    ASSERT_EQ(a, 0);
    EXPECT_EQ(matchsim("--scenario bonuses --seed 3 --seconds 30 --log", &b), first);
    std::vector<std::vector<int>> r = rows(first);
    ASSERT_EQ(r.size(), 31u);
    EXPECT_EQ(r[0][BALLOONS], 14);
    EXPECT_LT(r[6][BALLOONS], 14); // popped and expired
    int most = 0;
    for (const auto& row : r) most = std::max(most, row[PARTICLES]);
    EXPECT_GT(most, 0);
    EXPECT_GT(countOf(first, "\tbonusPickup"), 0);
    EXPECT_GT(countOf(first, "\tballoonPop\t"), 1); // the first row's and later spawns
}

TEST(Matchsim, WeaponsCycleThroughEveryWeaponAndRepeat) {
    if (!getenv("DISPLAY")) GTEST_SKIP() << "needs an X server";
    int a = -1, b = -1;
    std::string first = matchsim("--scenario weapons --seed 3 --log", &a);
    ASSERT_EQ(a, 0);
    EXPECT_EQ(matchsim("--scenario weapons --seed 3 --log", &b), first);
    std::vector<std::vector<int>> r = rows(first);
    ASSERT_EQ(r.size(), 11u);
    for (const auto& row : r) EXPECT_EQ(row[CANNONS], 2);
    int shots = 0;
    for (const auto& row : r) shots += row[SHOTS] + row[BULLETS] + row[BOMBS] + row[BEAMS];
    EXPECT_GT(shots, 0);
    // Eight weapon switches with their sounds; every kind of shot is heard.
    EXPECT_EQ(countOf(first, "\tswitchWeapon"), 10);
    for (const char* sound : {"\tbubbles\t", "\tbulletFire\t", "\tcannonFire\t", "\tlaserFire\t", "\tlightningFire\t",
                              "\tmissileLaunch\t", "\tbombWhistle\t"})
        EXPECT_GT(countOf(first, sound), 0) << sound;
    // One human: the second cannon is the computer gunner.
    std::string gunner = matchsim("--scenario weapons --seed 3 --players 1 --seconds 3", &a);
    ASSERT_EQ(a, 0);
    EXPECT_NE(gunner, "");
}

TEST(Matchsim, TheGunnerDefendsItsPalmsAndTheCannonsFire) {
    if (!getenv("DISPLAY")) GTEST_SKIP() << "needs an X server";
    int a = -1, b = -1;
    std::string first = matchsim("--scenario cannon --seed 3 --log", &a);
    ASSERT_EQ(a, 0);
    EXPECT_EQ(matchsim("--scenario cannon --seed 3 --log", &b), first);
    std::vector<std::vector<int>> r = rows(first);
    ASSERT_EQ(r.size(), 11u);
    EXPECT_EQ(r[0][PALMS], 6);
    EXPECT_EQ(r[0][CANNONS], 2);
    int shells = 0, smoke = 0;
    for (const auto& row : r) {
        shells += row[CANNON_BALLS];
        smoke += row[SMOKE];
    }
    EXPECT_GT(shells, 0);
    EXPECT_GT(smoke, 0); // muzzle flashes and burning palms
    EXPECT_GT(countOf(first, "\tcannonFire\t"), 10); // both cannons
    matchsim("--scenario cannon --seed 3 --detail 0 --seconds 3", &a);
    EXPECT_EQ(a, 0);
}

TEST(Matchsim, OtherSeedsDifferAndBadArgumentsAreRefused) {
    if (!getenv("DISPLAY")) GTEST_SKIP() << "needs an X server";
    int status = -1;
    std::string seven = matchsim("--scenario spine --seed 7 --seconds 2 --log", &status);
    ASSERT_EQ(status, 0);
    std::string eight = matchsim("--scenario spine --seed 8 --seconds 2 --log", &status);
    ASSERT_EQ(status, 0);
    EXPECT_NE(seven, eight);
    EXPECT_EQ(matchsim("--scenario nosuch", &status), "");
    EXPECT_EQ(status, 2);
    matchsim("--scenario spine --players 3", &status);
    EXPECT_EQ(status, 2);
    matchsim("--seed 7", &status);
    EXPECT_EQ(status, 2);
}

} // namespace

// The event lines of a run's log with the word in their third column.
std::vector<std::vector<std::string>> events(const std::string& text, const std::string& kind) {
    std::vector<std::vector<std::string>> found;
    bool inEvents = false;
    for (const std::string& line : lines(text)) {
        if (line == "events") inEvents = true;
        std::vector<std::string> cells = columns(line);
        if (inEvents && cells.size() > 3 && cells[2] == kind) found.push_back(cells);
    }
    return found;
}

const int ENEMIES = 13, PENDING = 17;

TEST(Matchsim, EveryTorpedoEndsWithoutNanAndTheRunRepeats) {
    if (!getenv("DISPLAY")) GTEST_SKIP() << "needs an X server";
    int a = -1, b = -1;
    std::string first = matchsim("--spawn 3x200 --seed 5 --log", &a);
    ASSERT_EQ(a, 0);
    EXPECT_EQ(matchsim("--spawn 3x200 --seed 5 --log", &b), first);
    EXPECT_EQ(first.find("nan"), std::string::npos);
    std::vector<std::vector<std::string>> ends = events(first, "enemy");
    ASSERT_EQ(ends.size(), 200u);
    int destroyed = 0, sunk = 0;
    for (const auto& end : ends) {
        EXPECT_EQ(end[3], "Torpedo");
        EXPECT_NE(end[4], "alive");
        destroyed += end[4].compare(0, 9, "destroyed") == 0;
        sunk += end[4] == "sunk";
    }
    EXPECT_GT(destroyed, 0);
    EXPECT_GT(sunk, 0);
    std::vector<std::vector<int>> r = rows(first);
    EXPECT_EQ(r.back()[ENEMIES], 0);
    EXPECT_EQ(r.back()[PENDING], 0);
}

TEST(Matchsim, TheZeppelinBurnsAfterItsFourthTurretAndCancelsTheHeldCrates) {
    if (!getenv("DISPLAY")) GTEST_SKIP() << "needs an X server";
    int status = -1;
    std::string run = matchsim("--scenario zeppelin --seconds 42 --log", &status);
    ASSERT_EQ(status, 0);
    std::vector<std::vector<int>> r = rows(run);
    ASSERT_EQ(r.size(), 43u);
    EXPECT_EQ(r[0][PENDING], 7); // the zeppelin and six crates (two players)
    EXPECT_EQ(r[4][PENDING], 6);
    EXPECT_EQ(r[4][ENEMIES], 5); // the airship and its turrets
    EXPECT_EQ(r[40][PENDING], 6);
    EXPECT_EQ(r[41][PENDING], 0);
    EXPECT_EQ(r[42][ENEMIES], 0);

    // A turret at 20, 25, 30 and 35 s, then the message and the burn.
    std::vector<double> turrets, bursts;
    double blast = -1.0;
    for (const auto& sound : events(run, "sound")) {
        if (sound[3] != "explosionShort" && sound[3] != "explosionLong") continue;
        if (sound[3] == "explosionLong") blast = atof(sound[1].c_str());
        if (sound[6] == "-0.500..0.000") turrets.push_back(atof(sound[1].c_str()));
        if (sound[6] == "-0.750..0.000") bursts.push_back(atof(sound[1].c_str()));
    }
    EXPECT_EQ(turrets, (std::vector<double>{20.0, 25.0, 30.0, 35.0}));
    std::vector<std::vector<std::string>> messages = events(run, "message");
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1][3], "\"excellent!\"");
    EXPECT_EQ(messages[1][1], "35.000");
    ASSERT_GE(bursts.size(), 9u);
    EXPECT_EQ(bursts.front(), 35.01);
    for (size_t i = 1; i < bursts.size(); ++i) {
        EXPECT_GE(bursts[i] - bursts[i - 1], 0.05 - 1e-6);
        EXPECT_LE(bursts[i] - bursts[i - 1], 0.56 + 1e-6);
    }
    EXPECT_EQ(blast, 40.01);
    std::vector<std::vector<std::string>> ends = events(run, "enemy");
    ASSERT_EQ(ends.size(), 1u); // no crate ever came
    EXPECT_EQ(ends[0][3], "Zeppelin");
    EXPECT_EQ(ends[0][4], "destroyed by player 0");
}

TEST(Matchsim, SpawnTakesATypeByNumberOrNameAndLogsEachEnd) {
    if (!getenv("DISPLAY")) GTEST_SKIP() << "needs an X server";
    int status = -1;
    std::string run = matchsim("--spawn AirplaneLeftRightx6 --difficulty 1 --seed 2 --players 1 --log", &status);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(lines(run)[0], "matchsim spawn=AirplaneLeftRightx6 difficulty=1.00 seed=2 detail=1 players=1 dt=0.010");
    EXPECT_EQ(columns(lines(run)[1]).back(), "pending");
    EXPECT_EQ(rows(run)[0][PENDING], 6);
    const std::vector<std::vector<std::string>> ends = events(run, "enemy");
    ASSERT_EQ(ends.size(), 6u);
    for (const auto& end : ends) {
        EXPECT_EQ(end[3], "AirplaneLeftRight");
        EXPECT_TRUE(end[4] == "left" || end[4] == "destroyed by player 0") << end[4];
    }
    // A fixed run leaves those still flying alive at its end.
    run = matchsim("--spawn 10x2 --seconds 5 --log", &status);
    ASSERT_EQ(status, 0);
    const std::vector<std::vector<std::string>> bombers = events(run, "enemy");
    ASSERT_EQ(bombers.size(), 2u);
    EXPECT_EQ(bombers[0][3], "Bomber");
    EXPECT_EQ(bombers[0][4], "alive");
    EXPECT_EQ(rows(run).size(), 6u);

    for (const char* bad : {"--spawn 13", "--spawn 3x0", "--spawn Biplane", "--spawn 0 --difficulty 1.5",
                            "--spawn 0 --scenario spine"}) {
        matchsim(bad, &status);
        EXPECT_EQ(status, 2) << bad;
    }
}

TEST(Matchsim, BalloonPopKeepsABalloonPerPlayerUpAndCountsTheFirstRoundDown) {
    if (!getenv("DISPLAY")) GTEST_SKIP() << "needs an X server";
    int a = -1, b = -1;
    const char* args = "--scenario balloonpop --seed 3 --players 2 --seconds 45 --log";
    std::string first = matchsim(args, &a);
    ASSERT_EQ(a, 0);
    EXPECT_EQ(matchsim(args, &b), first);
    std::vector<std::vector<int>> r = rows(first);
    ASSERT_EQ(r.size(), 46u);
    EXPECT_EQ(r[0][CANNONS], 2);
    EXPECT_EQ(r[8][BALLOONS], 0); // before the first round
    for (int second = 10; second <= 38; ++second) EXPECT_GE(r[second][BALLOONS], 1) << second;
    EXPECT_EQ(r[40][BALLOONS], 0); // gone with "time!"
    EXPECT_EQ(countOf(first, "\t\"round 1 of 10\"\t"), 1);
    EXPECT_EQ(countOf(first, "\t\"time!\"\t"), 1);
    EXPECT_EQ(countOf(first, "\tclockTick\t"), 5);
    EXPECT_EQ(countOf(first, "\tclockChime\t"), 1);
    EXPECT_GT(countOf(first, "\tcannonFire\t"), 10);
}

TEST(Matchsim, AWarOfTwoComputerPlayersRepeatsAndEndsAfterItsDays) {
    if (!getenv("DISPLAY")) GTEST_SKIP() << "needs an X server";
    // Both runs at once: each is a whole war day on the clock.
    const std::string args = "--scenario war --days 1 --seed 7 --log";
    const std::string first = testing::TempDir() + "war-a.txt", second = testing::TempDir() + "war-b.txt";
    const std::string both = std::string(MATCHSIM_PATH) + " " + args + " >" + first + " 2>/dev/null & " + MATCHSIM_PATH +
                             " " + args + " >" + second + " 2>/dev/null; s=$?; wait $! && exit $s";
    ASSERT_EQ(system(both.c_str()), 0);
    auto read = [](const std::string& path) {
        std::string text;
        FILE* f = fopen(path.c_str(), "rb");
        if (!f) return text;
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
        fclose(f);
        return text;
    };
    const std::string run = read(first);
    EXPECT_EQ(read(second), run);
    remove(first.c_str());
    remove(second.c_str());

    std::vector<std::string> out = lines(run);
    ASSERT_GE(out.size(), 4u);
    EXPECT_EQ(out[0], "matchsim scenario=war seed=7 days=1 detail=1 players=0 dt=0.010");
    // One row a second until the war hands over to its end scene, then the summary.
    size_t row = 2;
    for (; row < out.size() && out[row].compare(0, 4, "war ") != 0; ++row) {
        std::vector<std::string> cells = columns(out[row]);
        ASSERT_EQ(cells.size(), 18u) << out[row];
        EXPECT_EQ(cells[0], std::to_string(row - 2));
        EXPECT_EQ(cells[1], "2") << out[row]; // the islands
        EXPECT_LE(atoi(cells[PALMS].c_str()), 6) << out[row];
        EXPECT_LE(atoi(cells[CANNONS].c_str()), 1) << out[row];
        EXPECT_LE(atoi(cells[12].c_str()), 2) << out[row]; // airplanes
    }
    ASSERT_LT(row, out.size());
    EXPECT_EQ(columns(out[2])[PALMS], "6");
    EXPECT_EQ(out[row].rfind("war over after day 1 of 1, 3 rounds (0 cut at 60 s), scores ", 0), 0u) << out[row];
    EXPECT_EQ(out[row + 1], "events");

    // The war's own states, in order: three rounds, then the end (state 10),
    // after which the end scene logs its own.
    std::vector<std::string> states;
    for (const auto& state : events(run, "state")) states.push_back(state[3]);
    const std::vector<std::string> war = {"1", "2", "3", "4", "5", "6", "7", "4", "5", "6",
                                          "7", "4", "5", "6", "8", "9", "10"};
    ASSERT_GE(states.size(), war.size());
    EXPECT_EQ(std::vector<std::string>(states.begin(), states.begin() + long(war.size())), war);
    // The rows stop at the first whole second after the war's end.
    const double end = atof(events(run, "state")[war.size() - 1][1].c_str());
    const int last = atoi(out[row - 1].c_str());
    EXPECT_GE(last, end);
    EXPECT_LE(last - 1, end);
    for (const char* text : {"\t\"fight!\"\t", "\t\"day 1 of 1\"\t", "\t\"sunrise\"\t", "\t\"noon\"\t", "\t\"sunset\"\t",
                             "\t\"cease fire!\"\t"})
        EXPECT_EQ(countOf(run, text), 1) << text;

    int status = -1;
    for (const char* bad : {"--scenario war --days 0", "--scenario war --days 101", "--scenario spine --days 2",
                            "--scenario war --seconds 5", "--scenario war --players 1"}) {
        matchsim(bad, &status);
        EXPECT_EQ(status, 2) << bad;
    }
}
