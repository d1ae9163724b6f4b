// Vertex buffers: resizing, the colour witness, drawing with its counters and
// the render state each draw sets, and the 2D helpers read back from the window.
#include "render/DrawBatch.h"
#include "render/DrawHelpers.h"
#include "render/MemoryImageFile.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "RenderWindowTest.h"
#include "render/Texture.h"
#include "render/VertexBuffer.h"

#include <SDL_opengl.h>
#include <cmath>
#include <gtest/gtest.h>

namespace {

class VertexBufferTest : public RenderWindowTest {
protected:
    int stat(int which) const { return PLIM->frameStats[which]; }
    static void fill(VertexBuffer& b, UColor c) {
        for (int i = 0; i < b.numVertices; ++i)
            b.pVertices[i] = Vertex{0.0f, 0.0f, c, float(i), 0.0f, 0.0f};
    }
};

const UColor RED(255, 0, 0, 255), GREEN(0, 255, 0, 255), BLUE(0, 0, 255, 255), WHITE(255, 255, 255, 255);

TEST_F(VertexBufferTest, VertexZeroWitnessesTheColour) {
    VertexBuffer b(4);
    fill(b, GREEN);
    b.pVertices[0].color = RED; // only vertex 0 has it: nothing is rewritten
    b.setColor(RED, false);
    EXPECT_EQ(b.pVertices[3].color, GREEN);
    EXPECT_EQ(stat(STAT_VERTEX_BUFFER_WRITES), 0);
    b.setColor(RED, true);
    EXPECT_EQ(b.pVertices[3].color, RED);
    b.setColor(BLUE, false);
    EXPECT_EQ(b.pVertices[3].color, BLUE);
    EXPECT_EQ(stat(STAT_VERTEX_BUFFER_WRITES), 2);

    PLIM->graphics->bTFACTORSupport = true; // the factor carries the tint: vertex 0 only
    b.setColor(GREEN, false);
    EXPECT_EQ(b.pVertices[0].color, GREEN);
    EXPECT_EQ(b.pVertices[1].color, BLUE);
    EXPECT_EQ(stat(STAT_VERTEX_BUFFER_WRITES), 2);

    VertexBuffer empty(0);
    empty.setColor(RED, true); // nothing to write, nothing counted
    empty.setColor(RED, false);
    EXPECT_EQ(stat(STAT_VERTEX_BUFFER_WRITES), 2);
}

TEST_F(VertexBufferTest, NegativeCountDrawsToTheLastVertex) {
    VertexBuffer b(4);
    const float xs[4] = {-100.0f, -50.0f, 50.0f, 100.0f};
    for (int i = 0; i < 4; ++i)
        b.pVertices[i] = Vertex{0.0f, 0.0f, i < 2 ? RED : GREEN, xs[i], 0.0f, 0.0f};
    PLIM->graphics->loadIdentity();
    glPointSize(3.0f);
    b.draw(nullptr, VertexBuffer::PRIM_POINTS, 2, -1);
    EXPECT_EQ(stat(STAT_VERTICES), 2);
    EXPECT_TRUE(colorNear(readWorldPixel(50.0f, 0.0f), GREEN));
    EXPECT_TRUE(colorNear(readWorldPixel(100.0f, 0.0f), GREEN));
    EXPECT_TRUE(colorNear(readWorldPixel(-100.0f, 0.0f), UColor(0, 0, 0, 255)));
    // A range reaching past the last vertex stops there.
    b.draw(nullptr, VertexBuffer::PRIM_POINTS, 3, 10);
    EXPECT_EQ(stat(STAT_VERTICES), 3);
    b.resize(4); // same count: the vertices stay
    EXPECT_EQ(b.pVertices[3].x, 100.0f);
    VertexBuffer empty(0); // draws nothing and accepts any type
    empty.draw(nullptr, 99, 0, -1);
    EXPECT_EQ(stat(STAT_VERTICES), 3);
}

TEST_F(VertexBufferTest, EachDrawSetsTheStateItNeeds) {
    VertexBuffer b(4);
    fill(b, WHITE);
    b.draw(nullptr, VertexBuffer::PRIM_TRIANGLE_STRIP, 0, -1);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));

    MemoryImageFile image(8, 8);
    image.clear(nullptr, true);
    Texture opaque(&image);
    opaque.bHasAlpha = false;
    b.draw(&opaque, VertexBuffer::PRIM_TRIANGLE_STRIP, 0, -1);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    // Batched, the opaque texture's GL_REPLACE is GL_MODULATE over white vertices.
    GLint mode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_EQ(mode, GL_MODULATE);
    // A translucent texture after it blends again, in the renderable's mode.
    Texture translucent(&image);
    PLIM->graphics->batch.setTexEnv(GL_MODULATE);
    b.draw(&translucent, VertexBuffer::PRIM_TRIANGLE_STRIP, 0, -1);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_EQ(mode, GL_MODULATE);
    // The frame's end leaves the baseline state.
    PLIM->graphics->present();
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D) && glIsEnabled(GL_BLEND));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(VertexBufferTest, HighlightDrawsTheRangeAgainAndLeavesOpaqueWhite) {
    MemoryImageFile image(8, 8);
    image.clear(nullptr, false);
    Texture texture(&image);
    VertexBuffer b(4);
    fill(b, RED);
    PLIM->debugLevel = 0x40;
    int writes = stat(STAT_VERTEX_BUFFER_WRITES);
    b.draw(&texture, VertexBuffer::PRIM_TRIANGLE_STRIP, 0, -1);
    EXPECT_EQ(stat(STAT_VERTICES), 8);
    EXPECT_EQ(stat(STAT_VERTEX_BUFFER_WRITES), writes + 2);
    EXPECT_EQ(b.pVertices[3].color, WHITE);
    PLIM->debugLevel = 0x08; // outline: the range once more as a line strip
    b.draw(&texture, VertexBuffer::PRIM_TRIANGLE_STRIP, 0, -1);
    EXPECT_EQ(stat(STAT_VERTICES), 16);
    PLIM->debugLevel = 0;
}

