#include "ScreenText.h"

#include "app/ContextManager.h"
#include "FontQuad.h"
#include "app/Global.h"
#include "MatchHarness.h"
#include "widgets/MenuItem.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "render/Quad.h"
#include "RenderableText.h"
#include "render/Texture.h"
#include "modes/Messenger.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <set>
#include <string>

namespace ScreenText {

Size windowSize() {
    GLint v[4];
    glGetIntegerv(GL_VIEWPORT, v);
    return Size{v[2], v[3]};
}

namespace {

Pixels readWindow() {
    PLIM->graphics->flush();
    glFinish();
    const Size s = windowSize();
    Pixels p(size_t(s.w) * size_t(s.h) * 4);
    glReadPixels(0, 0, s.w, s.h, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
    return p;
}

} // namespace

Pixels render(ContextManager* stack) { return renderContext(stack); }

Pixels renderContext(PlimBase* context) {
    MatchHarness::setDrawing(true); // a match's start turns it off again
    PLIM->graphics->clear(UColor(0, 0, 0, 255));
    static_cast<Context*>(context)->renderContext();
    return readWindow();
}

HiddenText::HiddenText(const std::vector<Texture*>& extra) {
    std::set<Texture*> textures(extra.begin(), extra.end());
    for (FontQuad* f : {gGlobal->fontTiny, gGlobal->fontSmall, gGlobal->fontMedium, gGlobal->fontLarge, gGlobal->fontHUD}) {
        if (!f) continue;
        for (const FontSymbol& s : f->symbolData)
            for (Skin* image : {s.pQuad, s.pAccentQuad})
                if (Quad* q = image ? FontQuad::asQuad(image) : nullptr)
                    if (q->pTexture) textures.insert(q->pTexture);
        if (f->cacheTextures)
            for (BasicLink* l = f->cacheTextures->firstChild; l; l = l->next)
                if (Texture* t = dynamic_cast<Texture*>(static_cast<PlimBase*>(l))) textures.insert(t);
    }
    for (Texture* t : textures) {
        if (!t || !t->glTexHandle) continue;
        Saved s{t->glTexHandle, 0, 0, {}};
        glBindTexture(GL_TEXTURE_2D, s.handle);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &s.w);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &s.h);
        s.pixels.resize(size_t(s.w) * size_t(s.h) * 4);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, s.pixels.data());
        const std::vector<uint8_t> clear(s.pixels.size(), 0);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, s.w, s.h, GL_RGBA, GL_UNSIGNED_BYTE, clear.data());
        saved.push_back(std::move(s));
    }
}

HiddenText::~HiddenText() {
    for (const Saved& s : saved) {
        glBindTexture(GL_TEXTURE_2D, s.handle);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, s.w, s.h, GL_RGBA, GL_UNSIGNED_BYTE, s.pixels.data());
    }
}

