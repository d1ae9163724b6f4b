#include "ContextEnding.h"

#include "render/Camera.h"
#include "CameraBlender.h"
#include "ContextBlender.h"
#include "screens/ContextHighScores.h"
#include "app/ContextManager.h"
#include "FontQuad.h"
#include "app/Formatters.h"
#include "app/Global.h"
#include "core/Plim.h"
#include "audio/PlimAudio.h"
#include "render/PlimGraphics.h"
#include "input/PlimInput.h"
#include "render/Quad.h"
#include "util/Random.h"
#include "RenderableText.h"
#include "core/ResourceManager.h"
#include "render/Skin.h"
#include "audio/SoundChannel.h"
#include "audio/SoundStream.h"
#include "render/Texture.h"
#include "app/MyGlobal.h"
#include "Messenger.h"
#include "PlayerData.h"
#include "RatingLayer.h"
#include "world/CameraStatic.h"
#include "world/Vehicle.h"
#include "world/World.h"
#include "world/effects/FireworkFuse.h"

#include <algorithm>

namespace {

const UColor LIGHT_GREY(240, 240, 240, 255);
const float ISLAND_SPACING = 500.0f;
const int BAR_FRAME_PICTURE = 0;
const int BAR_FILL_PICTURE = 1;
const double MESSAGE_TIME = 3.0;
const double SCENE_STEP = 5.0;      // between states 1..4 and after the percentage
const double CAMERA_BLEND = 5.0;
const double CLICK_DELAY_PLACE = 5.0;
const double CLICK_DELAY_LATER = 10.0;
const float LAUNCH_RAISE = 32.0f;
const double SALVO_GAP = 0.1;
const double SALVO_GAP_SPREAD = 0.25;
const double SALVO_PAUSE = 2.0;
const int SALVO_SIZE_PER_DETAIL = 7;
const double FUSE_MIN = 1.0;
const double FUSE_MAX = 2.0;
const float SCORE_SCALE = 100000.0f;
const size_t PLAYER2_NAME_LENGTH = 13;

const char* const PLACE_NAMES[] = {"first place",   "second place", "third place", "fourth place",
                                   "fifth place",   "sixth place",  "seventh place", "eighth place",
                                   "ninth place",   "tenth place"};

MyGlobal* app() { return static_cast<MyGlobal*>(gGlobal); }

// A text of the rating display, on a dark plate that keeps it readable over
// the sky, the clouds and the fireworks.
RenderableText* platedText(float x, float y, const UString& text, FontQuad* font, UColor colour) {
    RenderableText* label = new RenderableText(x, y, 0.0f, text, font, colour);
    label->plate = RatingLayer::PLATE;
    return label;
}

// A text of the rating over the bar: its point is the bottom of its line, so
// that it stands above the bar; it goes on the layer's shared plate.
RenderableText* ratingText(float y, const UString& text, FontQuad* font) {
    RenderableText* label = new RenderableText(0.0f, y, 0.0f, text, font, UColor::WHITE);
    label->printFlags |= FontQuad::PRINT_BOTTOM;
    return label;
}

// "click to continue" near the bottom edge, its line (printed downward from its
// point) and drop shadow kept inside the view at any view height.
RenderableText* clickToContinue(double delay) {
    FontQuad* font = gGlobal->fontSmall;
    const float margin = 4.0f;
    const float lowest = -0.5f * float(Camera::fovHeight()) + float(font ? font->fontHeight : 0) + 2.0f + margin;
    RenderableText* click = platedText(0.0f, std::max(-227.0f, lowest), "click to continue", font, LIGHT_GREY);
    click->delay = delay;
    return click;
}

Quad* barPicture(int index) { return static_cast<Quad*>(World::frame(World::frames("gui-game-progressBar"), index)); }

void addCamera(ContextBlender* scene, float x, float y, float z) {
    CameraStatic* camera = new CameraStatic(x, y, z);
    camera->blendTime = CAMERA_BLEND;
    scene->getCameraBlender()->addChild(camera);
}

} // namespace

