// The saved block: its bytes in the ".hst" file, the defaults of a first run,
// high-score insertion and digests, the round trip between runs, and the files
// it refuses. Each test has its own user folder.
#include "files/FileManager.h"
#include "files/Md5.h"
#include "util/Random.h"
#include "app/SaveData.h"
#include "StoredBlock.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

class SaveDataTest : public ::testing::Test {
protected:
    void SetUp() override { Random::seed(1234); }

    std::string filePath() const { return std::string(SaveData::getFolder().c_str()) + "/Corvana2demo.hst"; }
    std::vector<uint8_t> storedBlock() const { return ::storedBlock(filePath(), "Corvana2demo.hst", SaveData::SIZE); }
    std::vector<uint8_t> bytesOf(const SaveData& block) const {
        const uint8_t* p = reinterpret_cast<const uint8_t*>(&block);
        return std::vector<uint8_t>(p, p + SaveData::SIZE);
    }
    // A run: the block is built, the caller edits it, and it is written at the end.
    void run(void (*edit)(SaveData&) = nullptr) {
        data.reset(new SaveData());
        if (edit) edit(*data);
        data.reset();
    }
    int32_t score(int table, int entry) const { return data->highScores[table][entry].score; }

    EngineTestFolder folder;
    std::unique_ptr<SaveData> data; // goes before the folder
};

TEST_F(SaveDataTest, AFirstRunStartsFromTheDefaults) {
    int64_t before = DateTime().seconds;
    data.reset(new SaveData());
    int64_t after = DateTime().seconds;
    EXPECT_FALSE(data->fileExists());

    EXPECT_STREQ(data->buildName, "Corvana2demo");
    EXPECT_STREQ(data->version, "2.60");
    EXPECT_EQ(data->reserved0[0], 0);
    EXPECT_NE(data->randomId, 0u);
    EXPECT_EQ(std::string(data->countryCode, 2), "--");
    EXPECT_EQ(data->countryIndex, 0);
    EXPECT_EQ(data->playTime, 0);
    EXPECT_EQ(data->bProfileMissing, 1);
    EXPECT_EQ(data->graphicsDetail, 1);
    EXPECT_EQ(data->videoMode, 1);
    EXPECT_EQ(data->maxFps, 100);
    EXPECT_EQ(data->soundVolume, 24);
    EXPECT_EQ(data->musicVolume, 15);
    EXPECT_EQ(data->mouseSensitivity, 2);
    EXPECT_EQ(data->opponentType, 2);
    EXPECT_EQ(data->offensivePreference, 12);
    EXPECT_TRUE(data->countryPoint == V3(0.0f, 0.0f, -1.0f));
    EXPECT_GE(data->runStart.seconds, before);
    EXPECT_LE(data->runStart.seconds, after);

    const uint8_t* flags = &data->bLimitBombRange;
    const uint8_t expectedFlags[10] = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(memcmp(flags, expectedFlags, 10), 0);
    const uint8_t address[16] = {0, 2};
    EXPECT_EQ(memcmp(data->externalAddress.bytes, address, 16), 0);
    EXPECT_EQ(data->reserved1[0], 0);
    EXPECT_EQ(data->reserved1[1], 2);
    EXPECT_EQ(data->reserved1[2], 2);
    EXPECT_EQ(data->reserved1[3], 0);

    const int32_t keys[6][2] = {{203, 30}, {205, 32}, {200, 17}, {208, 45}, {57, 42}, {28, 29}};
    EXPECT_EQ(memcmp(data->keys, keys, sizeof keys), 0);

    const uint8_t zero[16] = {};
    for (int t = 0; t < 5; ++t) {
        for (int i = 0; i < 10; ++i) {
            const HighScoreEntry& entry = data->highScores[t][i];
            EXPECT_EQ(entry.score, 20000 - 2000 * i);
            EXPECT_EQ(entry.getName(), "");
            EXPECT_EQ(memcmp(entry.checksum, zero, 16), 0);
            EXPECT_GE(entry.time.seconds, before);
            EXPECT_LE(entry.time.seconds, after);
        }
    }
}