namespace {

// Texts emptied while this lives: the captions of disabled widgets (with
// disabled set), or the texts in the middle of a fade (black at half alpha is
// a colour, not a fade).
class HiddenLabels {
public:
    HiddenLabels(PlimBase* root, bool disabled) : disabledCaptions(disabled) { hide(root); }
    // Then a render is the one with every text.
    bool hidesNothing() const { return captions.empty() && labels.empty() && messages.empty(); }
    ~HiddenLabels() {
        for (auto& t : captions) t.first->caption = t.second;
        for (auto& t : labels) t.first->text = t.second;
        for (auto& t : messages) t.first->text = t.second;
    }

private:
    static bool fading(UColor c) { return c.a < 255 && (c.r | c.g | c.b) != 0; }
    void hide(PlimBase* node) {
        for (BasicLink* l = node->firstChild; l; l = l->next) {
            PlimBase* child = static_cast<PlimBase*>(l);
            MenuItem* item = dynamic_cast<MenuItem*>(child);
            if (disabledCaptions && item && item->bDisabled) {
                captions.push_back({item, item->caption});
                item->caption = UString();
            }
            RenderableText* label = dynamic_cast<RenderableText*>(child);
            if (!disabledCaptions && label && fading(label->color)) {
                labels.push_back({label, label->text});
                label->text = UString();
            }
            Messenger* messenger = dynamic_cast<Messenger*>(child);
            if (!disabledCaptions && messenger && fading(messenger->colour)) {
                messages.push_back({messenger, messenger->text});
                messenger->text = UString();
            }
            hide(child);
        }
    }
    bool disabledCaptions;
    std::vector<std::pair<MenuItem*, UString>> captions;
    std::vector<std::pair<RenderableText*, UString>> labels;
    std::vector<std::pair<Messenger*, UString>> messages;
};

int difference(const Pixels& a, const Pixels& b, size_t i) {
    int d = 0;
    for (int c = 0; c < 3; ++c) d = std::max(d, std::abs(int(a[i * 4 + c]) - int(b[i * 4 + c])));
    return d;
}

// Columns between the words of a line at 1024 x 768, not between two texts.
const int WORD_GAP = 8;

void dump(const char* name, const char* kind, const Pixels& p, int w, int h) {
    const char* folder = getenv("CONTRAST_DUMP");
    if (!folder) return;
    std::string file = std::string(folder) + "/" + name + "-" + kind + ".ppm";
    std::replace(file.begin() + long(strlen(folder)) + 1, file.end(), ' ', '_');
    std::replace(file.begin() + long(strlen(folder)) + 1, file.end(), ':', '_');
    FILE* f = fopen(file.c_str(), "wb");
    if (!f) return;
    fprintf(f, "P6 %d %d 255\n", w, h);
    for (int y = h - 1; y >= 0; --y)
        for (int x = 0; x < w; ++x) fwrite(&p[size_t(y * w + x) * 4], 1, 3, f);
    fclose(f);
}

} // namespace

double luminance(const uint8_t* p) {
    double l[3];
    for (int i = 0; i < 3; ++i) {
        const double c = p[i] / 255.0;
        l[i] = c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    }
    return 0.2126 * l[0] + 0.7152 * l[1] + 0.0722 * l[2];
}

double meanLuminance(const Pixels& p) {
    double sum = 0.0;
    for (size_t i = 0; i + 3 < p.size(); i += 4) sum += luminance(&p[i]);
    return p.empty() ? 0.0 : sum / double(p.size() / 4);
}

Box differing(const Pixels& a, const Pixels& b, const Box& within) {
    const Size s = windowSize();
    Box box;
    for (int y = std::max(0, within.y0); y <= std::min(s.h - 1, within.y1); ++y)
        for (int x = std::max(0, within.x0); x <= std::min(s.w - 1, within.x1); ++x) {
            const size_t i = size_t(s.h - 1 - y) * size_t(s.w) + size_t(x);
            if (difference(a, b, i) < 3) continue;
            box.x0 = std::min(box.x0, x), box.x1 = std::max(box.x1, x);
            box.y0 = std::min(box.y0, y), box.y1 = std::max(box.y1, y);
        }
    return box;
}

