// Skins, quads and mosaics without a window: anchors, the inside test, quad
// vertices, and mosaic grids and layout.
#include "BareEngineTest.h"
#include "core/Plim.h"
#include "render/Quad.h"
#include "render/QuadMosaic.h"
#include "render/Skin.h"

#include <gtest/gtest.h>

namespace {

class SkinTest : public BareEngineTest {};

TEST_F(SkinTest, AnchorsFollowTheKeypadAndOthersChangeNothing) {
    Skin skin;
    skin.width = 40.0f;
    skin.height = 20.0f;
    const float expected[10][2] = {{0, 0}, {-20, -10}, {0, -10}, {20, -10}, {-20, 0},
                                   {0, 0}, {20, 0},    {-20, 10}, {0, 10},  {20, 10}};
    for (int anchor = 0; anchor <= 9; ++anchor) {
        skin.origin = V3(1.0f, 2.0f, 3.0f);
        skin.setOrigin(anchor);
        EXPECT_EQ(skin.origin, V3(expected[anchor][0], expected[anchor][1], 0.0f)) << anchor;
    }
    skin.setOrigin(10);
    skin.setOrigin(-1);
    EXPECT_EQ(skin.origin, V3(20.0f, 10.0f, 0.0f));
}

TEST_F(SkinTest, InsideIncludesLeftAndBottomEdgesOnly) {
    Skin skin;
    skin.width = 40.0f;
    skin.height = 20.0f;
    EXPECT_TRUE(skin.isLocalPointInside(-20.0f, -10.0f));
    EXPECT_FALSE(skin.isLocalPointInside(20.0f, 0.0f));
    EXPECT_FALSE(skin.isLocalPointInside(0.0f, 10.0f));
    skin.width = 0.0f;
    EXPECT_FALSE(skin.isLocalPointInside(0.0f, 0.0f));
}

TEST_F(SkinTest, QuadSizeWritesAStripFromTheTopLeft) {
    Quad quad;
    quad.uvRect = UVRect(0.25f, 0.5f, 0.75f, 0.25f);
    quad.setSize(128.0f, 64.0f);
    EXPECT_EQ(engine->frameStats[STAT_VERTEX_BUFFER_WRITES], 1);
    const Vertex* v = quad.vertexBuffer.pVertices;
    const float expected[4][4] = {
        {0.25f, 0.5f, -64.0f, 32.0f}, {0.75f, 0.5f, 64.0f, 32.0f}, {0.25f, 0.25f, -64.0f, -32.0f}, {0.75f, 0.25f, 64.0f, -32.0f}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(V3(v[i].u, v[i].v, 0.0f), V3(expected[i][0], expected[i][1], 0.0f)) << i;
        EXPECT_EQ(V3(v[i].x, v[i].y, v[i].z), V3(expected[i][2], expected[i][3], 0.0f)) << i;
        EXPECT_EQ(v[i].color, UColor(255, 255, 255, 255));
    }
}

TEST_F(SkinTest, MosaicLaysCellsEdgeToEdgeAroundItsCentre) {
    Quad wide, narrow, lowWide, lowNarrow;
    wide.setSize(254.0f, 100.0f);
    narrow.setSize(3.0f, 100.0f);
    QuadMosaic mosaic;
    mosaic.setGridSize(2, 1);
    mosaic.cells[0] = &wide;
    mosaic.cells[1] = &narrow;
    mosaic.layout();
    EXPECT_EQ(mosaic.width, 257.0f);
    EXPECT_EQ(mosaic.height, 100.0f);
    const Vertex* v = mosaic.vertexBuffer.pVertices;
    EXPECT_EQ(V3(v[0].x, v[0].y, 0.0f), V3(-128.5f, 50.0f, 0.0f));
    EXPECT_EQ(v[4].x, 125.5f); // the second cell's left edge
    EXPECT_EQ(v[7].x, 128.5f);

    // Rows stack downward by the height of each row's last cell.
    lowWide.setSize(254.0f, 30.0f);
    lowNarrow.setSize(3.0f, 30.0f);
    mosaic.setGridSize(2, 2);
    mosaic.cells[2] = &lowWide;
    mosaic.cells[3] = &lowNarrow;
    mosaic.layout();
    EXPECT_EQ(mosaic.height, 130.0f);
    EXPECT_EQ(mosaic.vertexBuffer.pVertices[8].y, -35.0f);
    EXPECT_EQ(mosaic.vertexBuffer.pVertices[15].y, -65.0f);
}

TEST_F(SkinTest, ShrinkingTheGridDropsCellsWithoutDeletingThem) {
    Quad* first = new Quad();
    Quad* second = new Quad();
    int live = int(engine->liveObjects.getNumChildren());
    {
        QuadMosaic mosaic;
        mosaic.setGridSize(2, 1);
        mosaic.cells[0] = first;
        mosaic.cells[1] = second;
        mosaic.setGridSize(1, 1);
        EXPECT_EQ(mosaic.cells.size(), 1u);
        EXPECT_EQ(mosaic.cells[0], first);
    }
    EXPECT_EQ(int(engine->liveObjects.getNumChildren()), live);
    delete first;
    delete second;
}

} // namespace
