#include "PlayerHUDBonus.h"

#include "FontQuad.h"
#include "Formatters.h"
#include "Global.h"
#include "Plim.h"
#include "ResourceManager.h"
#include "Skin.h"
#include "StretchSkin.h"
#include "modes/GameController.h"
#include "modes/PlayerData.h"
#include "modes/PlayerHUD.h"

#include <algorithm>

namespace {

const UColor CAPTION_COLOUR(192, 192, 192, 255);
const float SLIDE_DISTANCE = 192.0f;
// The tab picture's width, and where its caption starts from its centre; the
// stars at its ends stay whole when it stretches.
const float TAB_WIDTH = 128.0f;
const float CAPTION_INSET = 28.0f;
const int TAB_END = 24;

} // namespace

PlayerHUDBonus::PlayerHUDBonus(int player, const UString& caption, const UString& detail, int points)
    : player(player), caption(caption), detail(detail), points(points) {
    StretchSkin* tab = new StretchSkin(static_cast<Skin*>(PLIM->resourceManager->find("ovalButtons:3", true)));
    tab->setBorders(TAB_END, 0, 0, TAB_END);
    pSkin = tab;
    bOwnsSkin = true;
    position = V3(0.0f, -10000.0f, 0.0f);
    updateVisuals();
    if (this->detail.isEmpty() && points >= 1) this->detail = Formatters::formatGroupedInteger(points);
    if (PlayerData* data = GameController::currentPlayer(player)) data->addScore(points);
}

PlayerHUDBonus::~PlayerHUDBonus() {}

void PlayerHUDBonus::tick(double, double dt) {
    progress += float(dt);
    if (progress > 1.0f) progress = 1.0f;
    const V3 from(target.x + 2.0f * SLIDE_DISTANCE * float(player) - SLIDE_DISTANCE, target.y, target.z);
    interpolate(position, from, target, progress, INTERPOLATE_QUAD_OUT);
    updateVisuals();
}

void PlayerHUDBonus::render() {
    FontQuad* font = gGlobal ? gGlobal->fontSmall : nullptr;
    const float s = float(2 * player - 1);
    // A long caption stretches the tab inward (away from the screen edge),
    // its outer end staying where the picture's is.
    StretchSkin* tab = static_cast<StretchSkin*>(pSkin);
    const float textWidth = font ? float(font->getTextWidth(caption, nullptr).width) : 0.0f;
    const float width = std::max(TAB_WIDTH, 0.5f * TAB_WIDTH - CAPTION_INSET + textWidth + float(TAB_END));
    if (tab->width != width) tab->setSize(width, -1.0f);
    const V3 at = position;
    position.x += s * 0.5f * (TAB_WIDTH - width);
    updateVisuals();
    Renderable::render();
    position = at;
    updateVisuals();
    if (!font) return;
    const int align = player == 1 ? PlayerHUD::PRINT_RIGHT : PlayerHUD::PRINT_LEFT;
    font->printAt(position.x + 28.0f * s, position.y + 4.0f, position.z, CAPTION_COLOUR, align, caption);
}