TEST_F(SaveDataTest, TheRandomFillRepeatsWithTheSeedAndDiffersBetweenSeeds) {
    Random::seed(77);
    SaveData first;
    Random::seed(77);
    SaveData second;
    Random::seed(78);
    SaveData third;
    // The last 19 spare bytes are never written after the fill.
    EXPECT_EQ(memcmp(first.spare6, second.spare6, 19), 0);
    EXPECT_NE(memcmp(first.spare6, third.spare6, 19), 0);
    EXPECT_EQ(first.randomId, second.randomId);

    // Each word takes 32 draws, the first ending as its most significant bit.
    Random::seed(77);
    uint32_t word = 0;
    for (int w = 0; w < SaveData::SIZE / 4; ++w) {
        word = 0;
        for (int bit = 0; bit < 32; ++bit) word = word << 1 | uint32_t(Random::next() % 2);
    }
    const uint8_t* last = reinterpret_cast<const uint8_t*>(&first) + SaveData::SIZE - 4;
    EXPECT_EQ(uint32_t(last[0]) | uint32_t(last[1]) << 8 | uint32_t(last[2]) << 16 | uint32_t(last[3]) << 24, word);
}

TEST_F(SaveDataTest, TheFileHoldsTheWholeBlockAtItsOffsets) {
    run([](SaveData& d) {
        d.maxFps = 45;
        d.keys[4][1] = 0x9D;
        d.addHighScore(3, "Ada", 19000, false);
        memcpy(d.countryCode, "NZ", 2);
        d.countryIndex = 155;
    });
    std::vector<uint8_t> stored = storedBlock();
    ASSERT_EQ(stored.size(), size_t(SaveData::SIZE));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&stored[0])), "Corvana2demo");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&stored[32])), "2.60");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&stored[84]), 2), "NZ");
    EXPECT_EQ(int32At(stored, 2496), 45);
    EXPECT_EQ(int32At(stored, 2660 + 8 * 4 + 4), 0x9D);
    EXPECT_EQ(int32At(stored, 2660), 203);
    EXPECT_EQ(int32At(stored, 2644), 155);
    EXPECT_EQ(stored[2613], 2);
    // Table 3, entry 1 holds the new score; the old entry 1 moved to 2.
    size_t entry = 88 + 480 * 3 + 48 * 1;
    EXPECT_EQ(stored[entry], 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&stored[entry + 16])), "Ada");
    EXPECT_EQ(int32At(stored, entry + 32), 19000);
    EXPECT_EQ(int32At(stored, entry + 48 + 32), 18000);
    EXPECT_EQ(int32At(stored, 88 + 480 * 4 + 48 * 9 + 32), 2000);

    // The next run reads back every byte, random fill included, with the play
    // time and run start as the only changes.
    std::vector<uint8_t> before = stored;
    data.reset(new SaveData());
    std::vector<uint8_t> loaded = bytesOf(*data);
    for (size_t i = 0; i < loaded.size(); ++i) {
        bool counters = (i >= 2712 && i < 2724);
        if (!counters) {
            ASSERT_EQ(loaded[i], before[i]) << "offset " << i;
        }
    }
}

TEST_F(SaveDataTest, HighScoresGoBelowEveryScoreThatIsNotLower) {
    data.reset(new SaveData());
    std::vector<uint8_t> untouched = bytesOf(*data);
    EXPECT_EQ(data->addHighScore(0, "low", 2000, false), -1);
    EXPECT_EQ(data->addHighScore(0, "low", -5, false), -1);
    EXPECT_EQ(bytesOf(*data), untouched);

    EXPECT_EQ(data->addHighScore(0, "nine", 2001, false), 9);
    EXPECT_EQ(score(0, 9), 2001);
    EXPECT_EQ(score(0, 8), 4000);

    EXPECT_EQ(data->addHighScore(1, "top", 20001, false), 0);
    EXPECT_EQ(score(1, 0), 20001);
    for (int i = 1; i < 10; ++i) EXPECT_EQ(score(1, i), 20000 - 2000 * (i - 1));

    // Equal scores: the newest goes below the ones already there.
    EXPECT_EQ(data->addHighScore(2, "first", 10000, false), 6);
    EXPECT_EQ(data->addHighScore(2, "second", 10000, false), 7);
    EXPECT_EQ(data->highScores[2][5].getName(), "");
    EXPECT_EQ(data->highScores[2][6].getName(), "first");
    EXPECT_EQ(data->highScores[2][7].getName(), "second");
    for (int i = 1; i < 10; ++i) EXPECT_GE(score(2, i - 1), score(2, i));

    // The other tables are untouched by either.
    for (int i = 0; i < 10; ++i) EXPECT_EQ(score(4, i), 20000 - 2000 * i);
}

