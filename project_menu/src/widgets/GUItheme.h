#pragma once
// A GUI theme: the metrics and font of themed GUI items, and the frame texture
// of each style number (0 to 11), which it hands to the item to cut its three
// frames from. Items copy the margin and borders each time they are styled.
#include <cstdint>

class FontQuad;
class GUIitem;
class Texture;

class GUItheme {
public:
    virtual ~GUItheme();
    // Gives the item the look of the style; outside 0..11 is fatal.
    virtual void setStyle(GUIitem* item, int style) = 0;

    int32_t captionSpacing; // gap between a frame's edge and its caption
    int32_t margin;
    int32_t borderLeft;
    int32_t borderTop;
    int32_t borderRight;
    int32_t borderBottom;
    FontQuad* font; // borrowed

protected:
    // All four borders share one width.
    GUItheme(int captionSpacing, int margin, int border, FontQuad* font);
    // The registered texture of that name; a missing one is fatal.
    static Texture* findFrames(const char* name);
};
