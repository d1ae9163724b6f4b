#pragma once
// A grid of quads drawn as one skin, cells laid edge to edge from the top-left
// corner, each at its own size, the whole centred on the skin's local (0, 0).
// The cells are not owned; each cell draws with its own texture. Reports the
// Skin class record.
#include "Skin.h"

#include <vector>

class Quad;

class QuadMosaic : public Skin {
public:
    QuadMosaic();
    ~QuadMosaic() override;

    // New cells are null; cells beyond the new count are dropped, not deleted.
    // The caller fills every cell and then calls layout.
    void setGridSize(int columns, int rows);
    // The size from the first row and first column, and every cell's vertices.
    void layout();
    void draw(Renderable* owner) override;

    int32_t columns = 0;
    int32_t rows = 0;
    int32_t cellCount = 0;
    std::vector<Quad*> cells; // row-major
};
