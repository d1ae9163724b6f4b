// The zeppelin's burn and final blast read back from the window, each frame
// drawn twice from the same cleared window: every quad over its whole
// rectangle, then cut to the part of its picture that can show. The two are
// equal to the byte, and the comparison sees a cut one texel too tight.
#include "render/DrawBatch.h"
#include "EnemyFixture.h"
#include "render/MemoryImageFile.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "render/Quad.h"
#include "render/ShownArea.h"
#include "render/Texture.h"
#include "world/World.h"
#include "world/enemies/Zeppelin.h"
#include "world/enemies/ZeppelinTurret.h"

#include <cstring>
#include <memory>

namespace {

const UColor GROUND(40, 70, 100, 255);

// A match that, for the frame after compareNext is set, draws its contents
// whole (drawing only) and then cut (drawing and the rules), each over the
// same cleared window, and keeps both read-backs.
class TwiceDrawnMatch : public ScriptedController {
public:
    void renderContents() override {
        if (!compareNext) {
            ScriptedController::renderContents();
            return;
        }
        compareNext = false;
        PlimGraphics* graphics = PLIM->graphics;
        Quad::trimming = false;
        graphics->clear(GROUND);
        Context::renderContents();
        whole.reset(graphics->grabFrameBuffer(nullptr));
        Quad::trimming = true;
        graphics->clear(GROUND);
        ScriptedController::renderContents();
        cut.reset(graphics->grabFrameBuffer(nullptr));
    }

    // Pixels of the two read-backs that differ.
    int differingPixels() const {
        int count = 0;
        const size_t pixels = size_t(whole->width) * size_t(whole->height);
        for (size_t i = 0; i < pixels; ++i)
            if (std::memcmp(whole->pImageData + 4 * i, cut->pImageData + 4 * i, 4) != 0) ++count;
        return count;
    }

    bool compareNext = false;
    std::unique_ptr<MemoryImageFile> whole, cut;
};

class BlastReadbackTest : public EnemyTest {
protected:
    // The next frame, drawn both ways; its differing pixels.
    int compareFrame(TwiceDrawnMatch* twice) {
        twice->compareNext = true;
        MatchHarness::setDrawing(true);
        harness->step();
        MatchHarness::setDrawing(false);
        EXPECT_TRUE(twice->whole && twice->cut);
        return twice->whole && twice->cut ? twice->differingPixels() : -1;
    }
    // Finds the explosion frames' areas again with the margin.
    static void trimExplosions(int margin) {
        Texture* frames = World::frames("explosion");
        MemoryImageFile image(frames->name, false);
        for (Skin* skin : frames->skins) {
            Quad* quad = static_cast<Quad*>(skin);
            const ShownArea area = ShownArea::find(&image, quad->pixelRect, frames->scaleFactor, frames->realWidth,
                                                   frames->realHeight, margin);
            quad->setShownArea(&area);
        }
    }
};

TEST_F(BlastReadbackTest, TheBlastDrawnCutIsTheBlastDrawnWholeToTheByteAndATighterCutShows) {
    auto* twice = start<TwiceDrawnMatch>();
    match = twice;
    // Every quad that can be cut is, whatever the renderer's threads.
    const double bandCost = DrawBatch::bandCost;
    DrawBatch::bandCost = 0.0;
    Reference<Zeppelin> airship(nullptr);
    airship.set(enter(new Zeppelin()));
    airship.get()->position = V3(0.0f, 0.0f, airship.get()->position.z); // the blast fills the view
    airship.get()->updateVisuals();
    Shooter gun(0, V3(0.0f, 300.0f, 0.0f));
    std::vector<ZeppelinTurret*> turrets;
    for (BasicLink* l = layer(GameController::LAYER_ENEMIES)->firstChild; l; l = l->next)
        if (auto* turret = dynamic_cast<ZeppelinTurret*>(static_cast<PlimBase*>(l))) turrets.push_back(turret);
    ASSERT_EQ(turrets.size(), 4u);
    for (ZeppelinTurret* turret : turrets) gun.dealDamage(turret, 10.0f);
    ASSERT_EQ(airship.get()->state, Zeppelin::STATE_BURNING);

    // Burning explosions over the sinking hull.
    const int64_t cutBefore = DrawBatch::bandedDraws;
    harness->runSeconds(2.0);
    EXPECT_EQ(compareFrame(twice), 0);
    for (int i = 0; i < 400 && airship.get(); ++i) harness->step();
    ASSERT_EQ(airship.get(), nullptr);

    // The nine explosions of the blast; a cut one texel too tight leaves out
    // pixels the pictures colour.
    EXPECT_EQ(compareFrame(twice), 0);
    trimExplosions(0);
    const int tight = compareFrame(twice);
    trimExplosions(1);
    EXPECT_GT(tight, 0);
    // Then as they grow, turn and fade.
    for (int frame = 0; frame < 6; ++frame) {
        harness->steps(20);
        EXPECT_EQ(compareFrame(twice), 0) << frame;
    }
    EXPECT_GT(DrawBatch::bandedDraws - cutBefore, 200);
    DrawBatch::bandCost = bandCost;
}

} // namespace