ContextEnding::ContextEnding() {
    bMousePointer = false;
    ratingLayer = new RatingLayer();
    hud->addChild(ratingLayer);
    barQuad = new Quad();
    MyGlobal::setProgressSkin(barQuad, barPicture(BAR_FILL_PICTURE), 0.0f);
    bar = new Renderable();
    const V3 at(BAR_X, 0.0f, 0.0f);
    bar->setup(barQuad, &at, nullptr, nullptr);
}

ContextEnding::~ContextEnding() {
    if (drumRoll) {
        drumRoll->stop();
        drumRoll->deleteMe();
    }
    if (bar && !bar->parent) bar->deleteMe();
    barQuad->deleteMe();
}

const char* ContextEnding::placeName(int rank) {
    return rank >= 0 && rank < int(sizeof(PLACE_NAMES) / sizeof(PLACE_NAMES[0])) ? PLACE_NAMES[rank] : "";
}

UString ContextEnding::entryName(const UString& profileName, int player) {
    if (player != 1) return profileName;
    return profileName.substr(0, PLAYER2_NAME_LENGTH) + "-2";
}

GameController* ContextEnding::result() { return previous ? previous : this; }

Renderable* ContextEnding::winnerIsland() const { return islands[winnerIndex] ? islands[winnerIndex] : islands[0]; }

void ContextEnding::onActivate(bool firstTime) {
    GameController::onActivate(firstTime);
    if (state != 0) return;
    previous = app()->currentController;
    app()->currentController = this;
    setState(STATE_CEASE_FIRE);
}

void ContextEnding::onDeactivate(bool removed) {
    if (!removed) return;
    if (app()->currentController == this) app()->currentController = previous;
    if (gameType < 0) return;
    gGlobal->contextManager->push(new ContextHighScores(gameType));
}

void ContextEnding::updateRules() {
    if (state >= STATE_CEASE_FIRE && time > nextFireworkTime) launchFirework();
    switch (state) {
    case STATE_RATING:
        updateBar();
        break;
    case STATE_PLACE:
        if (clicked()) setState(STATE_CLICK);
        break;
    case STATE_CLICK:
        // Asking for state 7 again is ignored, so later clicks keep its delay.
        if (clicked() && stateGoto != STATE_CLOSE) fadeOutTo(STATE_CLOSE, FADE_OUT);
        break;
    default:
        break;
    }
}

bool ContextEnding::clicked() const {
    PlimInput* input = PLIM->input;
    if (!input) return false;
    const int32_t* fire = gGlobal->saveData.keys[Vehicle::ACTION_FIRE];
    return input->anyMouseButtonPressed() || input->isKeyPressed(fire[0]) || input->isKeyPressed(fire[1]);
}

void ContextEnding::launchFirework() {
    Renderable* island = winnerIsland();
    V3 at = island ? island->position : V3(0.0f, 0.0f, 0.0f);
    at.y += LAUNCH_RAISE;
    const int32_t a = Random::next();
    const int32_t b = Random::next();
    const UColor colour = MyGlobal::randomPureColour();
    const V3 velocity(float(b % 512 - 256), float(a % 384 + 128), 0.0f);
    layers[LAYER_FIREWORKS]->addChild(new FireworkFuse(at, velocity, FUSE_MIN, FUSE_MAX, colour));
    World::playAt("fireworkLaunch", at);

    if (--fireworksLeft > 0) {
        nextFireworkTime = time + SALVO_GAP + World::fraction() * SALVO_GAP_SPREAD;
    } else {
        fireworksLeft = Random::next() % (SALVO_SIZE_PER_DETAIL * World::detail() + SALVO_SIZE_PER_DETAIL) + 1;
        nextFireworkTime = time + SALVO_PAUSE + 2.0 * World::fraction();
    }
}

void ContextEnding::updateBar() {
    const double t = (timeInState - BAR_DELAY) * BAR_SPEED;
    if (t <= 0.0) return;
    if (t > result()->playerData[winnerIndex]->rating) {
        setState(STATE_PERCENT);
        return;
    }
    MyGlobal::setProgressSkin(barQuad, barPicture(BAR_FILL_PICTURE), float(std::min(t, 1.0)));
    bar->updateVisuals();
}

