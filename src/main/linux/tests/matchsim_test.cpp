// The built matchsim tool: the spine scenario prints the same bytes for the
// same seed, its layers empty out, and the event log holds the sounds,
// messages and state changes of the run.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Standard output of matchsim with the arguments, and its exit status.
std::string matchsim(const std::string& arguments, int* status) {
    std::string output;
    FILE* pipe = popen((std::string(MATCHSIM_PATH) + " " + arguments + " 2>/dev/null").c_str(), "r");
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

    std::vector<std::string> out = lines(a);
    ASSERT_GE(out.size(), 13u);
    EXPECT_EQ(out[0], "matchsim scenario=spine seed=7 seconds=10 detail=1 players=2 dt=0.010");
    std::vector<std::string> header = columns(out[1]);
    ASSERT_EQ(header.size(), 16u);
    EXPECT_EQ(header.front(), "second");
    EXPECT_EQ(header[12], "airplanes");
    EXPECT_EQ(header.back(), "total");
    // Second 0: twelve thrown objects and two vehicles.
    std::vector<std::string> start = columns(out[2]);
    EXPECT_EQ(start[12], "2");
    EXPECT_EQ(start.back(), "14");
    // Each row's total is the sum of its layers; the last one is 0.
    for (int row = 2; row <= 12; ++row) {
        std::vector<std::string> cells = columns(out[size_t(row)]);
        ASSERT_EQ(cells.size(), 16u) << out[size_t(row)];
        EXPECT_EQ(cells[0], std::to_string(row - 2));
        int sum = 0;
        for (size_t i = 1; i + 1 < cells.size(); ++i) sum += atoi(cells[i].c_str());
        EXPECT_EQ(sum, atoi(cells.back().c_str())) << out[size_t(row)];
    }
    EXPECT_EQ(columns(out[12]).back(), "0");

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
