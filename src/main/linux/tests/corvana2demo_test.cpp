// The game program: the data-folder search and whole runs of the built game.
#include "DataFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string GAME = CORVANA2DEMO_PATH;

std::string makeTempFolder() {
    char pattern[] = "/tmp/corvana2demo-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    return made ? std::string(made) : std::string();
}

void touch(const std::string& path) { std::ofstream(path) << "x"; }

TEST(DataFolder, TakesTheFirstCandidateHoldingTheArchive) {
    std::string a = makeTempFolder(), b = makeTempFolder(), c = makeTempFolder();
    ASSERT_FALSE(a.empty() || b.empty() || c.empty());
    touch(b + "/Game.dat");
    touch(c + "/Game.dat");
    EXPECT_EQ(findDataFolder({a, b, c}, "Game.dat"), b);
    EXPECT_EQ(findDataFolder({"", c, b}, "Game.dat"), c);
    EXPECT_EQ(findDataFolder({a}, "Game.dat"), "");
    // A folder of the archive's name is not the archive.
    mkdir((a + "/Game.dat").c_str(), 0755);
    EXPECT_EQ(findDataFolder({a, c}, "Game.dat"), c);
    system(("rm -rf " + a + " " + b + " " + c).c_str());
}

TEST(DataFolder, ExecutableFolderIsWhereThisTestLives) {
    char buffer[4096];
    std::string self(buffer, size_t(readlink("/proc/self/exe", buffer, sizeof buffer)));
    EXPECT_EQ(executableFolder(), self.substr(0, self.rfind('/')));
}

TEST(DataFolder, TheMessageNamesTheArchiveAndEveryFolder) {
    std::string text = missingDataMessage({"/one", "", "/two"}, "Game.dat");
    EXPECT_NE(text.find("'Game.dat'"), std::string::npos);
    EXPECT_NE(text.find("  /one\n"), std::string::npos);
    EXPECT_NE(text.find("  /two\n"), std::string::npos);
}

} // namespace
