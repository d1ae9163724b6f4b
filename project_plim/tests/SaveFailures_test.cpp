// What the player and standard error hear of saves that fail, beyond the
// failed write itself (SaveBlob_test): a cause that persists from the last
// game, a directory in place of a save, a list for the next start that cannot
// be written.
#include "BareEngine.h"
#include "EngineTestFolder.h"
#include "files/FileManager.h"
#include "files/SaveFailures.h"
#include "files/UserNotices.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

class SaveFailuresTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine = BareEngine::withFiles();
        UserNotices::take();
    }
    void TearDown() override { BareEngine::shutDown(engine); }
    EngineTestFolder folder;
    Plim* engine = nullptr;
};

// Told as both: last game's changes were lost, and this game's will not be kept.
TEST_F(SaveFailuresTest, ACauseThatPersistsIsToldForBothGames) {
    const std::string hst = folder.root + "/Corvana2demo.hst";
    EngineTestFolder::writeFile(hst, "old");
    chmod(hst.c_str(), 0444);
    const UString user = (folder.root + "/").c_str();
    EngineTestFolder::writeFile(SaveFailures::keptListPath(user).str(), hst + "\tit is read-only\n");
    SaveFailures::tellKept(user);
    SaveFailures::foresee(hst.c_str());
    EXPECT_EQ(UserNotices::take(),
              (std::vector<UString>{("Could not save '" + hst + "' when the game last ended: it is read-only. The "
                                     "changes of that game were not kept.").c_str(),
                                    ("The file '" + hst + "' cannot be saved (it is read-only). The changes made in "
                                     "this game will not be kept.").c_str()}));
}

TEST_F(SaveFailuresTest, ADirectoryInPlaceAndAListThatCannotBeKeptAreSaidOnStandardError) {
    const std::string hst = folder.root + "/Corvana2demo.hst", gone = folder.root + "/gone";
    mkdir(hst.c_str(), 0755);
    char data[16] = {};
    UString problem;
    EXPECT_FALSE(FileManager::loadProtectedData(folder.root.c_str(), "Corvana2demo.hst", "2.60", data, 16, &problem));
    FileManager::keepRefusedFile(hst.c_str(), problem);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(FileManager::saveProtectedData(folder.root.c_str(), "Corvana2demo.hst", "2.60", data, 16));
    // A failure the player never saw, kept for the next start in a folder that is not there.
    EXPECT_FALSE(FileManager::saveProtectedData(gone.c_str(), "Corvana2demo.pro", "2.60", data, 16));
    SaveFailures::keepUnseen((gone + "/").c_str(), UserNotices::take());
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Could not save '" + hst + "': the file there cannot be read and is kept. Your latest changes are not "
              "kept.\nCould not save '" + gone + "/Corvana2demo.pro': No such file or directory. Your latest changes "
              "are not kept.\nCould not save '" + gone + "/Corvana2demo.unsaved': No such file or directory. The next "
              "start cannot tell the saves that failed.\n");
}

} // namespace
