#pragma once
// A popup in a player's head-up display (a bonus caught, a weapon handed
// out). Created with points, it adds them to the player's score.
#include "render/Renderable.h"
#include "util/Rect.h"
#include "util/UString.h"

class PlayerHUDBonus : public Renderable {
public:
    // An empty detail with points of 1 or more becomes the grouped points.
    PlayerHUDBonus(int player, const UString& caption, const UString& detail, int points);
    ~PlayerHUDBonus() override;

    // Slides in from outside toward the target its display gives it.
    void tick(double time, double dt) override;
    void render() override;
    // Where the tab lies as it is drawn now.
    Rect tabRect() const;

    int32_t player;
    UString caption;
    UString detail;
    int32_t points;
    float progress = 0.0f;
    V3 target{0.0f, 0.0f, 0.0f};

private:
    // The tab's outer end and width, and where its caption starts.
    struct Place {
        float outerEnd, width, textOuter;
    };
    Place place() const;
};
