#include "DrawBatch.h"

#include "ShownArea.h"

#include <SDL.h>
#include <SDL_opengl.h>
#include <cstddef>
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

const float IDENTITY[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// The matrix columns travel as the generic attributes from this one on, which
// alias nothing we use.
const GLuint FIRST_ROW_ATTRIBUTE = 4;
const GLuint MATRIX_COLUMNS = 4;

// A batch's vertices seldom outgrow this many.
const size_t RESERVED_VERTICES = 6 * 1024;
// Beyond any window coordinate: where a bounding box starts.
const double FAR_AWAY = 1e30;
// Clipping to an edge keeps each corner and adds each crossing at most, which
// at most doubles the corners: a triangle ends with 3 x 2^4 at most, whatever
// the coordinates (a convex polygon gains one corner an edge, but rounding,
// infinities and NaNs need not keep it convex).
const int MAX_CLIPPED_CORNERS = 3 << 4;

// The fixed pipeline's position transform as Mesa runs it (a multiply and
// three multiply-adds over the columns of projection x model-view); colour
// and texture coordinates pass through.
std::string programText() {
    char text[512];
    snprintf(text, sizeof text,
             "!!ARBvp1.0\n"
             "TEMP t;\n"
             "MUL t, vertex.position.x, vertex.attrib[%u];\n"
             "MAD t, vertex.position.y, vertex.attrib[%u], t;\n"
             "MAD t, vertex.position.z, vertex.attrib[%u], t;\n"
             "MAD result.position, vertex.position.w, vertex.attrib[%u], t;\n"
             "MOV result.color, vertex.color;\n"
             "MOV result.texcoord[0], vertex.texcoord[0];\n"
             "END\n",
             FIRST_ROW_ATTRIBUTE, FIRST_ROW_ATTRIBUTE + 1, FIRST_ROW_ATTRIBUTE + 2, FIRST_ROW_ATTRIBUTE + 3);
    return text;
}

// The triangles OpenGL makes of count vertices in glMode.
int triangleCount(int glMode, int count) { return glMode == GL_TRIANGLES ? count / 3 : count - 2; }

// take(a, b, c) for every triangle of a list, strip or fan of count vertices,
// each with the vertex numbers in the order OpenGL takes them.
template <class Take>
void eachTriangle(int glMode, int count, Take take) {
    const int triangles = triangleCount(glMode, count);
    for (int t = 0; t < triangles; ++t) {
        if (glMode == GL_TRIANGLES)
            take(3 * t, 3 * t + 1, 3 * t + 2);
        else if (glMode == GL_TRIANGLE_FAN)
            take(0, t + 1, t + 2);
        else if (t & 1)
            take(t + 1, t, t + 2);
        else
            take(t, t + 1, t + 2);
    }
}

PFNGLGENPROGRAMSARBPROC genPrograms;
PFNGLBINDPROGRAMARBPROC bindProgram;
PFNGLPROGRAMSTRINGARBPROC programString;
PFNGLISPROGRAMARBPROC isProgram;
PFNGLDELETEPROGRAMSARBPROC deletePrograms;
PFNGLVERTEXATTRIBPOINTERARBPROC attribPointer;
PFNGLENABLEVERTEXATTRIBARRAYARBPROC enableAttribArray;
PFNGLDISABLEVERTEXATTRIBARRAYARBPROC disableAttribArray;

// A scissor band costs the drawing thread some 5 us with the software
// renderer's threads (LP_NUM_THREADS, else one a CPU), some 22 us when that
// thread also rasterises (LP_NUM_THREADS=0: Mesa faults in fresh pages at each
// band there); a pixel left out saves some 5.3 ns of CPU, shared by the
// threads: ~1000 pixels a thread, ~4000 on the drawing thread alone.
double threadedBandCost() {
    const char* threads = std::getenv("LP_NUM_THREADS");
    const long count = threads ? std::atol(threads) : long(std::thread::hardware_concurrency());
    return count > 0 ? 1000.0 * double(count) : 4000.0;
}

} // namespace

