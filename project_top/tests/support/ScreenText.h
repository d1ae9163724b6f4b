#pragma once
// The texts of a rendered screen, found by rendering it with and without them:
// every font (and any other picture named) draws nothing while a HiddenText
// lives, so what differs is text and the same pixels of the text-less render
// are its background. Measures WCAG contrast per text and finds where texts lie.
#include <vector>
#include <cstdint>

class ContextManager;
class PlimBase;
class Texture;

namespace ScreenText {

using Pixels = std::vector<uint8_t>; // RGBA rows of the window, bottom row first

struct Size {
    int w = 0, h = 0;
};
Size windowSize();
// Draws the stack (or one context) into the window and reads it back.
Pixels render(ContextManager* stack);
Pixels renderContext(PlimBase* context);

// Every font draws nothing while this lives: the pictures of its glyphs and
// of its cache rows, and the extra pictures given, are cleared to transparent
// in GL (and put back after), so texts keep their sizes and everything else
// draws as before.
class HiddenText {
public:
    explicit HiddenText(const std::vector<Texture*>& extra = {});
    ~HiddenText();
    HiddenText(const HiddenText&) = delete;
    HiddenText& operator=(const HiddenText&) = delete;

private:
    struct Saved {
        unsigned int handle;
        int w, h;
        std::vector<uint8_t> pixels;
    };
    std::vector<Saved> saved;
};

struct Lowest {
    double text = 99.0;     // every settled text of an enabled widget or page
    double disabled = 99.0; // captions of disabled widgets
    int texts = 0;
};
// Renders the stack with and without its texts and measures each text's
// contrast on its strokes (dumping the renders and the texts under 5:1 when
// CONTRAST_DUMP names a folder, every text with CONTRAST_ALL set too).
Lowest measure(ContextManager* stack, const char* name);

// WCAG relative luminance of an RGB(A) pixel, and the mean over a render.
double luminance(const uint8_t* p);
double meanLuminance(const Pixels& p);

// The box round the pixels where the two renders differ, in window pixels
// from the top left (x1, y1 inclusive); empty (x0 > x1) when none do.
struct Box {
    int x0 = 1 << 20, y0 = 1 << 20, x1 = -1, y1 = -1;
    bool empty() const { return x0 > x1; }
    bool inside(const Box& outer) const {
        return empty() || (x0 >= outer.x0 && y0 >= outer.y0 && x1 <= outer.x1 && y1 <= outer.y1);
    }
};
Box differing(const Pixels& a, const Pixels& b, const Box& within);

} // namespace ScreenText
