#pragma once
// The computer pilot that attacks the opponent's palms: every frame it scores
// a standing palm, the most dangerous enemy shell and the nearest bonus
// balloon, dodges or pulls out of a dive that would reach the sea, picks a
// waypoint and sets the same input flags a human would. Its targets are weak
// references: a balloon or shell may be deleted by others while it is kept.
#include "core/Reference.h"
#include "world/Airplane.h"

class AirplaneComputerControl : public Airplane {
public:
    enum AiState { AI_CRUISE = 1, AI_ATTACK = 2, AI_BONUS = 3 };
    static constexpr float REACHED = 64.0f;        // a waypoint this close is reached
    static constexpr float PALM_RAISE = 32.0f;     // attack run over the palm's centre
    static constexpr float SEA_PULL_RAISE = 16.0f; // a waypoint below a diving plane moves up to this
    static constexpr int DEBUG_LINE_STEP = 20;
    static constexpr int DEBUG_PLAYER_OFFSET = 100; // player 1's lines below player 0's

    explicit AirplaneComputerControl(int owner);
    ~AirplaneComputerControl() override;

    void readControls() override;
    // The plane, then the goal scores while the match's AI debug flag is set.
    void render() override;

    // A random standing palm of the opponent (score 0.5).
    void findPalmTarget();
    // The enemy shot of a layer most likely to hit where the plane will be.
    void scanThreats(int layerIndex);
    // The nearest balloon.
    void scanBonuses();
    // Whether the current dive reaches the sea before the plane can pull out.
    void checkSea();
    // Over a palm (attack run), or up and onward from the plane.
    void pickWaypoint();

    GameObject* target;       // always the waypoint
    GameObject waypoint{-1};  // invisible; only its position counts
    StateBase aiState;
    double nextFireTime = 0.0; // 0: no shot due, only a new time is drawn
    Reference<GameObject> palmTarget{this};
    float palmScore = 0.0f;
    Reference<GameObject> threat{this};
    float threatScore = 0.0f;
    int32_t dodgeDirection = 0;
    float seaScore = 0.0f;
    int32_t seaTurn = 0;
    Reference<GameObject> bonusTarget{this};
    float bonusScore = 0.0f;

protected:
    // Context time and delta time of the frame being ticked.
    static double now();
    static double frameTime();
    float distanceToTarget() const;
    // The dodge, bonus and sea overrides of the turn flags, given the best score.
    void applyOverrides(float best);
    // Both fire flags.
    void pullTrigger() { bFirePressed = bFireHeld = true; }
    // The debug lines: the first names the kind of attack.
    void drawDebug(const char* firstFormat, float firstScore);
};

// 1 up to a, falling linearly to 0 at a + b (NaN gives 0).
float pilotFalloff(float d, float a, float b);
