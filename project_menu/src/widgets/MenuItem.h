#pragma once
// Base of the menu widgets: a stretched frame with a caption beside it, a
// one-line description at the bottom of the screen while the mouse is over it,
// a highlight layer that fades in and out with the hover, an enabled state and
// a clicked flag that the owning screen polls each frame (wasClicked). Widgets
// are bound by pointer to the value they edit and change it in place.
#include "MenuColors.h"
#include "render/Renderable.h"
#include "util/UString.h"

#include <cstdint>

class FontQuad;
class StretchSkin;
class Texture;

class MenuItem : public Renderable {
public:
    // Edit-box frame 256 wide, caption to the left, medium font.
    MenuItem(float x, float y, float z, const UString& caption, const UString& description);
    ~MenuItem() override;

    void tick(double time, double dt) override;
    void render() override;

    // Draws the widget's value at a world position; nothing here.
    virtual void renderValue(V3 position);
    // Sets the clicked flag and plays "mouseClick"; every value change goes through it.
    virtual void onClick();

    // New frames from sub-images SubImage::FRAME_PLAIN and FRAME_LIT of the
    // texture, with the borders in StretchSkin::setBorders order. A texture
    // without those two single-quad sub-images is a data fault.
    void setSkin(Texture* frames, int b1, int b2, int b3, int b4);
    // Width of both frames; the height stays the image's.
    void setWidth(int width);
    // Returns the clicked flag and clears it.
    bool wasClicked();

    // The mouse in the coordinates of the screen being ticked.
    static V3 getMousePosition();
    // The screen stack draws the pointer: a hidden pointer is over no widget
    // (a screen that hides it still follows the mouse). True without a stack.
    static bool pointerShown();
    // A mouse button went down this frame.
    static bool mousePressed();
    // The first character typed since the last frame, 0 when none.
    static char typedChar();
    // Everything typed since the last frame, in order; "" without input.
    static const char* typedText();

    // A value text centred at the position in the item's rotation, scale and
    // current colour, with the drop shadow when the item has one.
    void drawValueText(V3 position, const UString& text);

    // Where the caption stands, as on a numeric keypad.
    enum { CAPTION_LEFT = 4, CAPTION_CENTRE = 5, CAPTION_RIGHT = 6, CAPTION_ABOVE = 8 };
    int32_t captionLocation = CAPTION_LEFT;
    bool bDisabled = false;
    bool bDropShadow = true;
    bool bHovered = false;
    bool bForceHighlight = false;
    UString caption;
    UString disabledText;
    bool bClicked = false;
    double highlight = 0.0;
    UColor colorNormal{0, 160, 0, 255};
    UColor colorHighlight{32, 240, 32, 255};
    UColor colorCurrent{255, 255, 255, 255};
    UColor colorDisabled = MenuColors::disabledCaption();
    UString description;
    FontQuad* font = nullptr;  // the application's medium font
    Renderable highlightLayer; // owns its skin
    // The text plates under a caption beside (or above) the box and under the
    // hint line, which stand on the backdrop; owned, null without the picture.
    StretchSkin* captionPlate = nullptr;
    StretchSkin* hintPlate = nullptr;

private:
    void drawCaption();
};
