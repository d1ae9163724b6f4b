#include "util/DateTime.h"
#include "util/FileStream.h"
#include "util/PlimUtil.h"

#include "OtherUser.h"
#include "TempFolder.h"
#include <gtest/gtest.h>

#include <cstdlib>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
bool isDirectory(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string readAll(const char* path) {
    FileStream f(path, FileStream::MODE_READ);
    std::string out(f.bOk ? size_t(f.size) : 0, '\0');
    if (!out.empty()) f.read(&out[0], f.size);
    return out;
}

// Each test runs in a fresh temporary working folder with the data-folder
// variables cleared; both are restored afterwards.
class PlimUtilFs : public ::testing::Test {
protected:
    void SetUp() override {
        dir = makeTempFolder("plimutil.");
        ASSERT_FALSE(dir.empty());
        ASSERT_NE(getcwd(oldCwd, sizeof oldCwd), nullptr);
        ASSERT_EQ(chdir(dir.c_str()), 0);
        for (const char* name : names) {
            const char* v = getenv(name);
            saved.push_back(v ? v : "\x01");
            unsetenv(name);
        }
    }
    void TearDown() override {
        ASSERT_EQ(chdir(oldCwd), 0);
        for (size_t i = 0; i < saved.size(); ++i)
            saved[i] == "\x01" ? unsetenv(names[i]) : setenv(names[i], saved[i].c_str(), 1);
        ASSERT_EQ(system(("rm -rf " + dir).c_str()), 0);
    }
    UString at(const char* path) { return UString((dir + path).c_str()); }

    const char* names[3] = {"U3_APP_DATA_PATH", "HOME", "XDG_DATA_HOME"};
    std::vector<std::string> saved;
    std::string dir;
    char oldCwd[4096];
};
}  // namespace

TEST_F(PlimUtilFs, UserDataFolder) {
    setenv("U3_APP_DATA_PATH", (dir + "/u3").c_str(), 1);
    EXPECT_EQ(getUserDataFolder(false), "./");
    EXPECT_FALSE(isDirectory(dir + "/u3"));
    EXPECT_EQ(getUserDataFolder(true), at("/u3/2.60/"));
    EXPECT_TRUE(isDirectory(dir + "/u3/2.60"));
    unsetenv("U3_APP_DATA_PATH");

    // Without HOME (or with relative folders) the password database's home.
    const passwd* entry = getpwuid(getuid());
    EXPECT_EQ(findDataHome(), UString((std::string(entry->pw_dir) + "/.local/share").c_str()));
    setenv("HOME", "home", 1);
    setenv("XDG_DATA_HOME", "x/y", 1);
    EXPECT_EQ(findDataHome(), UString((std::string(entry->pw_dir) + "/.local/share").c_str()));
    unsetenv("XDG_DATA_HOME");

    setenv("HOME", (dir + "/home").c_str(), 1);
    mkdir("home", 0755);
    EXPECT_EQ(getUserDataFolder(false), at("/home/.local/share/Zemtrovia/Corvana2demo/2.60/"));

    // Every missing level is created, with mode 0755 (less the umask).
    setenv("XDG_DATA_HOME", (dir + "/x/y").c_str(), 1);
    EXPECT_EQ(getUserDataFolder(true), at("/x/y/Zemtrovia/Corvana2demo/2.60/"));
    struct stat st;
    ASSERT_EQ(stat((dir + "/x").c_str(), &st), 0);
    mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(st.st_mode & 0777, 0755u & ~mask);
}

