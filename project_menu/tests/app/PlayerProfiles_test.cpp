// The profile store: the ".pro" block byte for byte, the round trip between
// runs, the files it refuses, and adding, deleting and choosing profiles
// (each change written at once). Each test has its own user folder.
#include "files/FileManager.h"
#include "app/PlayerProfiles.h"
#include "util/Random.h"
#include "StoredBlock.h"
#include "files/UserNotices.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

class PlayerProfilesTest : public ::testing::Test {
protected:
    void SetUp() override { Random::seed(99); }

    std::string filePath() const { return std::string(PlayerProfiles::getFolder().c_str()) + "/Corvana2demo.pro"; }
    std::vector<uint8_t> storedBlock() const {
        return ::storedBlock(filePath(), "Corvana2demo.pro", PlayerProfiles::SIZE);
    }
    // Writes a block as the ".pro" file, as the store itself would.
    void storeBlock(const void* data, int size) const {
        FileManager::saveProtectedData(PlayerProfiles::getFolder(), "Corvana2demo.pro", "2.60", data, size);
    }

    EngineTestFolder folder;
};

TEST_F(PlayerProfilesTest, WithoutAFileTheStoreIsEmpty) {
    PlayerProfiles profiles;
    EXPECT_EQ(profiles.countProfiles(), 0);
    EXPECT_EQ(profiles.getCurrentProfile(), 0);
    EXPECT_EQ(profiles.lastHighScorePlace, -1);
    EXPECT_FALSE(profiles.isUsed(0));
    EXPECT_STREQ(profiles.getName(0), "");
}

TEST_F(PlayerProfilesTest, TheFileHoldsTheBlockFieldByField) {
    {
        PlayerProfiles profiles;
        profiles.addProfile("Ann");
        profiles.addProfile("Bob");
        profiles.lastHighScorePlace = 3;
    }
    std::vector<uint8_t> block = storedBlock();
    ASSERT_EQ(block.size(), size_t(1608));
    EXPECT_EQ(int32At(block, 0), 3);
    EXPECT_EQ(int32At(block, 4), 1);
    EXPECT_STREQ(reinterpret_cast<const char*>(&block[8]), "Ann");
    EXPECT_STREQ(reinterpret_cast<const char*>(&block[8 + 160]), "Bob");
    EXPECT_EQ(block[8 + 320], 0); // third slot free
    for (size_t i = 8 + 20; i < 8 + 160; i++) ASSERT_EQ(block[i], 0) << "per-mode records start zero";
}

TEST_F(PlayerProfilesTest, ProfilesSurviveTheRunAndTheLastPlaceIsForgotten) {
    uint32_t annId, bobId;
    {
        PlayerProfiles profiles;
        profiles.addProfile("Ann");
        profiles.addProfile("Bob");
        profiles.setCurrentProfile(0);
        profiles.lastHighScorePlace = 4;
        annId = profiles.records[0].identifier;
        bobId = profiles.records[1].identifier;
    }
    PlayerProfiles again;
    EXPECT_EQ(again.countProfiles(), 2);
    EXPECT_STREQ(again.getName(0), "Ann");
    EXPECT_STREQ(again.getName(1), "Bob");
    EXPECT_EQ(again.records[0].identifier, annId);
    EXPECT_EQ(again.records[1].identifier, bobId);
    EXPECT_EQ(again.getCurrentProfile(), 0);
    EXPECT_EQ(again.lastHighScorePlace, -1);
    // Choosing a profile forgets it too.
    again.lastHighScorePlace = 0;
    again.setCurrentProfile(0);
    EXPECT_EQ(again.lastHighScorePlace, -1);
}

TEST_F(PlayerProfilesTest, EveryChangeIsWrittenAtOnce) {
    PlayerProfiles profiles;
    EXPECT_FALSE(EngineTestFolder::exists(filePath()));
    profiles.addProfile("Ann");
    profiles.addProfile("Bob");
    EXPECT_EQ(int32At(storedBlock(), 4), 1);
    profiles.setCurrentProfile(0);
    EXPECT_EQ(int32At(storedBlock(), 4), 0);
    profiles.deleteProfile(0);
    std::vector<uint8_t> block = storedBlock();
    EXPECT_STREQ(reinterpret_cast<const char*>(&block[8]), "Bob");
    EXPECT_EQ(block[8 + 160], 0);
}

TEST_F(PlayerProfilesTest, ATamperedOrWrongSizedFileIsRefused) {
    {
        PlayerProfiles profiles;
        profiles.addProfile("Ann");
    }
    std::string bytes = EngineTestFolder::readFile(filePath());
    bytes.back() ^= 0x40;
    EngineTestFolder::writeFile(filePath(), bytes);
    EXPECT_EQ(PlayerProfiles().countProfiles(), 0) << "digest mismatch";

    std::vector<uint8_t> shortBlock(1600, 0);
    std::strcpy(reinterpret_cast<char*>(&shortBlock[8]), "Eve");
    storeBlock(shortBlock.data(), int(shortBlock.size()));
    EXPECT_EQ(PlayerProfiles().countProfiles(), 0) << "wrong size";
}

