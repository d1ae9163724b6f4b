#pragma once
// The end scene's rating display: its texts, the bar and the bar's frame are
// its children. The rating's label and its value share one dark plate, drawn
// beneath every child; the texts stand above the bar, so the plate never
// hides the bar's reading.
#include "core/PlimBase.h"
#include "util/Rect.h"
#include "util/UColor.h"

#include <vector>

class RenderableText;

class RatingLayer : public PlimBase {
public:
    // Keeps white text readable over the sky, the clouds and the fireworks.
    static const UColor PLATE;

    void render() override;

    // Adds a text as a child, standing on the shared plate.
    void addPlated(RenderableText* label);
    // Where the shared plate lies: around every plated text shown (zero size
    // while none is).
    Rect plateRect() const;
    // Destroys every child.
    void clear();

private:
    std::vector<RenderableText*> plated; // children
};