// With the override set, the log stays in the working folder only while that
// folder is writable. Root may write anywhere, so the child gives up root first.
TEST_F(PlimUtilFs, UnwritableWorkingFolderFallsBackToTheUserFolder) {
    if (geteuid() == 0 && !canBecomeUser(65534)) GTEST_SKIP() << OTHER_USER_NEEDS;
    ASSERT_EQ(chmod(dir.c_str(), 0755), 0);
    ASSERT_EQ(mkdir("ro", 0555), 0);
    ASSERT_EQ(chmod("ro", 0555), 0);
    ASSERT_EQ(mkdir("u3", 0777), 0);
    ASSERT_EQ(chmod("u3", 0777), 0);
    setenv("U3_APP_DATA_PATH", (dir + "/u3").c_str(), 1);
    const std::string expected = dir + "/u3/2.60/";
    fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir("ro") != 0) _exit(2);
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
        if (access(".", W_OK) == 0) _exit(4);
        _exit(getUserDataFolder(false) == UString(expected.c_str()) ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(isDirectory(expected));
    chmod("ro", 0755);
}

TEST_F(PlimUtilFs, FileExistsAndCopy) {
    std::string data(2500, '\0');  // blocks of 1024, 1024 and 452
    for (size_t i = 0; i < data.size(); ++i) data[i] = char(i * 7);
    FileStream("src.bin", FileStream::MODE_WRITE).write(data.data(), int(data.size()));
    EXPECT_TRUE(fileExists("src.bin"));
    EXPECT_FALSE(fileExists("missing.bin"));
    EXPECT_FALSE(fileExists("."));  // a folder is not a readable file

    copyFile("src.bin", "dst.bin");
    EXPECT_EQ(readAll("dst.bin"), data);
    copyFile("src.bin", "./src.bin");  // onto itself: must not empty it
    EXPECT_EQ(readAll("src.bin"), data);
    copyFile("missing.bin", "dst.bin");  // destination still emptied
    EXPECT_TRUE(fileExists("dst.bin"));
    EXPECT_EQ(readAll("dst.bin"), "");
    EXPECT_EQ(removeFile("dst.bin"), 0);
    EXPECT_FALSE(fileExists("dst.bin"));
}

TEST(PlimUtil, TrimParseReplace) {
    UString s(" \tvalue\r\n");
    trimString(s);
    EXPECT_EQ(s, "value");
    s = " \t\r\n";
    trimString(s);
    EXPECT_EQ(s, "");

    EXPECT_EQ(parseInt("  42abc"), 42);
    EXPECT_EQ(parseInt("abc"), 0);
    EXPECT_DOUBLE_EQ(parseDouble("0.015"), 0.015);
    EXPECT_EQ(parseDouble(""), 0.0);

    s = "aaaa";
    replaceAll(s, "aa", "aaa");
    EXPECT_EQ(s, "aaaaaa");
    replaceAll(s, "", "q");
    EXPECT_EQ(s, "aaaaaa");
    s = "x.y.";
    replaceAll(s, ".", "%s");
    EXPECT_EQ(formatString("%s: %s", "f", s.c_str()), "f: x%sy%s");
}

TEST(PlimUtil, SplitStringConsumesLines) {
    UString text("a\r\nb\nc");
    EXPECT_EQ(splitString(text), "a");
    EXPECT_EQ(splitString(text), "b");
    EXPECT_EQ(splitString(text), "c");
    EXPECT_EQ(text, "");
    EXPECT_EQ(splitString(text), "");
    text = "\n\r\nx";
    EXPECT_EQ(splitString(text), "");
    EXPECT_EQ(splitString(text), "");
    EXPECT_EQ(text, "x");
}

TEST(PlimUtil, DateTimeStrings) {
    EXPECT_EQ(dateTimeString(DateTime(0)), "1970-01-01 00.00.00");
    EXPECT_EQ(dateTimeString(DateTime(1237043366)), "2009-03-14 15.09.26");
    EXPECT_EQ(dateTimeString(DateTime(-1)), "1969-12-31 23.59.59");
    EXPECT_EQ(dateTimeString(DateTime(4102444800LL)), "2100-01-01 00.00.00");  // past 2038
    EXPECT_GT(DateTime().seconds, 1600000000);
}
