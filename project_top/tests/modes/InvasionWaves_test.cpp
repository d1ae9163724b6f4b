// The invasion's wave table: its shape rules, and each wave alone against the
// aiming bot with palms that never fall ends in time.
#include "AimingCannon.h"
#include "InvasionFixture.h"
#include "modes/InvasionWave.h"
#include "world/enemies/EnemySpawner.h"

#include <map>
#include <set>

namespace {
const int ZEPPELIN_WAVES[] = {20, 30, 40, 50};
bool zeppelinWave(int wave) { return wave % 10 == 0; }
int enemiesOf(int wave) {
    int count = 0;
    for (const InvasionWave& row : InvasionWave::rowsOf(wave)) count += row.groups * row.perGroup;
    return count;
}
} // namespace

TEST(InvasionWaveTable, RowsCountsZeppelinsTypesAndTints) {
    ASSERT_EQ(InvasionWave::lastWave(), GameControllerCampaign::WAVE_COUNT);
    int previous = 0;
    for (const InvasionWave& row : InvasionWave::table()) {
        EXPECT_GE(row.wave, previous) << "in wave order";
        previous = row.wave;
    }
    std::map<int, std::set<int>> wavesOfType;
    for (int wave = 1; wave <= 50; ++wave) {
        const std::vector<InvasionWave> rows = InvasionWave::rowsOf(wave);
        EXPECT_GE(rows.size(), 1u) << wave;
        EXPECT_LE(rows.size(), 6u) << wave;
        for (const InvasionWave& row : rows) {
            EXPECT_GE(row.type, 0) << wave;
            EXPECT_LE(row.type, 12) << wave;
            EXPECT_LE(0.0f, row.start) << wave;
            EXPECT_LE(row.start, row.end) << wave;
            EXPECT_LE(row.end, 45.0f) << wave;
            EXPECT_GE(row.groups, 1) << wave;
            EXPECT_LE(row.groups, 40) << wave;
            EXPECT_GE(row.perGroup, 1) << wave;
            EXPECT_LE(row.perGroup, 3) << wave;
            wavesOfType[row.type].insert(wave);
            switch (row.type) {
            case EnemySpawner::TYPE_BIPLANE:
            case EnemySpawner::TYPE_P35:
            case EnemySpawner::TYPE_HOT_AIR_BALLOON:
            case EnemySpawner::TYPE_HOT_AIR_BALLOON_BOMB:
            case EnemySpawner::TYPE_KAMIKAZE:
            case EnemySpawner::TYPE_BOMBER:
                EXPECT_TRUE(row.tint == 0 || (row.tint >> 24) == 0xFF) << wave << " type " << row.type;
                break;
            case EnemySpawner::TYPE_ATOM_BOMB:
            case EnemySpawner::TYPE_BALLISTIC:
            case EnemySpawner::TYPE_PROPELLED_BOMB:
                EXPECT_TRUE(row.tint == 0 || row.tint == 255) << wave << " type " << row.type;
                break;
            case EnemySpawner::TYPE_ZEPPELIN:
                EXPECT_EQ(row.tint, zeppelinWave(wave) ? uint32_t(wave / 10 - 1) : 0u) << wave;
                break;
            default:
                EXPECT_EQ(row.tint, 0u) << wave << " type " << row.type;
            }
        }
        if (zeppelinWave(wave)) continue;
        EXPECT_GE(enemiesOf(wave), 20) << wave;
        EXPECT_LE(enemiesOf(wave), 80) << wave;
    }
    // Each decade brings at least as many as the one before.
    int decadeBefore = 0;
    for (int decade = 0; decade < 5; ++decade) {
        int total = 0;
        for (int m = 1; m <= 9; ++m) total += enemiesOf(decade * 10 + m);
        if (decade == 0) {
            EXPECT_EQ(total, 298);
        }
        EXPECT_GE(total, decadeBefore) << "decade " << decade;
        decadeBefore = total;
    }
    // The zeppelin waves: one airship of the next type, the escort gone by 30 s.
    for (int wave : ZEPPELIN_WAVES) {
        int airships = 0;
        for (const InvasionWave& row : InvasionWave::rowsOf(wave)) {
            if (row.type == EnemySpawner::TYPE_ZEPPELIN) {
                ++airships;
                EXPECT_EQ(row.groups * row.perGroup, 1) << wave;
                EXPECT_EQ(row.start, 2.0f) << wave;
                EXPECT_EQ(row.end, 2.1f) << wave;
                EXPECT_EQ(row.tint, uint32_t(wave / 10 - 1)) << wave;
            } else {
                EXPECT_LE(row.end, 30.0f) << wave;
            }
        }
        EXPECT_EQ(airships, 1) << wave;
    }
    // Kamikazes and bombers by wave 15, each in four waves or more; every kind shows up.
    for (int type : {int(EnemySpawner::TYPE_KAMIKAZE), int(EnemySpawner::TYPE_BOMBER)}) {
        ASSERT_FALSE(wavesOfType[type].empty()) << type;
        EXPECT_LE(*wavesOfType[type].begin(), 15) << type;
        EXPECT_GE(wavesOfType[type].size(), 4u) << type;
    }
    for (int type = 0; type < EnemySpawner::TYPE_COUNT; ++type)
        if (type != EnemySpawner::TYPE_CRATE && type != EnemySpawner::TYPE_ZEPPELIN) {
            EXPECT_FALSE(wavesOfType[type].empty()) << type;
        }
}

