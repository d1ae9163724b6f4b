// The resource registry names resources it does not own.
#include "EngineTestFolder.h"
#include "core/Logger.h"
#include "core/Plim.h"
#include "core/PlimBase.h"
#include "core/ResourceManager.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine = new Plim(Plim::Bare{});
        engine->log = new Logger();
        registry = new ResourceManager();
        a = new PlimBase();
        b = new PlimBase();
    }
    void TearDown() override {
        delete registry;
        delete a;
        delete b;
        delete engine;
        PLIM = nullptr;
    }

    EngineTestFolder folder;
    Plim* engine = nullptr;
    ResourceManager* registry = nullptr;
    PlimBase* a = nullptr;
    PlimBase* b = nullptr;
};

TEST_F(RegistryTest, FindsByExactNameOnly) {
    registry->addResource("explosion", a);
    registry->addResource("", b);
    EXPECT_EQ(registry->find("explosion", true), a);
    EXPECT_EQ(registry->find("", true), b);
    EXPECT_EQ(registry->find("Explosion", false), nullptr);
    EXPECT_EQ(registry->find("explosion ", false), nullptr);
}

TEST_F(RegistryTest, ASecondNameKeepsTheFirstForNameOf) {
    registry->addResource("a", a);
    registry->addResource("b", a);
    EXPECT_EQ(registry->find("a"), a);
    EXPECT_EQ(registry->find("b"), a);
    EXPECT_EQ(registry->nameOf(a), UString("a"));
    EXPECT_EQ(registry->nameOf(b), UString(""));
    EXPECT_EQ(registry->nameOf(nullptr), UString(""));
    EXPECT_EQ(registry->getCount(), 2);
}

TEST_F(RegistryTest, DestructorCountsRegistrationsAndDeletesNothing) {
    std::vector<PlimBase*> resources;
    for (int i = 0; i < 150; ++i) {
        resources.push_back(new PlimBase());
        registry->addResource(UString::format("tex:%d", i), resources.back());
    }
    delete registry;
    registry = nullptr;
    for (PlimBase* resource : resources) delete resource; // still alive: the registry owned none
    PLIM->log->saveCrashLog();
    std::string text = EngineTestFolder::readFile(folder.logPath());
    EXPECT_NE(text.find("ResourceManager(): Starting..."), std::string::npos);
    EXPECT_NE(text.find("~ResourceManager(): Destroying 150 resources."), std::string::npos);
}

using RegistryDeathTest = RegistryTest;

TEST_F(RegistryDeathTest, RegisteringANameTwiceIsFatal) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            EngineTestFolder::routeStdoutToStderr();
            registry->addResource("explosion", a);
            registry->addResource("explosion", b);
        },
        ::testing::ExitedWithCode(255),
        "\\*\\*\\* ERROR \\*\\*\\* Error: Assertion failed.\n Statement: map.find\\(key\\)==map.end\\(\\)\n "
        "Function: addResource\\(\\)");
}

// A name asked for that the data never made (a side file listing fewer
// sub-images than the game uses, past the start's check) is the data's fault:
// one line, status 1, and no crash log, though the engine's log exists.
TEST_F(RegistryTest, AMissingNameAskedForIsADataFault) {
    const std::string output = folder.root + "/output.txt";
    fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        const int file = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(file, 1);
        dup2(file, 2);
        registry->find("hud-energybar:1%s", true);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_EQ(EngineTestFolder::readFile(output),
              "Corvana2demo cannot use its data: Could not find resource 'hud-energybar:1%s'.\n");
    EXPECT_FALSE(EngineTestFolder::exists(folder.crashLogPath()));
}

} // namespace
