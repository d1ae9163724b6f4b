#pragma once
// The invasion: one island with a row of palms, one cannon per player (one
// or two side by side), fifty waves of enemies released by spawners. Between
// waves the palms heal; during a wave bonus balloons and weapon crates drop
// in. Lost when the last palm falls, won when every wave is cleared.
#include "GameController.h"

class ContextGameHelp;

class GameControllerCampaign : public GameController {
public:
    enum State {
        STATE_INTRO = 1,
        STATE_GET_READY = 2,
        STATE_NEXT_WAVE = 3,
        STATE_WAVE = 4,
        STATE_CONGRATULATIONS = 6,
        STATE_WON = 7,
        STATE_GAME_OVER = 8,
        STATE_FADE = 9,
        STATE_END = 10
    };
    // The hint pages.
    enum Page { PAGE_MOUSE, PAGE_INVASION, PAGE_TREE, PAGE_ENERGY, PAGE_WEAPONS, PAGE_BONUS };
    static constexpr int WAVE_COUNT = 50;
    static constexpr double MESSAGE_TIME = 3.0;
    static constexpr double WAVE_END_DELAY = 2.0;
    static constexpr double GAME_OVER_DELAY = 1.0;
    static constexpr double WON_DELAY = 1.0; // after the last wave
    static constexpr double BALLOON_LIFETIME = 90.0;

    GameControllerCampaign();
    ~GameControllerCampaign() override;

    void onEnter() override;
    // Ratings and sounds, then the end scene.
    void endGame() override;
    void updateRules() override;
    void checkCollisions() override;
    void computeRating() override;
    void onStateChange() override;

    // Blends the scene camera toward the side a wave comes from (-1, 0, +1),
    // twice as far out when wide.
    void focusCamera(int side, bool wide);
    // The spawners of waveNumber; palms heal, bonuses end.
    void spawnWave();
    // The side (-1, 0, +1) and width of the view for a wave.
    static int sideOf(int wave);
    static bool wideOf(int wave);
    // The rating of a score: min(1, score / pointsTotal * difficulty and
    // wave factors), single precision.
    static float ratingOf(int score, int pointsTotal, int difficulty, int wave, int waveCount);
    // A hint page as the mode shows it (not pushed).
    static ContextGameHelp* createPage(Page page);

    PlimBase* spawners = nullptr; // first child of the scene
    int32_t waveNumber = 0;
    int32_t waveCount = WAVE_COUNT;
    double nextBonusAt = 0.0;
    double nextCrateAt = 0.0;
    bool bEnergyHintShown = false;
    bool bWeaponHintShown = false;
    bool bBonusHintShown = false;
    bool bTreeHintShown = false;
    int32_t difficulty = 0; // the saved difficulty at the start

private:
    double nextCrateTime() const;
    void spawnBonus();
    void spawnCrate();
    void pushPage(Page page);
    bool helpOn() const;
};
