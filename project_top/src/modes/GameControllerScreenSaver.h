#pragma once
// The fireworks show: one island with its palms, slow camera drives that
// change every 7 s, and bursts of fireworks launched from the island. No
// players, no scores; a click or either player's fire key ends it, though not
// in the first 5 s.
#include "GameController.h"

#include <cstdint>

class GameControllerScreenSaver : public GameController {
public:
    enum State { STATE_SHOW = 0, STATE_DRIVE = 1, STATE_DONE = 2 };
    static constexpr int PALMS = 3;
    static constexpr double FIRST_LAUNCH = 3.0;
    static constexpr double FIRST_DRIVE = 5.0; // input is ignored until then
    static constexpr double DRIVE_TIME = 7.0;
    static constexpr double DRIVE_BLEND = 20.0;
    static constexpr double CLOSE_TIME = 2.0;
    static constexpr float LAUNCH_HEIGHT = 32.0f;
    static constexpr double RAPID_GAP = 0.01;
    static constexpr double SHORT_PAUSE = 0.5;
    static constexpr double FUSE_MIN = 1.0;
    static constexpr double FUSE_MAX = 2.0;
    static constexpr int BURST_PER_DETAIL = 7; // bursts of up to 7 (detail 0) or 14 (detail 1)

    GameControllerScreenSaver();
    ~GameControllerScreenSaver() override;

    // The island and its palms, the opening view and fade; no music change.
    void onEnter() override;
    // Fireworks, and the exit on a press once the drives have begun.
    void updateRules() override;
    void onStateChange() override;

    double nextLaunchTime = 0.0;
    int32_t shotsLeft = 0;
    bool bRapidBurst = false;
    bool bShortPause = false;

private:
    void launch();
    void newDrive();
    bool exitPressed() const;
};
