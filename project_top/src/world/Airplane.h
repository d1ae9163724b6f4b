#pragma once
// A player's aircraft: constant speed along the heading, speed and turn under
// the player's (or a computer pilot's) control, three life states (flying,
// shot down, gone), the crash into the sea, an engine sound whose pitch
// follows the speed, and two models: the biplane and the faster P35.
#include "Vehicle.h"

class AirplaneSkin;
class SoundChannel;

class Airplane : public Vehicle {
public:
    enum State { STATE_FLYING = 1, STATE_SHOT_DOWN = 2, STATE_GONE = 3 };
    enum Model { MODEL_BIPLANE = 0, MODEL_P35 = 1 };
    static constexpr int POINTS = 1500;
    static constexpr int CRASH_PENALTY = 1000;
    static constexpr float MIN_SPEED = 75.0f;
    static constexpr float MAX_SPEED = 250.0f;
    static constexpr float P35_MAX_SPEED = 350.0f;
    static constexpr float SPEED_CHANGE_RATE = 250.0f;
    static constexpr float FALL_GRAVITY = 64.0f;
    static constexpr double SMOKE_INTERVAL_LOW = 0.045; // detail 0
    static constexpr double SMOKE_INTERVAL = 0.015;
    static constexpr double SMOKE_DARKEN_TIME = 3.0; // white to black over the fall's first seconds

    explicit Airplane(int owner);
    // Stops and deletes the engine channel.
    ~Airplane() override;

    // Pictures and limits of a model; other numbers change nothing.
    void setModel(int model);

    void tick(double time, double dt) override;
    // Nothing once gone.
    void render() override;
    // Flying planes start to fall; a falling one ignores it.
    void onDestroyed(GameObject* by) override;
    void onHit(GameObject* by, float amount) override;
    bool isActive() override { return state != STATE_GONE; }
    // A half-size dark silhouette of the body at the point.
    void drawFinder(V3 point) override;
    void onStateChange() override;

    // The engine's pitch factor at a speed: 1.0 at minSpeed, 1.5 at the
    // biplane's top speed.
    float enginePitch(float flyingSpeed) const;

    double smokeTimer = 0.0;
    double smokeInterval;
    float shotSpeedFactor = 1.2f;
    SoundChannel* engineSound; // owned
    AirplaneSkin* skin;        // owned through pSkin

private:
    // A puff (and, with detail, sparks) at the wreck's place.
    void smoke(const V3& at);
    void crash(V3& at);
    void replaceEngineSound(const char* name);
};