void ContextEnding::enterHighScore() {
    highScoreRank = -1;
    PlayerData* record = result()->playerData[winnerIndex];
    if (gameType != GAMETYPE_NONE && record->bHuman) {
        PlayerProfiles& profiles = gGlobal->profiles;
        const UString name = entryName(profiles.getName(profiles.getCurrentProfile()), winnerIndex);
        const int score = int(record->rating * SCORE_SCALE);
        highScoreRank = gGlobal->saveData.addHighScore(result()->gameType, name, score, true);
        // At once: a later fatal error must not lose the entry.
        gGlobal->saveData.write();
    }
    gGlobal->profiles.lastHighScorePlace = highScoreRank;
    gGlobal->profiles.save();
}

void ContextEnding::onStateChange() {
    const int h = Camera::fovHeight() / 2;
    const int w = Camera::fovWidth();
    GameController* from = result();
    switch (state) {
    case STATE_CEASE_FIRE: {
        const int count = std::max(1, std::min<int>(from->playerCount, PLAYERS));
        winnerIndex = std::max(0, std::min<int>(from->winner, PLAYERS - 1));
        for (int i = 0; i < count; ++i) {
            const float side = i == 0 ? -1.0f : 1.0f;
            islands[i] = addIsland(i, (float(count) * ISLAND_SPACING - ISLAND_SPACING) * side, from->palmCount, false);
        }
        placeOpeningView();
        addCamera(scene, 0.0f, float(2 * h) - 114.0f, -float(w));
        messenger->setMessage("cease fire!", MESSAGE_TIME);
        nextFireworkTime = time + FIRST_FIREWORK;
        if (PLIM->audio)
            PLIM->audio->playMusic(static_cast<SoundStream*>(PLIM->resourceManager->find("musicGame", true)));
        setState(STATE_WINNER, SCENE_STEP);
        break;
    }
    case STATE_WINNER:
        messenger->setMessage("and the winner is...", MESSAGE_TIME);
        addCamera(scene, winnerIsland()->position.x, float(h) - 57.0f, -float(w / 2));
        setState(STATE_RATING, SCENE_STEP);
        break;
    case STATE_RATING: {
        ratingLayer->addPlated(ratingText(50.0f, "your final rating is", gGlobal->fontMedium));
        Renderable* frame = new Renderable();
        const V3 at(0.0f, 0.0f, 0.0f);
        frame->setup(barPicture(BAR_FRAME_PICTURE), &at, nullptr, nullptr);
        ratingLayer->addChild(frame);
        ratingLayer->addChild(bar);
        drumRoll = new SoundChannel(World::sound("drumroll"));
        drumRoll->play();
        break;
    }
    case STATE_PERCENT: {
        World::playRandomPitch("cymbal");
        if (drumRoll) drumRoll->stop();
        const float rating = from->playerData[winnerIndex]->rating;
        ratingLayer->addPlated(ratingText(19.0f, Formatters::formatPercent(rating), gGlobal->fontLarge));
        enterHighScore();
        setState(highScoreRank >= 0 ? STATE_PLACE : STATE_CLICK, SCENE_STEP);
        break;
    }
    case STATE_PLACE: {
        ratingLayer->addChild(platedText(0.0f, 150.0f, UString::format("%s!", placeName(highScoreRank)),
                                                 gGlobal->fontLarge, UColor::WHITE));
        ratingLayer->addChild(clickToContinue(CLICK_DELAY_PLACE));
        break;
    }
    case STATE_CLICK: {
        ratingLayer->clear();
        bar = nullptr;
        ratingLayer->addChild(clickToContinue(CLICK_DELAY_LATER));
        addCamera(scene, winnerIsland()->position.x, float(2 * h) - 114.0f, -float(2 * (w / 2)));
        break;
    }
    case STATE_CLOSE:
        bDone = true;
        break;
    default:
        break;
    }
}
