#pragma once
// The scene after every match: the players' islands under fireworks, "cease
// fire!", "and the winner is...", the winner's rating counted up on a bar to
// a drum roll, and a human winner's high-score entry with the place reached.
// The finished mode stays beneath it and is read for the result. A click
// fades it out; on removal it opens the high-score table of its gameType.
//
// A mode ends with: endGame(), bDone, then
//   ContextEnding* ending = new ContextEnding();
//   ending->gameType = gameType;
//   gGlobal->contextManager->push(ending);
#include "util/UString.h"
#include "GameController.h"
#include "RatingLayer.h"

class Quad;
class Renderable;
class SoundChannel;

class ContextEnding : public GameController {
public:
    enum State {
        STATE_CEASE_FIRE = 1,
        STATE_WINNER = 2,
        STATE_RATING = 3,
        STATE_PERCENT = 4,
        STATE_PLACE = 5,
        STATE_CLICK = 6,
        STATE_CLOSE = 7
    };
    static constexpr double FIRST_FIREWORK = 9.0;
    static constexpr double BAR_DELAY = 1.0;   // before the bar starts
    static constexpr double BAR_SPEED = 0.25;  // of its length per second
    static constexpr double FADE_OUT = 2.0;
    static constexpr float BAR_X = -96.0f;

    ContextEnding();
    ~ContextEnding() override;

    // The first activation takes over from the finished mode (state 1).
    void onActivate(bool firstTime) override;
    // When removed: the mode is current again and the high-score table of
    // gameType opens (the chooser for GAMETYPE_NONE).
    void onDeactivate(bool removed) override;
    // Fireworks, the bar, and the clicks of states 5 and 6.
    void updateRules() override;
    void onStateChange() override;

    // "first place" .. "tenth place"; empty outside 0..9.
    static const char* placeName(int rank);
    // The name a winner enters the table under: player 2's is cut to 13
    // characters with "-2" appended.
    static UString entryName(const UString& profileName, int player);

    GameController* previous = nullptr; // the finished mode (not owned)
    double nextFireworkTime = 0.0;
    int32_t fireworksLeft = 0;
    RatingLayer* ratingLayer = nullptr; // child of hud
    Quad* barQuad = nullptr;            // owned
    Renderable* bar = nullptr;          // owned until it joins the rating layer
    SoundChannel* drumRoll = nullptr;   // owned
    int32_t highScoreRank = -1;
    Renderable* islands[PLAYERS] = {};  // children of the islands layer
    int32_t winnerIndex = 0;

private:
    void launchFirework();
    void updateBar();
    void enterHighScore();
    bool clicked() const;
    // The finished mode, or this scene's defaults without one.
    GameController* result();
    Renderable* winnerIsland() const;
};