// A store that is there but cannot be used is never saved over: it is kept
// under another name, and the player hears of it.
TEST_F(PlayerProfilesTest, ADamagedFileIsKeptAsideNotSavedOver) {
    {
        PlayerProfiles profiles;
        profiles.addProfile("Ann");
    }
    std::string bytes = EngineTestFolder::readFile(filePath());
    bytes.back() ^= 0x40;
    EngineTestFolder::writeFile(filePath(), bytes);
    EngineTestFolder::writeFile(filePath() + ".bad", "an older one");
    UserNotices::take();
    {
        PlayerProfiles profiles;
        EXPECT_EQ(0, profiles.countProfiles());
        profiles.addProfile("Bob");
    }
    EXPECT_EQ(bytes, EngineTestFolder::readFile(filePath() + ".bad.2"));
    EXPECT_EQ("an older one", EngineTestFolder::readFile(filePath() + ".bad"));
    EXPECT_STREQ("Bob", PlayerProfiles().getName(0));
    std::vector<UString> notices = UserNotices::take();
    ASSERT_EQ(1u, notices.size());
    EXPECT_EQ(UString("The file '" + filePath() + "' was damaged and has been kept as '" + filePath() +
                      ".bad.2'. The game starts from the defaults."),
              notices[0]);
}

TEST_F(PlayerProfilesTest, ABadCurrentIndexOrAnUnterminatedNameIsRepairedOnLoad) {
    std::vector<uint8_t> block(1608, 0);
    block[4] = 42; // current index
    std::memset(&block[8], 'A', 16);
    storeBlock(block.data(), int(block.size()));

    PlayerProfiles profiles;
    EXPECT_EQ(profiles.getCurrentProfile(), 0);
    EXPECT_EQ(std::string(profiles.getName(0)), std::string(15, 'A'));

    block[4] = 0xff;
    block[5] = block[6] = block[7] = 0xff; // -1
    storeBlock(block.data(), int(block.size()));
    EXPECT_EQ(PlayerProfiles().getCurrentProfile(), 0);
}

TEST_F(PlayerProfilesTest, IndicesOutsideTheTenSlotsAreRefused) {
    PlayerProfiles profiles;
    profiles.addProfile("Ann");
    profiles.setCurrentProfile(10);
    profiles.setCurrentProfile(-1);
    EXPECT_EQ(profiles.getCurrentProfile(), 0);
    profiles.deleteProfile(10);
    profiles.deleteProfile(-1);
    EXPECT_EQ(profiles.countProfiles(), 1);
    EXPECT_FALSE(profiles.isUsed(10));
    EXPECT_STREQ(profiles.getName(-1), "");
}

TEST_F(PlayerProfilesTest, AddingTakesTheFirstFreeSlotCutsTheNameAndIgnoresAnEleventh) {
    PlayerProfiles profiles;
    profiles.addProfile("Sixteen letters!");
    EXPECT_STREQ(profiles.getName(0), "Sixteen letters");
    for (int i = 1; i < 10; i++) profiles.addProfile(UString::format("P%d", i));
    EXPECT_EQ(profiles.getCurrentProfile(), 9);
    profiles.lastHighScorePlace = 2;
    profiles.addProfile("Eleventh");
    EXPECT_EQ(profiles.countProfiles(), 10);
    EXPECT_EQ(profiles.getCurrentProfile(), 9);
    EXPECT_EQ(profiles.lastHighScorePlace, 2);

    profiles.deleteProfile(3);
    profiles.addProfile("New");
    EXPECT_STREQ(profiles.getName(9), "New") << "deleting moves the later ones up";
    EXPECT_EQ(profiles.getCurrentProfile(), 9);
}

TEST_F(PlayerProfilesTest, SameNamesAreTwoProfilesWithTheirOwnIdentifiers) {
    PlayerProfiles profiles;
    profiles.addProfile("Ann");
    profiles.addProfile("Ann");
    EXPECT_EQ(profiles.countProfiles(), 2);
    EXPECT_NE(profiles.records[0].identifier, profiles.records[1].identifier);
}

TEST_F(PlayerProfilesTest, DeletingKeepsTheCurrentPersonCurrent) {
    PlayerProfiles profiles;
    for (const char* name : {"Ann", "Bob", "Cid"}) profiles.addProfile(name);
    profiles.setCurrentProfile(2);
    profiles.deleteProfile(0);
    EXPECT_STREQ(profiles.getName(profiles.getCurrentProfile()), "Cid");

    profiles.deleteProfile(profiles.getCurrentProfile()); // Cid, the last used slot
    EXPECT_EQ(profiles.getCurrentProfile(), 0);
    EXPECT_STREQ(profiles.getName(0), "Bob");

    profiles.addProfile("Dan");
    profiles.setCurrentProfile(0);
    profiles.deleteProfile(0); // Bob, with Dan after him
    EXPECT_EQ(profiles.getCurrentProfile(), 0);
    EXPECT_STREQ(profiles.getName(0), "Dan");
}

} // namespace
