#include "PlayerHUD.h"

#include "render/Camera.h"
#include "ContextBlender.h"
#include "FontQuad.h"
#include "app/Formatters.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "render/Quad.h"
#include "core/ResourceManager.h"
#include "render/Skin.h"
#include "app/MyGlobal.h"
#include "app/SubImage.h"
#include "GameController.h"
#include "PlayerData.h"
#include "PlayerHUDBonus.h"
#include "world/Vehicle.h"
#include "util/PlimMath.h"

#include <algorithm>
#include <cmath>

namespace {

const UColor GREEN(0, 255, 0, 255);
const UColor YELLOW(255, 255, 0, 255);
const UColor RED(255, 0, 0, 255);
const float SLIDE_OUT = 128.0f;
const float SLIDE_IN = -96.0f;
const float TRAY_STEP = 24.0f;

int halfWidth() { return Camera::fovWidth() / 2; }
int halfHeight() { return Camera::fovHeight() / 2; }

Skin* ovalButton(int index) { return SubImage::skin(SubImage::OVAL_BUTTONS, index); }

float easeOut(float from, float to, float t) {
    if (t < 0.0f) t = 0.0f;
    if (t > 1.0f) t = 1.0f;
    return from + (to - from) * (1.0f - (1.0f - t) * (1.0f - t));
}

// One picture drawn for this frame only.
void drawSkin(Skin* skin, V3 position, V3 rotation, UColor colour) {
    Renderable picture;
    picture.color = colour;
    picture.setup(skin, &position, &rotation, nullptr);
    picture.render();
}

} // namespace

PlayerHUD::PlayerHUD(int player) : player(player) {
    pSkin = ovalButton(SubImage::OVAL_TRAY);
    rotation = V3(0.0f, float(player) * PI, 0.0f);
    const float s = float(2 * player - 1);
    position = V3(s * (float(halfWidth()) + SLIDE_OUT), float(halfHeight()), 0.0f);
    updateVisuals();
}

PlayerHUD::~PlayerHUD() {}

Vehicle* PlayerHUD::vehicle() const { return GameController::currentVehicle(player); }

float PlayerHUD::trayWidth(int icons) {
    if (icons > TRAY_ICONS) icons = TRAY_ICONS;
    return icons > 0 ? TRAY_STEP * float(icons) + TRAY_STEP : 0.0f;
}

void PlayerHUD::tick(double time, double dt) {
    const float s = float(2 * player - 1);
    const float w2 = float(halfWidth());
    const float h2 = float(halfHeight());

    slide += bHidden ? -float(dt) : float(dt);
    if (slide < 0.0f) slide = 0.0f;
    if (slide > 1.0f) slide = 1.0f;
    position = V3(easeOut(s * (w2 + SLIDE_OUT), s * (w2 + SLIDE_IN), slide), h2, 0.0f);
    updateVisuals();

    scoreProgress = std::min(1.0f, scoreProgress + 2.0f * float(dt));
    if (PlayerData* data = GameController::currentPlayer(player)) {
        if (scoreTarget != data->score) {
            scoreFrom = displayedScore;
            scoreProgress = 0.0f;
            scoreTarget = data->score;
        }
    }
    const float rolled = 1.0f - (1.0f - scoreProgress) * (1.0f - scoreProgress);
    displayedScore = int(float(scoreFrom) + float(scoreTarget - scoreFrom) * rolled);

    trayProgress = std::min(1.0f, trayProgress + float(dt));
    trayOffset = easeOut(trayFrom, trayTo, trayProgress);

    if (firstChild) {
        popupTimer += dt;
        if (popupTimer > POPUP_SECONDS) {
            popupScroll += 20.0f * float(dt);
            if (popupScroll >= 0.0f) {
                BasicLink* first = firstChild;
                removeChild(first);
                first->deleteMe();
                popupScroll = -20.0f;
                popupTimer = 0.0;
            }
        }
    }

    float y = (position.y - 2.0f) + (popupScroll - 20.0f);
    int placed = 0;
    for (BasicLink* link = firstChild; link && placed < VISIBLE_POPUPS; link = link->next) {
        if (!BasicLink::isLive(link)) continue;
        PlayerHUDBonus* popup = static_cast<PlayerHUDBonus*>(link);
        popup->target = V3(position.x + 128.0f * float(player) - 64.0f, y, 0.0f);
        popup->tick(time, dt);
        y -= 20.0f;
        ++placed;
    }
}

void PlayerHUD::showCaption(const UString& caption) {
    int seen = 0;
    for (BasicLink* link = firstChild; link && seen < VISIBLE_POPUPS; link = link->next) {
        if (!BasicLink::isLive(link)) continue;
        const PlayerHUDBonus* popup = static_cast<PlayerHUDBonus*>(link);
        if (popup->caption == caption && popup->points == 0) return;
        ++seen;
    }
    addChild(new PlayerHUDBonus(player, caption, UString(), 0));
}