TEST_F(SaveDataTest, AddedEntriesCarryTheMarkerOrTheKeyedDigestOfTheirTable) {
    data.reset(new SaveData());
    data->addHighScore(0, "plain", 15000, false);
    const HighScoreEntry& plain = data->highScores[0][3];
    const uint8_t marker[16] = {1};
    EXPECT_EQ(memcmp(plain.checksum, marker, 16), 0);

    data->addHighScore(2, "signed", 15000, true);
    HighScoreEntry table[10];
    memcpy(table, data->highScores[2], sizeof table);
    memset(table[3].checksum, 0, 16);
    uint8_t expected[16];
    md5DigestWithKey(expected, 0x5C7A1E93, table, int(sizeof table));
    EXPECT_EQ(memcmp(data->highScores[2][3].checksum, expected, 16), 0);
}

TEST_F(SaveDataTest, NamesAreBoundedAndBadTablesRefused) {
    data.reset(new SaveData());
    std::vector<uint8_t> untouched = bytesOf(*data);
    EXPECT_EQ(data->addHighScore(5, "x", 99999, false), -1);
    EXPECT_EQ(data->addHighScore(-1, "x", 99999, false), -1);
    EXPECT_EQ(bytesOf(*data), untouched);

    // Bytes after the terminator keep what the entry held before.
    memset(data->highScores[0][0].name, 'z', 16);
    EXPECT_EQ(data->addHighScore(0, "Bo", 30000, false), 0);
    EXPECT_EQ(data->highScores[0][0].getName(), "Bo");
    EXPECT_EQ(data->highScores[0][0].name[3], 'z');
    EXPECT_EQ(data->highScores[0][1].name[3], 'z');

    EXPECT_EQ(data->addHighScore(0, "a name far longer than fifteen", 40000, false), 0);
    HighScoreEntry& entry = data->highScores[0][0];
    EXPECT_EQ(entry.getName(), "a name far long");
    EXPECT_EQ(entry.name[15], 0);
    EXPECT_EQ(data->addHighScore(0, nullptr, 50000, false), 0);
    EXPECT_EQ(data->highScores[0][0].getName(), "");

    // A stored name without terminator ends with its field.
    memset(entry.name, 'q', 16);
    EXPECT_EQ(entry.getName(), std::string(16, 'q'));
}

TEST_F(SaveDataTest, ResettingTheTablesLeavesEverythingElse) {
    data.reset(new SaveData());
    data->addHighScore(1, "someone", 50000, true);
    data->maxFps = 60;
    data->playTime = 77;
    data->highScores[1][0].time = DateTime(5);
    int64_t before = DateTime().seconds;
    data->resetHighScores();
    const uint8_t zero[16] = {};
    for (int t = 0; t < 5; ++t) {
        for (int i = 0; i < 10; ++i) {
            EXPECT_EQ(score(t, i), 20000 - 2000 * i);
            EXPECT_EQ(memcmp(data->highScores[t][i].checksum, zero, 16), 0);
            EXPECT_GE(data->highScores[t][i].time.seconds, before);
        }
    }
    EXPECT_EQ(data->maxFps, 60);
    EXPECT_EQ(data->playTime, 77);
    EXPECT_EQ(data->keys[0][0], 203);
}