// Fifty-frames-a-second runs keep the fifty waves quick.
class InvasionWaveRun : public ::testing::TestWithParam<int> {
protected:
    static void SetUpTestSuite() {
        MatchSettings settings;
        settings.frameRate = 0.02;
        harness = new MatchHarness(settings);
    }
    static void TearDownTestSuite() {
        delete harness;
        harness = nullptr;
    }
    static MatchHarness* harness;
};
MatchHarness* InvasionWaveRun::harness = nullptr;

TEST_P(InvasionWaveRun, EndsWithin240SecondsAgainstTheBot) {
    const int wave = GetParam();
    SaveData& saved = harness->app->saveData;
    saved.difficulty = 2;
    saved.players = 0;
    saved.bInGameHelp = 0;
    saved.bUseMouse = 0;
    GameControllerCampaign* match =
        static_cast<GameControllerCampaign*>(harness->start([] { return new GameControllerCampaign(); }));
    AimingCannon* bots[2];
    AimingCannon::install(match, bots);
    match->bBonuses = false;
    match->nextBonusAt = match->nextCrateAt = 1.0e9;
    match->waveNumber = wave - 1;
    double started = -1.0;
    const int limit = int((6.0 + 245.0) / 0.02);
    for (int i = 0; i < limit && harness->matchOnTop(); ++i) {
        PlayerData* data = match->playerData[0];
        for (int p = 0; p < data->numPalms; ++p)
            if (GameObject* palm = data->palms[p].get()) palm->energy = 1.0e9f;
        harness->step();
        if (started < 0.0 && match->waveNumber == wave) started = match->time;
        if (match->waveNumber > wave || match->state == GameControllerCampaign::STATE_CONGRATULATIONS) break;
    }
    ASSERT_GE(started, 0.0);
    const bool ended = match->waveNumber > wave || match->state == GameControllerCampaign::STATE_CONGRATULATIONS;
    EXPECT_TRUE(ended) << "wave " << wave << " still running after " << match->time - started << " s, "
                       << harness->liveLayers()[GameController::LAYER_ENEMIES] << " enemies left";
    EXPECT_LE(match->time - started, 240.0) << wave;
    EXPECT_EQ(match->playerData[0]->numPalmsStanding, match->playerData[0]->numPalms);
    match->bDone = true;
    harness->step();
}

INSTANTIATE_TEST_SUITE_P(Waves, InvasionWaveRun, ::testing::Range(1, 51));
