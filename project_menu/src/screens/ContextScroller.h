#pragma once
// Text lines that rise at a fixed speed, fade in near the bottom of the view
// and out near its top, and are dropped once they have left it. Lines are
// placed from the bottom edge down, so they enter one after another. Each
// block of lines (the lines between two blank ones) rises on one panel, which
// shows as much as its most visible line.
#include "core/Context.h"
#include "util/UString.h"
#include "util/V3.h"

class RenderableText;
class StretchSkin;

class ContextScroller : public Context {
public:
    ContextScroller();
    ~ContextScroller() override;

    void tickContents(double time, double dt) override;
    void renderContents() override;

    // One line in the large font, centred; moves the next line down.
    void addTitle(const UString& text);
    // One line in the medium font at the next line's y plus yOffset: the left
    // text centred when the right one is empty, else both as two columns
    // split at the centre. The next line's y does not change.
    void addLine(const UString& left, const UString& right, int yOffset, UColor colour);
    // addLine in white, then the next line's y moves down one row.
    void addRow(const UString& left, const UString& right);
    // The game's credits.
    void addCredits();

    // Alpha (0..1) of a line at y in a view from bottom to top.
    static float lineAlpha(float y, float top, float bottom);

    PlimBase* lines = nullptr; // a child; its children are the lines
    V3 velocity{0.0f, 30.0f, 0.0f};
    float nextLineY;
    StretchSkin* panel = nullptr; // owned; null without the picture
};
