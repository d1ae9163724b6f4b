#include "PlayerHUDBonus.h"

#include "render/Camera.h"
#include "FontQuad.h"
#include "app/Formatters.h"
#include "app/Global.h"
#include "app/SubImage.h"
#include "core/Plim.h"
#include "core/ResourceManager.h"
#include "render/Skin.h"
#include "StretchSkin.h"
#include "GameController.h"
#include "PlayerData.h"
#include "PlayerHUD.h"

#include <algorithm>

namespace {

const UColor CAPTION_COLOUR(192, 192, 192, 255);
const float SLIDE_DISTANCE = 192.0f;
// The tab picture's width, and where its caption starts from its centre; the
// stars at its ends stay whole when it stretches.
const float TAB_WIDTH = 128.0f;
const float CAPTION_INSET = 28.0f;
const int TAB_END = 24;
// The least room between a settled tab and the screen edge.
const float EDGE_GAP = 4.0f;

} // namespace

PlayerHUDBonus::PlayerHUDBonus(int player, const UString& caption, const UString& detail, int points)
    : player(player), caption(caption), detail(detail), points(points) {
    StretchSkin* tab = new StretchSkin(SubImage::skin(SubImage::OVAL_BUTTONS, SubImage::OVAL_TAB));
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

PlayerHUDBonus::Place PlayerHUDBonus::place() const {
    FontQuad* font = gGlobal ? gGlobal->fontSmall : nullptr;
    const float s = float(2 * player - 1);
    // The tab's picture place would put its outer end past the screen edge:
    // the tab and its caption (CAPTION_INSET out from the picture's centre)
    // move inward together until, once settled, the tab keeps EDGE_GAP from
    // the edge. A long caption stretches the tab inward, its star end past
    // the caption's end.
    const float edge = s * float(Camera::fovWidth() / 2);
    const float settledOuterEnd = target.x + s * 0.5f * TAB_WIDTH;
    const float limit = edge - s * EDGE_GAP;
    const float shift =
        s > 0.0f ? std::min(0.0f, limit - settledOuterEnd) : std::max(0.0f, limit - settledOuterEnd);
    Place p;
    p.textOuter = position.x + s * CAPTION_INSET + shift;
    const float textWidth = font ? float(font->getTextWidth(caption, nullptr).width) : 0.0f;
    p.outerEnd = position.x + s * 0.5f * TAB_WIDTH + shift;
    const float innerEnd = p.textOuter - s * (textWidth + float(TAB_END));
    p.width = std::max(TAB_WIDTH, s * (p.outerEnd - innerEnd));
    return p;
}

Rect PlayerHUDBonus::tabRect() const {
    const Place p = place();
    const float s = float(2 * player - 1);
    const float innerEnd = p.outerEnd - s * p.width;
    const float half = 0.5f * pSkin->height;
    return Rect(std::min(p.outerEnd, innerEnd), position.y + half, std::max(p.outerEnd, innerEnd), position.y - half);
}

void PlayerHUDBonus::render() {
    const float s = float(2 * player - 1);
    const Place p = place();
    StretchSkin* tab = static_cast<StretchSkin*>(pSkin);
    if (tab->width != p.width) tab->setSize(p.width, -1.0f);
    const V3 at = position;
    position.x = p.outerEnd - s * 0.5f * p.width;
    updateVisuals();
    Renderable::render();
    position = at;
    updateVisuals();
    FontQuad* font = gGlobal ? gGlobal->fontSmall : nullptr;
    if (!font) return;
    const int align = (player == 1 ? PlayerHUD::PRINT_RIGHT : PlayerHUD::PRINT_LEFT) | FontQuad::PRINT_VCENTER;
    font->printAt(p.textOuter, position.y, position.z, CAPTION_COLOUR, align, caption);
}
