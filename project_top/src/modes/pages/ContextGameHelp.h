#pragma once
// The page that interrupts a match: the pause page and the modes' hint pages.
// Pushed above the match, it stops the match's clock (only the top screen
// ticks) and draws the frozen match beneath itself. Two black bars slide in
// with a title ("how to play" unless the opener changes it) and "fire to
// resume"; the opener's content (its children of content) shows from 0.5 s.
// After those 0.5 s, a new press of either player's fire key or a mouse button
// empties the content, slides the bars out and closes the page. The content's
// texts stand on one panel per block of lines.
#include "core/Context.h"
#include "util/Rect.h"

#include <vector>

class FontQuad;
class MenuButton;
class StretchSkin;

class ContextGameHelp : public Context {
public:
    enum State { STATE_OPENING = 1, STATE_SHOWN, STATE_CLOSING, STATE_CLOSED };
    static constexpr double SLIDE_TIME = 0.5;
    static constexpr float BAR_HIDDEN = -20.0f;
    static constexpr float BAR_SHOWN = 48.0f;

    ContextGameHelp();
    ~ContextGameHelp() override;

    void tickContents(double time, double dt) override;
    void renderContents() override;
    void onStateChange() override;

    float barInset = 0.0f;      // bar height in view units
    PlimBase* content = nullptr; // owned; a child from 0.5 s on
    MenuButton* title = nullptr;  // a child
    MenuButton* resume = nullptr; // a child
    StretchSkin* panel = nullptr; // owned; under the content's texts
    // The letters of the content's texts in blocks, taken as the content
    // shows (the opener has filled it by then); empty before and once emptied.
    std::vector<std::vector<Rect>> contentBlocks;

    // A page's white line of text (printFlags -1: the font's own alignment)
    // and a frame of the "mouse" pictures, added below page.
    static void addText(PlimBase* page, float x, float y, const char* text, FontQuad* font, int printFlags = -1);
    static void addMousePicture(PlimBase* page, float x, float y, int index);

private:
    // Eases from 0 to 1 over half a second of the state's time.
    static float slide(double x);

    bool dismissPressed() const;
};
