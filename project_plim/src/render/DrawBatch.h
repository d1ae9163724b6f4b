#pragma once
// Collects consecutive draws that share a texture and render state into one
// glDrawArrays, and remembers the OpenGL state it set so that a bind, blend or
// texture-environment call that would change nothing is skipped. Each batched
// vertex carries its draw's projection x model-view product, formed on the CPU
// exactly as OpenGL forms it, and a small vertex program applies it as the
// fixed pipeline would, so batched and single draws give the same pixels.
// Without vertex programs the vertices are moved on the CPU instead. Points and
// lines go to OpenGL at once with the current matrix. Anything that draws,
// reads or uploads past the batch calls flush first.
//
// A draw may name the area its texels can show in (a quad's ShownArea). When
// its triangles cover many more window pixels than that area, its part of the
// batch is sent once per scissor band around the area (ScissorBands): the
// rasteriser then shades only the bands. Its triangles, and every value
// interpolated over them, stay as they were, so each pixel drawn is the pixel
// drawn whole, and those left out got no alpha.
#include "ScissorBands.h"
#include "Vertex.h"

#include <cstdint>
#include <optional>
#include <vector>

class ShownArea;

class DrawBatch {
public:
    DrawBatch();

    // The model-view matrix of the following draws, column-major.
    void setMatrix(const float m[16]);
    void setIdentity();
    // GL_REPLACE or GL_MODULATE for the following textured draws with alpha.
    void setTexEnv(int mode);

    // handle 0 with textured false draws untextured; opaque draws without
    // blending and with GL_REPLACE. shown, in the draw's local units (z 0):
    // outside it no texel changes a pixel (blended textured triangles only).
    void draw(const Vertex* vertices, int glMode, int first, int count, bool textured, unsigned handle,
              bool opaque, const ShownArea* shown = nullptr);
    // Sends the pending triangles.
    void flush();
    // flush; the projection is about to change (it is read back when needed).
    void projectionChanging();
    // flush, then OpenGL's model-view matrix becomes the current one, for
    // drawing made directly with OpenGL.
    void sync();
    // flush, then blending, texturing and GL_MODULATE as the frame starts.
    void restoreDefaults();

    // The state setters, each skipped when OpenGL already holds the value.
    void bindTexture(unsigned handle);
    void setBlend(bool on);
    void setTexturing(bool on);
    void applyTexEnv(int mode);

    // OpenGL's state is no longer known (a new context or state set elsewhere).
    void forget();
    // A texture was bound directly (after a flush), for an upload.
    void boundElsewhere(unsigned handle) { boundTexture = handle; }
    // A texture name was deleted: a later name of the same number is a new texture.
    void textureDeleted(unsigned handle);

    // While set, the window pixels covered by the triangles drawn (clipped to
    // the viewport) are summed into coveredPixels: the fill the renderer does.
    // coverageSeconds is the time spent counting, for benchmarks to leave out.
    static bool countCoverage;
    static double coveredPixels;
    static double coverageSeconds;
    // Draws cut into scissor bands, and their bands (a benchmark's figures).
    static int64_t bandedDraws;
    static int64_t bands;
    // A band pays when it leaves out this many covered pixels (from the
    // software renderer's threads; tests may lower it).
    static double bandCost;

    // The area of the triangle abc (window coordinates) inside the rectangle
    // x0..x1 x y0..y1, for corners however far out.
    static double clippedArea(const ScissorBands::Point& a, const ScissorBands::Point& b,
                              const ScissorBands::Point& c, double x0, double y0, double x1, double y1);

    // A batched vertex: the vertex and its draw's matrix.
    struct Batched {
        Vertex v;
        float columns[16];
    };

private:
    using Point = ScissorBands::Point;
    // Pending triangles [from, to) drawn whole, or once per band [bandFrom, bandTo).
    struct Run {
        uint32_t from, to, bandFrom, bandTo;
    };

    void append(const Vertex* vertices, int glMode, int first, int count, bool white);
    // Draws count pending vertices: the runs in order, when any is cut.
    void drawPending(int count);
    bool setUpProgram();
    // Reads the projection and the viewport when they may have changed.
    void knowProjection();
    // The viewport's pixels.
    ScissorBands::Rect windowRect();
    void productColumns(float columns[16]);
    // The point through projection x model-view and the viewport; false behind the eye.
    bool toWindow(const float columns[16], float x, float y, float z, Point& out);
    // The triangles' window pixels within the rectangle.
    double coveredArea(const Vertex* vertices, int glMode, int first, int count, const ScissorBands::Rect& within);
    // Plans cut for a draw with a shown area: false when it is better drawn whole.
    bool cutToShownArea(const Vertex* vertices, int glMode, int first, int count, const ShownArea& shown);

    std::vector<Vertex> pending;
    std::vector<Batched> pendingMatrixed;
    ScissorBands cut;
    std::vector<Run> runs;
    std::vector<ScissorBands::Rect> runBands;
    // coveredArea's scratch: a draw's vertices in the window.
    std::vector<Point> windowCorners;
    enum class Program : int8_t {
        UNTRIED, // looked for before the next batch
        RUNS,    // batched vertices carry their matrix to the vertex program
        NONE     // the CPU moves batched vertices
    };
    Program program = Program::UNTRIED;
    unsigned programName = 0;
    float projection[16];
    int viewport[4] = {0, 0, 0, 0};
    bool projectionKnown = false;
    bool pendingTextured = false;
    unsigned pendingHandle = 0;
    bool pendingOpaque = false;
    int pendingEnv = 0;

    float matrix[16];
    bool matrixIdentity = true;
    bool matrixAffine = true;
    // What OpenGL's model-view holds.
    enum class GlMatrix : int8_t { UNKNOWN, IDENTITY, CURRENT };
    GlMatrix glMatrix = GlMatrix::UNKNOWN;
    int requestedEnv;

    // Known OpenGL state: empty or UNKNOWN while not known.
    enum class Switch : int8_t { UNKNOWN, OFF, ON };
    static Switch switchOf(bool on) { return on ? Switch::ON : Switch::OFF; }
    std::optional<unsigned> boundTexture;
    Switch blend = Switch::UNKNOWN;
    Switch texturing = Switch::UNKNOWN;
    std::optional<int> texEnv;
    const void* arrayPointer = nullptr;
};
