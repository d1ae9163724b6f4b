#pragma once
// A player's head-up display in a top corner: a badge that slides in, the
// rolling score, health and blaster bars, the tray of held bonuses, popups,
// and markers for an off-screen vehicle and the mouse heading. Its popups
// (PlayerHUDBonus) are its children; it ticks and draws the first five.
#include "render/Renderable.h"
#include "util/Rect.h"
#include "util/UString.h"

class Vehicle;

class PlayerHUD : public Renderable {
public:
    static constexpr int VISIBLE_POPUPS = 5;
    static constexpr int TRAY_ICONS = 8;
    static constexpr double POPUP_SECONDS = 3.0;
    static constexpr float FINDER_HALF_WIDTH = 272.0f;
    static constexpr float FINDER_HALF_HEIGHT = 192.0f;
    // Print flags of the fonts.
    static constexpr int PRINT_LEFT = 2;
    static constexpr int PRINT_RIGHT = 8;
    static constexpr int PRINT_WHOLE = 0x80;

    explicit PlayerHUD(int player);
    ~PlayerHUD() override;

    void tick(double time, double dt) override;
    void render() override;

    // Status colours of the bars (green when normal): health turns yellow
    // under the player's protection, red under the opponent's double damage;
    // the blaster yellow with more capacity, red with less.
    static UColor healthStatus(const Vehicle* v, const Vehicle* other);
    static UColor blasterStatus(const Vehicle* v);
    // A popup of the caption, unless one of it is already among the visible
    // popups (two of the same bonus show as one).
    void showCaption(const UString& caption);
    // Width of the tray for a number of bonus icons.
    static float trayWidth(int icons);
    // Where the tray's picture lies now (its outer part beyond the screen edge).
    Rect trayRect() const;

    float slide = 0.0f;
    float scoreProgress = 1.0f;
    bool bHidden = true; // hides Renderable's flag: slides the display out
    int32_t player;
    float popupScroll = -20.0f;
    double popupTimer = 0.0;
    int32_t displayedScore = 0;
    int32_t scoreFrom = 0;
    int32_t scoreTarget = 0;
    bool bShowFinder = true;
    float trayProgress = 0.0f;
    float trayFrom = 0.0f;
    float trayTo = 0.0f;
    float trayOffset = 0.0f;
    int32_t trayCount = 0;

private:
    Vehicle* vehicle() const;
    float trayX() const;
    void drawMouseArrow(Vehicle* v);
    void drawFinder(Vehicle* v);
    void drawBars(Vehicle* v);
    void drawTray(Vehicle* v);
};
