#pragma once
// One loaded match harness for a whole test program; each test starts its own
// match and the fixture takes it off the screen stack afterwards.
#include "app/ContextManager.h"
#include "files/FileManager.h"
#include "MatchHarness.h"
#include "util/PlimUtil.h"
#include "app/SaveData.h"
#include "modes/GameController.h"
#include "modes/PlayerData.h"
#include "world/Vehicle.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <vector>

class MatchTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { harness = new MatchHarness(); }
    // For a suite whose delays are whole numbers of frames of that length.
    static void startHarness(double frameRate, bool fullScreen = false) {
        MatchSettings settings;
        settings.frameRate = frameRate;
        settings.fullScreen = fullScreen;
        harness = new MatchHarness(settings);
    }
    static void TearDownTestSuite() {
        delete harness;
        harness = nullptr;
    }
    void TearDown() override {
        if (harness->matchOnTop()) {
            harness->controller->bDone = true;
            harness->step();
        }
    }

    // Takes every screen off: the match and whatever its end opened.
    static void clearStack() {
        harness->markEveryScreenDone();
        harness->step();
        harness->controller = nullptr;
    }
    static Context* top() { return harness->app->contextManager->getTop(); }
    static SaveData& saved() { return harness->app->saveData; }
    // A row of a table as the ".hst" file holds it now.
    static HighScoreEntry storedEntry(int table, int row) {
        std::vector<char> block(SaveData::SIZE);
        HighScoreEntry entry = {};
        if (!FileManager::loadProtectedData(SaveData::getFolder(), SaveData::getFileName(), PLIM_VERSION_STRING,
                                            block.data(), SaveData::SIZE))
            return entry;
        const size_t at =
            offsetof(SaveDataBlock, highScores) + sizeof(HighScoreEntry) * (table * SaveData::TABLE_ENTRIES + row);
        memcpy(&entry, block.data() + at, sizeof(entry));
        return entry;
    }

    // A match of type T, built with its fields set by prepare before onEnter.
    template <class T = GameController> T* start(const std::function<void(T&)>& prepare = nullptr) {
        return static_cast<T*>(harness->start([&]() -> GameController* {
            T* match = new T();
            if (prepare) prepare(*match);
            return match;
        }));
    }
    // A plain vehicle for the player, in the airplane layer and the player's record.
    static Vehicle* giveVehicle(GameController* match, int player) {
        Vehicle* v = new Vehicle(player);
        match->layer(GameController::LAYER_AIRPLANES)->addChild(v);
        match->playerData[player]->pVehicle.set(v);
        return v;
    }

    static MatchHarness* harness;
};

MatchHarness* MatchTest::harness = nullptr;