void PlayerHUD::render() {
    Vehicle* v = vehicle();
    const bool active = v && v->isActive();
    if (active && v->bMouseControl) drawMouseArrow(v);
    if (bShowFinder && active && !v->bVisible) drawFinder(v);

    int drawn = 0;
    for (BasicLink* link = firstChild; link && drawn < VISIBLE_POPUPS; link = link->next) {
        if (!BasicLink::isLive(link)) continue;
        static_cast<PlimBase*>(link)->render();
        ++drawn;
    }

    Renderable::render();

    if (FontQuad* font = gGlobal->fontHUD) {
        const UString score = Formatters::formatGroupedInteger(displayedScore);
        // A text's width counts the last glyph's spacing, which the outlined
        // digits' negative spacing turns into an overhang past a right end.
        const float overhang = float(std::max(0, -font->defaultSpacing));
        if (player == 0)
            font->printAt(position.x - 94.0f, position.y, 0.0f, UColor::WHITE, PRINT_LEFT | PRINT_WHOLE, score);
        else
            font->printAt(position.x + 94.0f - overhang, position.y, 0.0f, UColor::WHITE, PRINT_RIGHT | PRINT_WHOLE, score);
    }

    if (!v) return;
    drawBars(v);
    drawTray(v);
}

void PlayerHUD::drawMouseArrow(Vehicle* v) {
    const Context* context = PLIM->currentContext;
    const V3 at = context ? context->mouseWorld : V3(0.0f, 0.0f, 0.0f);
    drawSkin(SubImage::skin("mouseArrow", 0), V3(at.x, at.y, 0.0f), V3(0.0f, 0.0f, v->mouseHeading), UColor::WHITE);
}

void PlayerHUD::drawFinder(Vehicle* v) {
    GameController* game = GameController::current();
    if (!game || !game->scene->camera) return;
    const V3 eye = game->scene->camera->position;
    const float a = std::atan2(eye.y - v->position.y, eye.x - v->position.x) + PI;
    const V3 point(FINDER_HALF_WIDTH * std::cos(a), FINDER_HALF_HEIGHT * std::sin(a), 0.0f);
    drawSkin(ovalButton(SubImage::OVAL_FINDER), point, V3(0.0f, 0.0f, a), UColor::WHITE);
    v->drawFinder(point);
}

UColor PlayerHUD::healthStatus(const Vehicle* v, const Vehicle* other) {
    if (v->damageTakenFactor != 1.0f) return YELLOW;
    if (other && other->damageDealtFactor != 1.0f) return RED;
    return GREEN;
}

UColor PlayerHUD::blasterStatus(const Vehicle* v) {
    if (v->maxBlasterEnergy > 1.0f) return YELLOW;
    if (v->maxBlasterEnergy < 1.0f) return RED;
    return GREEN;
}

void PlayerHUD::drawBars(Vehicle* v) {
    const Context* context = PLIM->currentContext;
    const double clock = context ? context->time : 0.0;
    const float pulse = float(0.5 + 0.5 * std::sin(8.0 * clock));

    const UColor health = healthStatus(v, GameController::currentVehicle(1 - player));
    const UColor blaster = blasterStatus(v);

    struct Bar {
        int source;
        float fraction;
        float dy;
        UColor status;
    };
    const Bar bars[] = {
        {SubImage::ENERGY_HEALTH, v->energy / v->maxEnergy, -9.0f, health},
        {SubImage::ENERGY_BLASTER, v->blasterEnergy / v->maxBlasterEnergy, -22.0f, blaster},
    };
    for (const Bar& bar : bars) {
        Quad* source = static_cast<Quad*>(SubImage::skin(SubImage::ENERGY_BAR, bar.source));
        Quad cut;
        cut.pTexture = source->pTexture;
        MyGlobal::setProgressSkin(&cut, source, bar.fraction);
        const V3 at(position.x + 30.0f - 60.0f * float(player), position.y + bar.dy, 0.0f);
        drawSkin(&cut, at, V3(rotation.x, float(player) * PI, rotation.z), UColor(GREEN, bar.status, pulse));
    }
}

float PlayerHUD::trayX() const {
    const float s = float(2 * player - 1);
    return s * (float(halfWidth()) + SLIDE_OUT) - s * trayOffset;
}

Rect PlayerHUD::trayRect() const {
    const Skin* tray = pSkin;
    const float x = trayX(), y = -float(halfHeight());
    return Rect(x - 0.5f * tray->width, y + 0.5f * tray->height, x + 0.5f * tray->width, y - 0.5f * tray->height);
}

void PlayerHUD::drawTray(Vehicle* v) {
    const float s = float(2 * player - 1);
    const float h2 = float(halfHeight());
    const float trayX = this->trayX();
    drawSkin(ovalButton(SubImage::OVAL_TRAY), V3(trayX, -h2, 0.0f), V3(0.0f, 0.0f, 0.0f), UColor::WHITE);

    int icons = 0;
    for (BasicLink* link = v->bonusMarkers.firstChild; link; link = link->next) {
        if (!BasicLink::isLive(link)) continue;
        Renderable* icon = static_cast<Renderable*>(link);
        icon->position = V3(trayX + s * (-96.0f + TRAY_STEP * float(icons)), -h2 + 16.0f, 0.0f);
        icon->updateVisuals();
        icon->render();
        ++icons;
    }

    const int shown = std::min(icons, int(TRAY_ICONS));
    if (shown != trayCount) {
        trayTo = trayWidth(shown);
        trayProgress = 0.0f;
        trayFrom = trayOffset;
        trayCount = shown;
    }
}
