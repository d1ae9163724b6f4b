#include "ContextHighScores.h"

#include "ContextHighScoresOptions.h"
#include "app/ContextManager.h"
#include "ContextPre.h"
#include "FontQuad.h"
#include "app/Formatters.h"
#include "app/Global.h"
#include "language/Language.h"
#include "core/Logger.h"
#include "widgets/MenuButton.h"
#include "widgets/MenuButtonQuit.h"
#include "widgets/MenuEnum.h"
#include "widgets/MenuPlate.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "util/Rect.h"
#include "RenderableText.h"
#include "StretchSkin.h"
#include "TextPlate.h"

#include <cmath>

namespace {

// The rows' print flags: names from their left end, scores from their right.
const int LEFT_ALIGNED = 0x02;
const int RIGHT_ALIGNED = FontQuad::PRINT_RIGHT;
const UColor PULSE_STRONG(128, 255, 0, 255);
const UColor PULSE_PALE(192, 255, 128, 255);
// The rows: names from x -250, scores to x 250, from y 100 down in steps of 25.
const float ROW_HALF_WIDTH = 250.0f;
const float FIRST_ROW_Y = 100.0f;
const float ROW_STEP = 25.0f;
const float PANEL_MARGIN = 12.0f;

const char* text(int id) { return PLIM->language->getText(id); }

} // namespace

ContextHighScores::ContextHighScores(int table) {
    bDeleteWhenDone = true;
    preContext = gGlobal->contextPre;
    const int w = PLIM->graphics ? PLIM->graphics->fovWidth : 640;
    const int h = PLIM->graphics ? PLIM->graphics->fovHeight : 480;

    if (table < 0 || table > ALL_TABLES) {
        logTagged("ContextHighScores", "No high-score table %d: showing them all.", table);
        table = ALL_TABLES;
    }
    tableIndex = table == ALL_TABLES ? 0 : table;

    addChild(MenuPlate::pageTitle(text(Language::STR_HIGHSCORES)));
    if (table == ALL_TABLES)
        addChild(new MenuEnum(0.0f, float(h / 2 - 100), 0.0f, "", "", &tableIndex, 0, SaveData::TABLE_COUNT - 1,
                              Language::STR_ENUMGAMETYPE0));
    MenuButtonQuit* ok = new MenuButtonQuit(float(-w / 2 + 100), float(-h / 2 + 50), 0.0f, text(Language::STR_OK), "");
    ok->setWidth(128);
    addChild(ok);
    optionsButton = new MenuButton(float(w / 2 - 148), float(-h / 2 + 50), 0.0f,
                                   text(Language::STR_HIGHSCOREOPTIONSDOTS), "");
    addChild(optionsButton);
    tablePanel = MenuPlate::newFrame(MenuPlate::PANEL);
}

ContextHighScores::~ContextHighScores() { delete tablePanel; }

UColor ContextHighScores::pulseColour(double time) {
    const double t = std::sin(16.0 * time) * 0.5 + 0.5;
    return UColor(PULSE_STRONG, PULSE_PALE, float(t));
}

UString ContextHighScores::rowName(int table, int row) {
    UString name = gGlobal->saveData.highScores[table][row].getName();
    return name.isEmpty() ? UString("...") : name;
}

UString ContextHighScores::rowScore(int table, int row) {
    return Formatters::formatPercent(float(gGlobal->saveData.highScores[table][row].score) / 100000.0f);
}

void ContextHighScores::tickContents(double time, double dt) {
    ContextMenu::tickContents(time, dt);
    highlightColor = pulseColour(time);
    if (optionsButton->wasClicked()) gGlobal->contextManager->push(new ContextHighScoresOptions());
}

void ContextHighScores::renderContents() {
    ContextMenu::renderContents();
    FontQuad* font = gGlobal->fontMedium;
    if (!font) return;
    // The chooser clamps its value; a table number is checked once more here
    // because it indexes the saved block.
    const int table = tableIndex < 0 ? 0 : tableIndex >= SaveData::TABLE_COUNT ? SaveData::TABLE_COUNT - 1 : tableIndex;
    const int highlighted = gGlobal->profiles.lastHighScorePlace;
    const float lastY = FIRST_ROW_Y - ROW_STEP * float(SaveData::TABLE_ENTRIES - 1);
    TextPlate::drawFrameOver(tablePanel, Rect(-ROW_HALF_WIDTH - PANEL_MARGIN, FIRST_ROW_Y + PANEL_MARGIN,
                                              ROW_HALF_WIDTH + PANEL_MARGIN,
                                              lastY - float(font->fontHeight) - PANEL_MARGIN));
    for (int r = 0; r < SaveData::TABLE_ENTRIES; r++) {
        const float y = FIRST_ROW_Y - ROW_STEP * float(r);
        const UColor colour = r == highlighted ? highlightColor : UColor::WHITE;
        font->printAt(-ROW_HALF_WIDTH, y, 0.0f, colour, LEFT_ALIGNED, rowName(table, r));
        font->printAt(ROW_HALF_WIDTH, y, 0.0f, colour, RIGHT_ALIGNED, rowScore(table, r));
    }
}
