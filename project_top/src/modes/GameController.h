#pragma once
// The screen of a running match and the base of every game mode and of the
// end and title scenes. It owns the scene (backdrop, fourteen layers of world
// objects, both player records) and the head-up display (both players'
// displays and the message line), keeps the match-wide settings the world
// reads through MyGlobal::currentController, runs the slow motion, and once
// per rendered frame, after drawing, the mode's collision pass and rules.
#include "core/Context.h"

class Background;
class Cannon;
class ContextBlender;
class Messenger;
class PlayerData;
class PlayerHUD;
class Renderable;
class Vehicle;
class Weapon;

class GameController : public Context {
public:
    // Object layers of the scene, in drawing order.
    enum Layer {
        LAYER_ISLANDS = 0,
        LAYER_PALMS,
        LAYER_SMOKE,
        LAYER_CANNON_BALLS,
        LAYER_SHOTS,
        LAYER_CANNONS,
        LAYER_BEAMS,
        LAYER_BOMBS,
        LAYER_BULLETS,
        LAYER_ENEMY_PROJECTILES,
        LAYER_BALLOONS,
        LAYER_AIRPLANES,
        LAYER_ENEMIES,
        LAYER_FIREWORKS,
        LAYER_COUNT
    };
    // High-score tables (gameType).
    enum GameType {
        GAMETYPE_DUEL = 0,
        GAMETYPE_INVASION = 1,
        GAMETYPE_CHALLENGE = 2,
        GAMETYPE_BALLOON_POP = 3,
        GAMETYPE_FFA = 4,
        GAMETYPE_NONE = 5
    };
    static constexpr int PLAYERS = 2;
    static constexpr int WEAPON_COUNT = 6;
    static constexpr double NEVER = 1000000.0; // bonus time with bonuses off
    static constexpr double BULLET_TIME = 2.0;  // slow motion after a shot
    static constexpr double BULLET_TIME_RAMP = 1.75;
    static constexpr double BULLET_TIME_SCALE = 0.25;
    static constexpr double BERSERK_SPEED = 2.0;
    static constexpr float RATING_KEPT = 0.9f;
    static constexpr float CANNON_SPACING = 32.0f; // two cannons share one island

    GameController();
    ~GameController() override;

    // The match being played; null outside one.
    static GameController* current();
    // A player's record / vehicle of the current match; null when there is
    // no match (or no vehicle, or the index is not a player's).
    static PlayerData* currentPlayer(int player);
    static Vehicle* currentVehicle(int player);

    void onDeactivate(bool removed) override;
    // The Pause key pushes the pause page, which stops the match's clock.
    void tickContents(double time, double dt) override;
    // Draws, then collisions and rules, but only after a tick: a page that
    // draws the frozen match underneath runs no rules.
    void renderContents() override;

    virtual void onEnter();
    virtual void endGame();
    virtual void updateRules() {}
    virtual void checkCollisions() {}
    virtual void computeRating() {}
    virtual void onPlayerDie(int player) {}
    virtual void onAllPalmsDead(int player) {}

    // Hands the player's vehicle a new weapon; fatal for an unknown index.
    void switchWeapon(int player, int weapon, bool silent);
    // Controller time of the next bonus balloon.
    double nextBonusTime();
    // One random bonus balloon (no sabotage kinds unless bSabotageBonuses)
    // into the balloon layer; its points join pointsTotal.
    void spawnBalloon(float x, float y, float z, double lifetime, bool burst);
    void shakeCamera(double amplitude, double duration);
    // The scene's time scale for the slow motion at engine time now.
    double bulletTimeScale(double now) const;
    // Copies the six saved mutator options (the modes' constructors call it).
    void takeMutatorOptions();

    PlimBase* layer(int index) const { return layers[index]; }

    Context* hud = nullptr;            // child
    ContextBlender* scene = nullptr;   // child
    PlayerHUD* playerHud[PLAYERS] = {};   // children of hud
    PlayerData* playerData[PLAYERS] = {}; // children of scene
    Background* background = nullptr;     // child of scene
    PlimBase* layers[LAYER_COUNT] = {};   // children of scene
    Messenger* messenger = nullptr;       // child of hud
    int32_t playerCount = 2;
    int32_t computerPlayers = 0;
    bool bBonuses = true;
    bool bSabotageBonuses = true;
    bool bLimitBombRange = true;
    int32_t bonusFrequency = 1;
    int32_t palmCount = 1;
    float aiSkill = 0.0f;
    int32_t winner = 0;
    double bulletTimeEnd = 0.0;
    int32_t gameType = GAMETYPE_NONE;
    int32_t pointsTotal = 1;
    bool bMatrixFight = false;
    bool bBerserkMode = false;
    bool bNoBlaster = false;
    bool bBloatedProjectiles = false;
    bool bBouncyBombs = false;
    bool bAutocannons = false;
    bool bP35Planes = false;
    double gameSpeed = 1.0;
    float aiOffensive = 1.0f;
    float aiDefensive = 1.0f;
    float aiBonus = 1.0f;
    bool bAiDebug = false;

protected:
    // The island picture standing at x as the player's island, with its palms.
    Renderable* addIsland(int player, float x, int palms, bool sharedDamage);
    // The player's cannon on the one island (side by side when two play),
    // armed with weapon, as the player's vehicle.
    Cannon* addIslandCannon(int player, Weapon* weapon);
    // High above the islands: where the opening blends down from.
    void placeOpeningView();
    // The fader starts closed and opens.
    void fadeIn();
    // The fader closes (1) or opens (0) from where it stands.
    void fadeTo(float target);
    // The fader closes; the state next follows after seconds.
    void fadeOutTo(int next, double seconds);
    // The closing tail of a mode's states, for its switch's default: at
    // fadeState the fader closes and endState follows after fadeTime; at
    // endState the match ends.
    void runClosingStates(int fadeState, int endState, double fadeTime);
    // endGame, then the end scene takes over from the finished match.
    void endWithEndScene();

private:
    // Tells the recorder of a state change since the last look.
    void reportState();

    bool bTickedSinceRender = false;
    int32_t reportedState = 0;
};
