#pragma once
// The intro played once above the main menu after start-up: a camera sweep
// over a lone island with one palm, the logo fading in and out, the story in
// the message line, a bomb whistling down onto the palm, and a fade to the
// menu after 32 seconds. Escape, a fire key or a click skips it.
#include "GameController.h"

class Renderable;
class RenderableText;

class ContextLogo : public GameController {
public:
    static constexpr double DURATION = 32.0;
    static constexpr double BOMB_TIME = 19.0;
    static constexpr float BOMB_SPEED = 256.0f;
    static constexpr float BOMB_GRAVITY = 128.0f;
    static constexpr float HIDDEN_X = 16000.0f; // far outside the view
    // Where the pointer goes on removal: this far in from the top right.
    static constexpr float POINTER_INSET_X = 48.0f;
    static constexpr float POINTER_INSET_Y = 32.0f;

    ContextLogo();
    ~ContextLogo() override;

    // Builds the set on the first activation only: a return from the pause
    // page finds it standing.
    void onActivate(bool firstTime) override;
    // When removed: the menu music, and the pointer to the top right.
    void onDeactivate(bool removed) override;
    // The logo and the timed story events.
    void updateRules() override;
    // Bombs against standing palms.
    void checkCollisions() override;

    // Where the bomb starts so that it falls onto a palm at (x, y) from
    // dropHeight above: x back by the distance flown while falling.
    static V3 bombStart(float x, float y, float dropHeight);

    Renderable* logo = nullptr;         // child of hud
    RenderableText* subtitle = nullptr; // child of hud, placed with the logo
    bool bSetBuilt = false;
    // The scene time the story last ran at: an event runs once, in the first
    // frame at or past its time, however many ticks that frame took.
    double storyTime = -1.0;

private:
    void buildSet();
    void dropBomb();
    void runEvent(int kind, const char* text, double seconds);
    // The scene time has passed at since the story last ran.
    bool reached(double at) const;
};
