#pragma once
// An owned array of interleaved vertices drawn with one client-array call.
// Skins embed one; temporary ones on the stack serve debug drawing and the 2D
// helpers. Draws feed the engine's vertex and vertex-buffer-write counters.
#include "core/PlimBase.h"
#include "util/UColor.h"
#include "Vertex.h"

#include <cstdint>

class ShownArea;
class Texture;

class VertexBuffer : public PlimBase {
public:
    // Primitive types of draw.
    enum {
        PRIM_POINTS = 0,
        PRIM_LINES = 1,
        PRIM_LINE_STRIP = 2,
        PRIM_TRIANGLES = 3,
        PRIM_TRIANGLE_STRIP = 4,
        PRIM_TRIANGLE_FAN = 5
    };

    // The vertices' contents are undefined until written.
    explicit VertexBuffer(int vertexCount = 0);
    ~VertexBuffer() override;
    RuntimeClass* getClass() override;
    static RuntimeClass runtimeClass;
    static PlimBase* create();

    // The same count keeps the contents; any other count discards them.
    void resize(int vertexCount);
    // One vertex-buffer write in the frame statistics; callers count once per batch.
    void countWrite();
    // Every vertex gets c. Without force, vertex 0 is the witness: when it
    // already holds c nothing is written.
    void setColor(UColor c, bool force);
    // count < 0 draws up to the last vertex; a null texture draws untextured.
    // An empty buffer draws nothing; an unknown type is fatal. With shown
    // (local units) the triangles draw only where their texels can show.
    void draw(Texture* texture, int type, int first, int count, const ShownArea* shown = nullptr);

    Vertex* pVertices = nullptr;
    int32_t numVertices = 0;
};
