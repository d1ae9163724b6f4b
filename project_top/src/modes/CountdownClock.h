#pragma once
// The time bar of a balloon-pop round at the bottom of the head-up display:
// a frame with a fill that shrinks with the time left. It counts in game time
// (the current match's scene time scale) and flags the tick that passes each
// of the last five whole seconds.
#include "render/Renderable.h"

class Quad;

class CountdownClock : public Renderable {
public:
    static constexpr int FLAGGED_SECONDS = 5;
    static constexpr float BAR_X = -96.0f; // left end of the 192-wide fill
    static constexpr float BOTTOM_RAISE = 16.0f;

    CountdownClock();
    ~CountdownClock() override;

    // Counts down while running; expired once nothing is left.
    void tick(double time, double dt) override;
    // The frame, then the fill, only while running.
    void render() override;

    // Whether the second flag of whole second k (1..5) is set.
    bool secondPassed(int k) const { return k >= 1 && k <= FLAGGED_SECONDS && secondFlags[k - 1]; }
    // Sets duration and time left, clears expired and the second flags and
    // starts counting.
    void start(float seconds);
    // The scene time scale the clock counts in: the current match's, 1.0
    // without one.
    static double gameTimeScale();

    bool running = false;
    bool expired = false;
    float timeLeft = 1.0f;
    float duration = 1.0f;
    bool secondFlags[FLAGGED_SECONDS] = {};
    Quad* barQuad = nullptr;    // owned
    Renderable* bar = nullptr;  // owned
};