// The texts are the pixels where the render with text differs from the one
// without (and the scene itself did not change between two text-less
// renders); pixels within 2 rows and a word's gap of each other belong to one
// text (a line, with the dots and strokes of its letters). Each text is
// measured on its strokes: the fifth of its pixels that the text changes most
// (the most covered ones), the median colour of those against the median of
// what lies right behind them in the text-less render. Texts that mostly
// vanish with the disabled captions are disabled; those that vanish with the
// fading texts are left out.
Lowest measure(ContextManager* stack, const char* name) {
    // Text-less first: a screen that copies the last frame into a picture
    // (a blend) would otherwise show the texts of the render before.
    Pixels without, again;
    {
        HiddenText hidden;
        again = render(stack);
        without = render(stack);
    }
    const Pixels with = render(stack);
    Pixels enabledOnly, settledOnly;
    {
        HiddenLabels hidden(stack, true);
        enabledOnly = hidden.hidesNothing() ? with : render(stack);
    }
    {
        HiddenLabels hidden(stack, false);
        settledOnly = hidden.hidesNothing() ? with : render(stack);
    }
    const Size s = windowSize();
    const int w = s.w, h = s.h;
    const size_t n = size_t(w) * size_t(h);
    dump(name, "text", with, w, h);
    dump(name, "plain", without, w, h);
    std::vector<int> parent(n, -1);
    std::function<int(int)> root = [&](int i) { return parent[i] == i ? i : parent[i] = root(parent[i]); };
    for (size_t i = 0; i < n; ++i)
        if (difference(with, without, i) >= 3 && difference(without, again, i) <= 1) parent[i] = int(i);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int i = y * w + x;
            if (parent[i] < 0) continue;
            for (int dy = 0; dy <= 2; ++dy)
                for (int dx = -WORD_GAP; dx <= WORD_GAP; ++dx) {
                    if (dy == 0 && dx <= 0) continue;
                    const int x2 = x + dx, y2 = y + dy;
                    if (x2 < 0 || x2 >= w || y2 >= h || parent[y2 * w + x2] < 0) continue;
                    parent[root(y2 * w + x2)] = root(i);
                }
        }
    struct Text {
        std::vector<int> pixels;
        int disabledPixels = 0;
        int fadingPixels = 0;
    };
    std::vector<int> index(n, -1);
    std::vector<Text> texts;
    for (size_t i = 0; i < n; ++i) {
        if (parent[i] < 0) continue;
        int& k = index[size_t(root(int(i)))];
        if (k < 0) {
            k = int(texts.size());
            texts.emplace_back();
        }
        Text& t = texts[size_t(k)];
        t.pixels.push_back(int(i));
        if (difference(with, enabledOnly, i) >= 3) ++t.disabledPixels;
        if (difference(with, settledOnly, i) >= 3) ++t.fadingPixels;
    }
    Lowest lowest;
    for (const Text& t : texts) {
        if (t.pixels.size() < 12) continue; // a stray pixel or two, not a text
        if (2 * t.fadingPixels > int(t.pixels.size())) continue;
        const bool disabled = 2 * t.disabledPixels > int(t.pixels.size());
        std::vector<int> strokes = t.pixels;
        const size_t fifth = std::max<size_t>(1, strokes.size() / 5);
        std::nth_element(strokes.begin(), strokes.begin() + long(fifth - 1), strokes.end(), [&](int a, int b) {
            return difference(with, without, size_t(a)) > difference(with, without, size_t(b));
        });
        strokes.resize(fifth);
        auto median = [&strokes](const Pixels& p, std::vector<double> l = {}) {
            for (int i : strokes) l.push_back(luminance(&p[size_t(i) * 4]));
            std::nth_element(l.begin(), l.begin() + long(l.size() / 2), l.end());
            return l[l.size() / 2];
        };
        const double a = median(with), b = median(without);
        const double ratio = (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
        if (getenv("CONTRAST_DUMP") && ratio < (getenv("CONTRAST_ALL") ? 99.0 : disabled ? 3.0 : 5.0)) {
            int x0 = w, y0 = h, x1 = 0, y1 = 0;
            for (int i : t.pixels) {
                x0 = std::min(x0, i % w), x1 = std::max(x1, i % w);
                y0 = std::min(y0, h - 1 - i / w), y1 = std::max(y1, h - 1 - i / w);
            }
            printf("  %s: %.2f:1%s at x %d..%d, y %d..%d (from the top)\n", name, ratio, disabled ? " (disabled)" : "",
                   x0, x1, y0, y1);
        }
        double& low = disabled ? lowest.disabled : lowest.text;
        low = std::min(low, ratio);
        ++lowest.texts;
    }
    return lowest;
}

} // namespace ScreenText
