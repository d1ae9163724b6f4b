#pragma once
// The built-in debug font: 9-pixel rows drawn with glBitmap, for the console
// and the frame's debug lines. Needs no texture or resource.
#include "core/PlimBase.h"

class FontGDI : public PlimBase {
public:
    static RuntimeClass runtimeClass;

    FontGDI();
    ~FontGDI() override;
    RuntimeClass* getClass() override;
    // Owns no OpenGL objects, so a mode change needs nothing.
    void onPLIMmodeChange(int oldMode, int newMode) override;

    // One line of printf-style text in white; (x, y) is the top-left corner of
    // the text in window pixels, y downward. Bytes from 0x80 draw glyph 127 and
    // control bytes (a newline too) draw a dot.
    void print(int x, int y, const char* format, ...) __attribute__((format(printf, 4, 5)));

    // The raster position print starts at, in field-of-view units from the
    // centre, for a window of the given pixel and virtual-screen sizes.
    static void rasterPosition(int x, int y, int screenWidth, int screenHeight, int fovWidth,
                               int fovHeight, int* rasterX, int* rasterY);
};