double DrawBatch::clippedArea(const Point& a, const Point& b, const Point& c, double x0, double y0, double x1,
                              double y1) {
    // Two arrays, not two rows of one: an overrun meets the sanitizers' guard
    // around each rather than the other's corners.
    Point in[MAX_CLIPPED_CORNERS], clipped[MAX_CLIPPED_CORNERS];
    in[0] = a;
    in[1] = b;
    in[2] = c;
    int count = 3;
    Point* poly = in;
    Point* out = clipped;
    for (int edge = 0; edge < 4 && count > 0; ++edge) {
        const int axis = edge / 2;
        const bool upper = edge % 2;
        const double limit = upper ? (axis ? y1 : x1) : (axis ? y0 : x0);
        auto inside = [&](const Point& p) { return upper ? p[axis] <= limit : p[axis] >= limit; };
        int kept = 0;
        for (int i = 0; i < count; ++i) {
            const Point& from = poly[i];
            const Point& to = poly[(i + 1) % count];
            if (inside(from)) out[kept++] = from;
            if (inside(from) != inside(to)) {
                // Measured from the end nearer the edge: from a corner 1e20 out
                // the crossing would lose every digit the window needs.
                const bool fromNearer = std::fabs(from[axis] - limit) <= std::fabs(to[axis] - limit);
                const Point& p = fromNearer ? from : to;
                const Point& q = fromNearer ? to : from;
                const double t = (limit - p[axis]) / (q[axis] - p[axis]);
                Point& crossing = out[kept++];
                crossing = {p[0] + t * (q[0] - p[0]), p[1] + t * (q[1] - p[1])};
                crossing[axis] = limit;
            }
        }
        std::swap(poly, out);
        count = kept;
    }
    double twice = 0.0;
    for (int i = 0; i < count; ++i) {
        const Point& from = poly[i];
        const Point& to = poly[(i + 1) % count];
        twice += from[0] * to[1] - to[0] * from[1];
    }
    return std::fabs(twice) * 0.5;
}

bool DrawBatch::countCoverage = false;
double DrawBatch::coveredPixels = 0.0;
double DrawBatch::coverageSeconds = 0.0;
int64_t DrawBatch::bandedDraws = 0;
int64_t DrawBatch::bands = 0;
double DrawBatch::bandCost = threadedBandCost();

DrawBatch::DrawBatch() : requestedEnv(GL_MODULATE) {
    std::memcpy(matrix, IDENTITY, sizeof(matrix));
    pending.reserve(RESERVED_VERTICES);
    pendingMatrixed.reserve(RESERVED_VERTICES);
}

void DrawBatch::setMatrix(const float m[16]) {
    std::memcpy(matrix, m, sizeof(matrix));
    matrixIdentity = std::memcmp(m, IDENTITY, sizeof(matrix)) == 0;
    matrixAffine = m[3] == 0.0f && m[7] == 0.0f && m[11] == 0.0f && m[15] == 1.0f;
    if (glMatrix == GlMatrix::CURRENT) glMatrix = GlMatrix::UNKNOWN;
}

void DrawBatch::setIdentity() { setMatrix(IDENTITY); }

void DrawBatch::setTexEnv(int mode) { requestedEnv = mode; }

