#pragma once
// A themed, mouse-sensitive frame with a caption. Its theme turns a style
// number into a frame texture, from which the item cuts three stretched frames
// (normal, focused, disabled); the look follows the engine's state: disabled
// while paused, focused while it is the focus object. The caption fades to a
// highlight colour while the mouse is over the item, and a help line shows at
// the bottom of the screen. Children are carried along with its transform.
#include "render/Renderable.h"
#include "util/UString.h"

#include <cstdint>

class FontQuad;
class GUItheme;
class StretchSkin;
class Texture;

class GUIitem : public Renderable {
public:
    GUIitem(GUItheme* theme, int style);
    ~GUIitem() override;

    void tick(double time, double dt) override;
    void render() override;
    void updateVisuals() override;

    void setSize(int width, int height);
    void setTexts(const UString& caption, const UString& helpText, const UString& disabledText);
    void setStyle(int style);
    // New frames cut from sub-images 1 (normal), 0 (disabled) and 2 (focused).
    // A texture with fewer than three sub-images is fatal.
    void setSkin(Texture* frames);
    // Appends the child and gives it the item's transform at once.
    void addChild(PlimBase* child);

    // The frame the item's state asks for: disabled, focused or normal.
    StretchSkin* chooseFrame();

    int32_t captionLocation = 5; // 5 centre, 4/6/8 left/right/above, -4/-6/-8 inside
    bool bHovered = false;
    UString caption;
    UString disabledText;
    int32_t width = 0;
    int32_t height = 0;
    int32_t margin = 0;
    int32_t borderLeft = 0;
    int32_t borderTop = 0;
    int32_t borderRight = 0;
    int32_t borderBottom = 0;
    GUItheme* pTheme = nullptr; // not owned
    StretchSkin* pSkinNormal = nullptr;   // owned
    StretchSkin* pSkinFocused = nullptr;  // owned
    StretchSkin* pSkinDisabled = nullptr; // owned
    double highlight = 0.0;
    UColor colorNormal{116, 122, 128, 255};
    UColor colorHighlight{204, 139, 0, 255};
    UColor colorCurrent{255, 255, 255, 255};
    UColor colorDisabled{116, 122, 128, 128};
    UString helpText;
    FontQuad* pFont = nullptr; // not owned

private:
    void copyThemeMetrics();
    void sizeFrames();
    void deleteFrames();
    void drawHelpLine();
    void drawCaption();
};
