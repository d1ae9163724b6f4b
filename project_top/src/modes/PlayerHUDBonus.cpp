#include "PlayerHUDBonus.h"

#include "FontQuad.h"
#include "Formatters.h"
#include "Global.h"
#include "Plim.h"
#include "ResourceManager.h"
#include "Skin.h"
#include "modes/GameController.h"
#include "modes/PlayerData.h"
#include "modes/PlayerHUD.h"

namespace {

const UColor CAPTION_COLOUR(192, 192, 192, 255);
const float SLIDE_DISTANCE = 192.0f;

} // namespace

PlayerHUDBonus::PlayerHUDBonus(int player, const UString& caption, const UString& detail, int points)
    : player(player), caption(caption), detail(detail), points(points) {
    pSkin = static_cast<Skin*>(PLIM->resourceManager->find("ovalButtons:3", true));
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
    Renderable::render();
    FontQuad* font = gGlobal ? gGlobal->fontSmall : nullptr;
    if (!font) return;
    const float s = float(2 * player - 1);
    const int align = player == 1 ? PlayerHUD::PRINT_RIGHT : PlayerHUD::PRINT_LEFT;
    font->printAt(position.x + 28.0f * s, position.y + 4.0f, position.z, CAPTION_COLOUR, align, caption);
}
