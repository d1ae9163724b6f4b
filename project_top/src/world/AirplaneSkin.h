#pragma once
// The look of an aircraft: a body picture tinted in the owner's colour, light
// grey markings, a two-frame spinning propeller and a shadow on the water. The
// heading picks one of 49 pictures (0 up, 24 left, 48 down); headings to the
// right show the matching left picture mirrored about the vertical axis.
#include "render/Renderable.h"
#include "render/Skin.h"

class Texture;

class AirplaneSkin : public Skin {
public:
    static constexpr int PICTURES = 49;
    static constexpr double PROPELLER_PERIOD = 0.025;
    static constexpr float SHADOW_Y = -29.0f;
    static constexpr float SHADOW_FADE_HEIGHT = 1000.0f;

    // The biplane's pictures.
    AirplaneSkin();
    ~AirplaneSkin() override;

    // Swaps the body and markings pictures (resource names).
    void setPictures(const char* bodyName, const char* markingsName);
    // Draws shadow, propeller, body and markings for the owner.
    void draw(Renderable* owner) override;

    // The picture for a heading and whether it is mirrored.
    static int pictureFor(float heading, bool* mirrored);
    // The shadow's x and y scale for an owner at height y.
    static void shadowScale(float y, float* sx, float* sy);

    float heading = 0.0f;
    bool bBodyOnly = false;
    bool bShadow = true;
    Renderable body;
    Renderable propeller;
    Renderable markings;
    Renderable shadow;
    int32_t propellerFrame = 0;
    double nextPropellerSwap = 0.0;
    Texture* bodyPictures = nullptr;     // not owned
    Texture* markingsPictures = nullptr; // not owned
    Texture* propellerPictures = nullptr; // not owned
};
