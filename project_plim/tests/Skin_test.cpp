// Skins, quads and mosaics without a window: anchors, the inside test, quad
// vertices, and mosaic grids and layout.
#include "Plim.h"
#include "Quad.h"
#include "QuadMosaic.h"
#include "RuntimeClass.h"
#include "Skin.h"

#include <gtest/gtest.h>

namespace {

class SkinTest : public ::testing::Test {
protected:
    void SetUp() override { engine = new Plim(Plim::Bare{}); }
    void TearDown() override {
        delete engine;
        PLIM = nullptr;
    }
    Plim* engine = nullptr;
};

TEST_F(SkinTest, AnchorsFollowTheKeypadAndOthersChangeNothing) {
    Skin skin;
    skin.width = 40.0f;
    skin.height = 20.0f;
    const float expected[10][2] = {{0, 0},  {-20, -10}, {0, -10}, {20, -10}, {-20, 0},
                                   {0, 0},  {20, 0},    {-20, 10}, {0, 10},  {20, 10}};
    for (int anchor = 0; anchor <= 9; ++anchor) {
        skin.origin = V3(1.0f, 2.0f, 3.0f);
        skin.setOrigin(anchor);
        EXPECT_EQ(skin.origin, V3(expected[anchor][0], expected[anchor][1], 0.0f)) << anchor;
    }
    for (int anchor : {10, -1}) {
        skin.setOrigin(anchor);
        EXPECT_EQ(skin.origin, V3(20.0f, 10.0f, 0.0f)) << anchor;
    }
}

TEST_F(SkinTest, InsideIncludesLeftAndBottomEdgesOnly) {
    Skin skin;
    skin.width = 40.0f;
    skin.height = 20.0f;
    EXPECT_TRUE(skin.isLocalPointInside(-20.0f, -10.0f));
    EXPECT_TRUE(skin.isLocalPointInside(19.9f, 9.9f));
    EXPECT_FALSE(skin.isLocalPointInside(20.0f, 0.0f));
    EXPECT_FALSE(skin.isLocalPointInside(0.0f, 10.0f));
    skin.width = 0.0f;
    EXPECT_FALSE(skin.isLocalPointInside(0.0f, 0.0f));
    EXPECT_EQ(skin.getHalfSize(), V3(0.0f, 10.0f, 0.0f));
    const V3 p(1.0f, 2.0f, 3.0f);
    EXPECT_EQ(skin.local2world(p), p);
    EXPECT_EQ(skin.world2local(p), p);
    EXPECT_EQ(skin.local2worldOld(p), p);
    EXPECT_EQ(skin.world2localOld(p), p);
}

TEST_F(SkinTest, QuadSizeWritesAStripFromTheTopLeftCountedOnce) {
    Quad quad;
    EXPECT_EQ(quad.vertexBuffer.numVertices, 4);
    quad.uvRect = UVRect(0.25f, 0.5f, 0.75f, 0.25f);
    quad.setSize(128.0f, 64.0f);
    EXPECT_EQ(engine->frameStats[STAT_VERTEX_BUFFER_WRITES], 1);
    const Vertex* v = quad.vertexBuffer.pVertices;
    const float expected[4][4] = {{0.25f, 0.5f, -64.0f, 32.0f},
                                  {0.75f, 0.5f, 64.0f, 32.0f},
                                  {0.25f, 0.25f, -64.0f, -32.0f},
                                  {0.75f, 0.25f, 64.0f, -32.0f}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(v[i].u, expected[i][0]) << i;
        EXPECT_EQ(v[i].v, expected[i][1]) << i;
        EXPECT_EQ(v[i].x, expected[i][2]) << i;
        EXPECT_EQ(v[i].y, expected[i][3]) << i;
        EXPECT_EQ(v[i].z, 0.0f);
        EXPECT_EQ(v[i].color, UColor(255, 255, 255, 255));
    }
}

TEST_F(SkinTest, MosaicLaysCellsEdgeToEdgeAroundItsCentre) {
    Quad wide, narrow, lowWide, lowNarrow;
    wide.setSize(254.0f, 100.0f);
    narrow.uvRect = UVRect(1.0f / 256, 0.0f, 4.0f / 256, 100.0f / 256);
    narrow.setSize(3.0f, 100.0f);
    QuadMosaic mosaic;
    mosaic.setGridSize(2, 1);
    mosaic.cells[0] = &wide;
    mosaic.cells[1] = &narrow;
    mosaic.layout();
    EXPECT_EQ(mosaic.width, 257.0f);
    EXPECT_EQ(mosaic.height, 100.0f);
    const Vertex* v = mosaic.vertexBuffer.pVertices;
    EXPECT_EQ(mosaic.vertexBuffer.numVertices, 8);
    EXPECT_EQ(v[0].x, -128.5f);
    EXPECT_EQ(v[0].y, 50.0f);
    EXPECT_EQ(v[4].x, 125.5f); // the second cell's left edge
    EXPECT_EQ(v[6].x, 125.5f);
    EXPECT_EQ(v[5].x, 128.5f);
    EXPECT_EQ(v[7].y, -50.0f);
    EXPECT_EQ(v[5].u, 4.0f / 256);

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
        EXPECT_EQ(mosaic.cellCount, 1);
        EXPECT_EQ(mosaic.cells[0], first);
        mosaic.setGridSize(1, 2);
        EXPECT_EQ(mosaic.cells[1], nullptr);
    }
    EXPECT_EQ(int(engine->liveObjects.getNumChildren()), live); // neither cell went with the mosaic
    delete first;
    delete second;
}

TEST_F(SkinTest, AMosaicReportsTheSkinRecord) {
    QuadMosaic mosaic;
    Quad quad;
    EXPECT_EQ(mosaic.getClass(), &Skin::runtimeClass);
    EXPECT_STREQ(quad.getClass()->name.c_str(), "Quad");
}

} // namespace