TEST_F(SaveDataTest, PlayTimeCountsOnlyThePassedSeconds) {
    run([](SaveData& d) {
        d.playTime = 1000;
        d.runStart = DateTime(DateTime().seconds - 100);
    });
    data.reset(new SaveData());
    EXPECT_GE(data->playTime, 1100);
    EXPECT_LE(data->playTime, 1105);
    int32_t counted = data->playTime;

    // A stored start later than now stays, and the shutdown adds nothing.
    int64_t future = DateTime().seconds + 3600;
    data->runStart = DateTime(future);
    data.reset();
    data.reset(new SaveData());
    EXPECT_EQ(data->runStart.seconds, future);
    EXPECT_EQ(data->playTime, counted);

    // A total at the limit stays there.
    data->runStart = DateTime(DateTime().seconds - 100);
    data->playTime = INT32_MAX - 10;
    data->save();
    EXPECT_EQ(data->playTime, INT32_MAX);

    // Saved at quit and again at shutdown: the run's seconds count once, and
    // the stored start is left as it was.
    const DateTime start(DateTime().seconds - 100);
    data->runStart = start;
    data->playTime = 0;
    data->save();
    const int32_t once = data->playTime;
    data->save();
    EXPECT_LE(data->playTime, once + 5);
    EXPECT_EQ(data->runStart.seconds, start.seconds);
}

TEST_F(SaveDataTest, DamagedOrForeignFilesLeaveTheDefaults) {
    run([](SaveData& d) {
        d.maxFps = 30;
        d.randomId = 42;
    });
    std::string good = EngineTestFolder::readFile(filePath());
    ASSERT_GT(good.size(), size_t(SaveBlob::DATA_OFFSET));

    std::vector<std::string> bad;
    for (size_t at : {size_t(SaveBlob::DIGEST_OFFSET), size_t(SaveBlob::PAYLOAD_OFFSET), good.size() - 1}) {
        bad.push_back(good);
        bad.back()[at] ^= 0x40;
    }
    bad.push_back(good.substr(0, good.size() - 1));
    bad.push_back(std::string());
    for (size_t i = 0; i < bad.size(); ++i) {
        EngineTestFolder::writeFile(filePath(), bad[i]);
        data.reset(new SaveData());
        EXPECT_EQ(data->maxFps, 100) << "case " << i;
        EXPECT_NE(data->randomId, 42u) << "case " << i;
        EXPECT_NE(data->randomId, 0u) << "case " << i;
        data.reset();
        // Kept aside, never saved over.
        EXPECT_EQ(bad[i], EngineTestFolder::readFile(filePath() + (i ? ".bad." + std::to_string(i + 1) : ".bad")))
            << "case " << i;
    }

    // A block of another size, or sealed with another key, is foreign.
    std::vector<uint8_t> shorter(SaveData::SIZE - 4, 0);
    FileManager::saveProtectedData(SaveData::getFolder(), "Corvana2demo.hst", "2.60", shorter.data(),
                                   int(shorter.size()));
    data.reset(new SaveData());
    EXPECT_EQ(data->maxFps, 100);
    data->maxFps = 35;
    std::vector<uint8_t> block = bytesOf(*data);
    FileManager::saveProtectedData(SaveData::getFolder(), "Corvana2demo.hst", "2.61", block.data(),
                                   int(block.size()));
    data.reset(new SaveData());
    EXPECT_EQ(data->maxFps, 100);
}

TEST_F(SaveDataTest, StoredSettingsAreClampedBeforeUse) {
    run([](SaveData& d) {
        d.maxFps = 0;
        d.videoMode = 7;
        d.audioQuality = -3;
        d.soundVolume = 1000;
        d.mouseSensitivity = -1;
        d.countryIndex = 9999;
        d.trees = 0;
        d.opponentType = 0;
        d.bVSync = 7;
        d.keys[2][0] = 999;
        d.keys[3][1] = -4;
        d.keys[0][1] = 311;
    });
    data.reset(new SaveData());
    EXPECT_EQ(data->maxFps, 25);
    EXPECT_EQ(data->videoMode, 3);
    EXPECT_EQ(data->audioQuality, 0);
    EXPECT_EQ(data->soundVolume, 24);
    EXPECT_EQ(data->mouseSensitivity, 0);
    EXPECT_EQ(data->countryIndex, 240);
    EXPECT_EQ(data->trees, 1);
    EXPECT_EQ(data->opponentType, 1);
    EXPECT_EQ(data->bVSync, 1);
    EXPECT_EQ(data->keys[2][0], 200);
    EXPECT_EQ(data->keys[3][1], 45);
    EXPECT_EQ(data->keys[0][1], 311);
}

} // namespace