TEST_F(VertexBufferTest, UnknownPrimitiveTypesAreFatal) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (int type : {6, -1}) {
        EXPECT_DEATH(
            {
                EngineTestFolder::routeStdoutToStderr();
                VertexBuffer b(3);
                b.draw(nullptr, type, 0, -1);
            },
            "Unknown primitive type " + std::to_string(type));
    }
}

TEST_F(VertexBufferTest, HelpersDrawInWorldUnitsThroughTheView) {
    drawFilledRect(Rect(-100.0f, 50.0f, -20.0f, -50.0f), RED);
    EXPECT_TRUE(colorNear(readWorldPixel(-60.0f, 0.0f), RED));
    EXPECT_TRUE(colorNear(readWorldPixel(-10.0f, 0.0f), UColor(0, 0, 0, 255)));

    // Lines on pixel centres, so that rasterisation rules cannot move them a row.
    drawRectOutline(Rect(20.5f, 50.5f, 100.5f, -50.5f), GREEN);
    EXPECT_TRUE(colorNear(readWorldPixel(60.0f, 50.5f), GREEN));
    EXPECT_TRUE(colorNear(readWorldPixel(100.5f, 0.0f), GREEN));
    EXPECT_TRUE(colorNear(readWorldPixel(60.0f, 0.0f), UColor(0, 0, 0, 255)));

    // An end colour of 0 means one colour; alpha alone shades to black.
    drawLine(Rect(-300.0f, 100.5f, 300.0f, 100.5f), BLUE, UColor(0u));
    EXPECT_TRUE(colorNear(readWorldPixel(290.0f, 100.5f), BLUE));
    drawLine(Rect(-300.0f, 150.5f, 300.0f, 150.5f), BLUE, UColor(0xff000000u));
    EXPECT_TRUE(colorNear(readWorldPixel(-290.0f, 150.5f), BLUE, 8));
    EXPECT_TRUE(colorNear(readWorldPixel(290.0f, 150.5f), UColor(0, 0, 0, 255), 8));
    EXPECT_TRUE(colorNear(readWorldPixel(0.0f, 150.5f), UColor(0, 0, 128, 255), 8));
    EXPECT_EQ(stat(STAT_VERTEX_BUFFER_WRITES), 4);
}

// The pixels a benchmark weighs the fill by: triangles' window area clipped
// to the view; lines and points count nothing, and nothing is counted when off.
TEST_F(VertexBufferTest, CoverageCountsTheWindowAreaOfTrianglesInsideTheView) {
    DrawBatch::countCoverage = true;
    DrawBatch::coveredPixels = 0.0;
    drawFilledRect(Rect(-100.0f, 50.0f, -20.0f, -50.0f), RED); // 80 x 100
    EXPECT_NEAR(DrawBatch::coveredPixels, 8000.0, 0.5);
    drawFilledRect(Rect(300.0f, 10.0f, 400.0f, -10.0f), RED); // 20 of its 100 columns in the view
    EXPECT_NEAR(DrawBatch::coveredPixels, 8400.0, 0.5);
    drawFilledRect(Rect(-400.0f, 300.0f, 400.0f, -300.0f), RED); // the whole 640 x 480 view
    drawLine(Rect(-300.0f, 100.5f, 300.0f, 100.5f), BLUE, UColor(0u));
    EXPECT_NEAR(DrawBatch::coveredPixels, 8400.0 + 640.0 * 480.0, 0.5);
    DrawBatch::countCoverage = false;
    drawFilledRect(Rect(-100.0f, 50.0f, -20.0f, -50.0f), RED);
    EXPECT_NEAR(DrawBatch::coveredPixels, 8400.0 + 640.0 * 480.0, 0.5);
    EXPECT_GE(DrawBatch::coverageSeconds, 0.0);
}

} // namespace