void DrawBatch::draw(const Vertex* vertices, int glMode, int first, int count, bool textured, unsigned handle,
                     bool opaque, const ShownArea* shown) {
    const bool triangles = glMode == GL_TRIANGLES || glMode == GL_TRIANGLE_STRIP || glMode == GL_TRIANGLE_FAN;
    const bool batched = triangles && matrixAffine;
    if (batched && program == Program::UNTRIED) program = setUpProgram() ? Program::RUNS : Program::NONE;
    const bool banded = shown && batched && textured && !opaque && count >= 3 &&
                        cutToShownArea(vertices, glMode, first, count, *shown);
    if (countCoverage && triangles) {
        const auto start = std::chrono::steady_clock::now();
        if (banded)
            for (const ScissorBands::Rect& b : cut.bands) coveredPixels += coveredArea(vertices, glMode, first, count, b);
        else
            coveredPixels += coveredArea(vertices, glMode, first, count, windowRect());
        coverageSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    // Batched, a GL_REPLACE draw is the same draw with white vertices under
    // GL_MODULATE (texture x 1 is the texture), so tinted and untinted draws
    // of one texture share a batch.
    const bool replace = textured && (opaque || requestedEnv == GL_REPLACE);
    const int env = !textured ? 0 : batched ? GL_MODULATE : replace ? GL_REPLACE : GL_MODULATE;
    if (banded && cut.bands.empty()) return; // nothing of it can show in the window
    if ((!pending.empty() || !pendingMatrixed.empty()) && (!batched || pendingTextured != textured ||
                             pendingHandle != handle || pendingOpaque != opaque || pendingEnv != env))
        flush();
    setTexturing(textured);
    if (textured) {
        bindTexture(handle);
        setBlend(!opaque);
        applyTexEnv(env);
    } else {
        setBlend(true);
    }
    if (batched) {
        pendingTextured = textured;
        pendingHandle = handle;
        pendingOpaque = opaque;
        pendingEnv = env;
        const size_t from = program == Program::RUNS ? pendingMatrixed.size() : pending.size();
        append(vertices, glMode, first, count, replace);
        const uint32_t to = uint32_t(program == Program::RUNS ? pendingMatrixed.size() : pending.size());
        if (banded) {
            runs.push_back({uint32_t(from), to, uint32_t(runBands.size()), uint32_t(runBands.size() + cut.bands.size())});
            runBands.insert(runBands.end(), cut.bands.begin(), cut.bands.end());
            ++bandedDraws;
            bands += int64_t(cut.bands.size());
        } else if (!runs.empty() && runs.back().bandFrom == runs.back().bandTo) {
            runs.back().to = to;
        } else {
            runs.push_back({uint32_t(from), to, 0, 0});
        }
        return;
    }
    sync();
    if (arrayPointer != vertices) {
        glInterleavedArrays(GL_T2F_C4UB_V3F, 0, vertices);
        arrayPointer = vertices;
    }
    glDrawArrays(GLenum(glMode), first, count);
}

bool DrawBatch::setUpProgram() {
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (!extensions || !strstr(extensions, "GL_ARB_vertex_program")) return false;
    genPrograms = reinterpret_cast<PFNGLGENPROGRAMSARBPROC>(SDL_GL_GetProcAddress("glGenProgramsARB"));
    bindProgram = reinterpret_cast<PFNGLBINDPROGRAMARBPROC>(SDL_GL_GetProcAddress("glBindProgramARB"));
    programString = reinterpret_cast<PFNGLPROGRAMSTRINGARBPROC>(SDL_GL_GetProcAddress("glProgramStringARB"));
    isProgram = reinterpret_cast<PFNGLISPROGRAMARBPROC>(SDL_GL_GetProcAddress("glIsProgramARB"));
    deletePrograms = reinterpret_cast<PFNGLDELETEPROGRAMSARBPROC>(SDL_GL_GetProcAddress("glDeleteProgramsARB"));
    attribPointer =
        reinterpret_cast<PFNGLVERTEXATTRIBPOINTERARBPROC>(SDL_GL_GetProcAddress("glVertexAttribPointerARB"));
    enableAttribArray = reinterpret_cast<PFNGLENABLEVERTEXATTRIBARRAYARBPROC>(
        SDL_GL_GetProcAddress("glEnableVertexAttribArrayARB"));
    disableAttribArray = reinterpret_cast<PFNGLDISABLEVERTEXATTRIBARRAYARBPROC>(
        SDL_GL_GetProcAddress("glDisableVertexAttribArrayARB"));
    if (!genPrograms || !bindProgram || !programString || !isProgram || !deletePrograms || !attribPointer ||
        !enableAttribArray || !disableAttribArray)
        return false;
    while (glGetError() != GL_NO_ERROR) {
    }
    // State forgotten in the same context leaves our program standing; the
    // driver keeps every program until its context ends, so a new one each
    // time would grow for as long as the game runs.
    if (programName != 0 && isProgram(programName)) {
        bindProgram(GL_VERTEX_PROGRAM_ARB, programName);
        return glGetError() == GL_NO_ERROR;
    }
    genPrograms(1, &programName);
    bindProgram(GL_VERTEX_PROGRAM_ARB, programName);
    const std::string text = programText();
    programString(GL_VERTEX_PROGRAM_ARB, GL_PROGRAM_FORMAT_ASCII_ARB, GLsizei(text.size()), text.c_str());
    if (glGetError() == GL_NO_ERROR) return true;
    // One the driver refused is never taken up again.
    bindProgram(GL_VERTEX_PROGRAM_ARB, 0);
    deletePrograms(1, &programName);
    programName = 0;
    return false;
}

void DrawBatch::knowProjection() {
    if (projectionKnown) return;
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    projectionKnown = true;
}

ScissorBands::Rect DrawBatch::windowRect() {
    knowProjection();
    return {viewport[0], viewport[1], viewport[0] + viewport[2], viewport[1] + viewport[3]};
}

// Projection x model-view as OpenGL forms it (a plain sum of four products per
// element, in this order), column-major.
void DrawBatch::productColumns(float columns[16]) {
    knowProjection();
    const float* a = projection;
    const float* b = matrix;
    float p[16];
    for (int i = 0; i < 4; ++i) {
        const float ai0 = a[i], ai1 = a[4 + i], ai2 = a[8 + i], ai3 = a[12 + i];
        for (int j = 0; j < 4; ++j)
            p[4 * j + i] = ai0 * b[4 * j] + ai1 * b[4 * j + 1] + ai2 * b[4 * j + 2] + ai3 * b[4 * j + 3];
    }
    std::memcpy(columns, p, sizeof(p));
}

bool DrawBatch::toWindow(const float columns[16], float x, float y, float z, Point& out) {
    double c[4];
    for (int i = 0; i < 4; ++i)
        c[i] = double(columns[i]) * x + double(columns[4 + i]) * y + double(columns[8 + i]) * z + columns[12 + i];
    if (c[3] <= 0.0) return false; // behind the eye
    out = {viewport[0] + (c[0] / c[3] + 1.0) * 0.5 * viewport[2], viewport[1] + (c[1] / c[3] + 1.0) * 0.5 * viewport[3]};
    return true;
}

double DrawBatch::coveredArea(const Vertex* vertices, int glMode, int first, int count,
                              const ScissorBands::Rect& within) {
    if (count < 3) return 0.0;
    float columns[16];
    productColumns(columns);
    const Vertex* in = vertices + first;
    windowCorners.resize(size_t(count));
    for (int k = 0; k < count; ++k)
        if (!toWindow(columns, in[k].x, in[k].y, in[k].z, windowCorners[size_t(k)])) return 0.0; // never drawn here
    double sum = 0.0;
    eachTriangle(glMode, count, [&](int a, int b, int c) {
        sum += clippedArea(windowCorners[size_t(a)], windowCorners[size_t(b)], windowCorners[size_t(c)], within.x0,
                           within.y0, within.x1, within.y1);
    });
    return sum;
}

bool DrawBatch::cutToShownArea(const Vertex* vertices, int glMode, int first, int count, const ShownArea& shown) {
    cut.bands.clear();
    if (shown.corners == 0) return true;
    float columns[16];
    productColumns(columns);
    // What covers fewer pixels than a band costs is drawn whole (most sprites).
    Point low = {FAR_AWAY, FAR_AWAY}, high = {-FAR_AWAY, -FAR_AWAY};
    for (int k = first; k < first + count; ++k) {
        Point p;
        if (!toWindow(columns, vertices[k].x, vertices[k].y, vertices[k].z, p)) return false;
        low = {std::min(low[0], p[0]), std::min(low[1], p[1])};
        high = {std::max(high[0], p[0]), std::max(high[1], p[1])};
    }
    const double boxPixels =
        std::max(0.0, std::min(high[0], double(viewport[0] + viewport[2])) - std::max(low[0], double(viewport[0]))) *
        std::max(0.0, std::min(high[1], double(viewport[1] + viewport[3])) - std::max(low[1], double(viewport[1])));
    if (boxPixels <= bandCost) return false;
    Point area[ShownArea::MAX_CORNERS];
    for (int i = 0; i < shown.corners; ++i)
        if (!toWindow(columns, shown.x[i], shown.y[i], 0.0f, area[i])) return false;
    return cut.plan(area, shown.corners, viewport, coveredArea(vertices, glMode, first, count, windowRect()),
                    bandCost);
}

void DrawBatch::append(const Vertex* vertices, int glMode, int first, int count, bool white) {
    if (count < 3) return;
    if (program == Program::UNTRIED) program = setUpProgram() ? Program::RUNS : Program::NONE;
    const int corners = 3 * triangleCount(glMode, count);
    const Vertex* in = vertices + first;
    if (program == Program::RUNS) {
        float columns[16];
        productColumns(columns);
        const size_t start = pendingMatrixed.size();
        pendingMatrixed.resize(start + size_t(corners));
        Batched* out = pendingMatrixed.data() + start;
        eachTriangle(glMode, count, [&](int a, int b, int c) {
            for (int k : {a, b, c}) {
                out->v = in[k];
                if (white) out->v.color = UColor::WHITE;
                std::memcpy(out->columns, columns, sizeof(columns));
                ++out;
            }
        });
        return;
    }
    const size_t start = pending.size();
    pending.resize(start + size_t(corners));
    Vertex* out = pending.data() + start;
    eachTriangle(glMode, count, [&](int a, int b, int c) {
        for (int k : {a, b, c}) {
            *out = in[k];
            if (white) out->color = UColor::WHITE;
            ++out;
        }
    });
    if (matrixIdentity) return;
    const float* m = matrix;
    for (Vertex* v = pending.data() + start; v != out; ++v) {
        const float x = v->x, y = v->y, z = v->z;
        v->x = m[0] * x + m[4] * y + m[8] * z + m[12];
        v->y = m[1] * x + m[5] * y + m[9] * z + m[13];
        v->z = m[2] * x + m[6] * y + m[10] * z + m[14];
    }
}

void DrawBatch::drawPending(int count) {
    if (runBands.empty()) {
        glDrawArrays(GL_TRIANGLES, 0, count);
    } else {
        // Runs in order: whole, or once per band under the scissor.
        bool scissor = false;
        for (const Run& run : runs) {
            if (scissor != (run.bandFrom < run.bandTo)) {
                scissor = !scissor;
                if (scissor)
                    glEnable(GL_SCISSOR_TEST);
                else
                    glDisable(GL_SCISSOR_TEST);
            }
            for (uint32_t b = run.bandFrom; b < run.bandTo; ++b) {
                const ScissorBands::Rect& r = runBands[b];
                glScissor(r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0);
                glDrawArrays(GL_TRIANGLES, GLint(run.from), GLsizei(run.to - run.from));
            }
            if (!scissor) glDrawArrays(GL_TRIANGLES, GLint(run.from), GLsizei(run.to - run.from));
        }
        if (scissor) glDisable(GL_SCISSOR_TEST);
    }
    runs.clear();
    runBands.clear();
}

void DrawBatch::flush() {
    if (!pendingMatrixed.empty()) {
        const GLsizei stride = sizeof(Batched);
        glInterleavedArrays(GL_T2F_C4UB_V3F, stride, pendingMatrixed.data());
        arrayPointer = nullptr;
        for (GLuint i = 0; i < MATRIX_COLUMNS; ++i) {
            attribPointer(FIRST_ROW_ATTRIBUTE + i, 4, GL_FLOAT, GL_FALSE, stride, pendingMatrixed[0].columns + 4 * i);
            enableAttribArray(FIRST_ROW_ATTRIBUTE + i);
        }
        glEnable(GL_VERTEX_PROGRAM_ARB);
        drawPending(int(pendingMatrixed.size()));
        glDisable(GL_VERTEX_PROGRAM_ARB);
        for (GLuint i = 0; i < MATRIX_COLUMNS; ++i) disableAttribArray(FIRST_ROW_ATTRIBUTE + i);
        pendingMatrixed.clear();
    }
    if (pending.empty()) return;
    if (glMatrix != GlMatrix::IDENTITY) {
        glLoadIdentity();
        glMatrix = GlMatrix::IDENTITY;
    }
    if (arrayPointer != pending.data()) {
        glInterleavedArrays(GL_T2F_C4UB_V3F, 0, pending.data());
        arrayPointer = pending.data();
    }
    drawPending(int(pending.size()));
    pending.clear();
}

void DrawBatch::projectionChanging() {
    flush();
    projectionKnown = false;
}

void DrawBatch::sync() {
    flush();
    if (matrixIdentity) {
        if (glMatrix != GlMatrix::IDENTITY) glLoadIdentity();
        glMatrix = GlMatrix::IDENTITY;
    } else if (glMatrix != GlMatrix::CURRENT) {
        glLoadMatrixf(matrix);
        glMatrix = GlMatrix::CURRENT;
    }
}

void DrawBatch::restoreDefaults() {
    flush();
    setTexturing(true);
    setBlend(true);
    applyTexEnv(GL_MODULATE);
}

void DrawBatch::bindTexture(unsigned handle) {
    if (boundTexture == handle) return;
    flush();
    glBindTexture(GL_TEXTURE_2D, handle);
    boundTexture = handle;
}

void DrawBatch::setBlend(bool on) {
    if (blend == switchOf(on)) return;
    flush();
    if (on) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_NOTEQUAL, 0.0f);
    } else {
        glDisable(GL_BLEND);
        glDisable(GL_ALPHA_TEST);
    }
    blend = switchOf(on);
}

void DrawBatch::setTexturing(bool on) {
    if (texturing == switchOf(on)) return;
    flush();
    if (on)
        glEnable(GL_TEXTURE_2D);
    else
        glDisable(GL_TEXTURE_2D);
    texturing = switchOf(on);
}

void DrawBatch::applyTexEnv(int mode) {
    if (texEnv == mode) return;
    flush();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, mode);
    texEnv = mode;
}

void DrawBatch::forget() {
    flush();
    projectionKnown = false;
    // Looked at again before the next batch: a new context has no program yet.
    program = Program::UNTRIED;
    boundTexture.reset();
    blend = texturing = Switch::UNKNOWN;
    texEnv.reset();
    glMatrix = GlMatrix::UNKNOWN;
    arrayPointer = nullptr;
}

void DrawBatch::textureDeleted(unsigned handle) {
    if (boundTexture == handle) boundTexture.reset();
}
