#include "NetMatchView.h"

#include "widgets/Background.h"
#include "CameraBlender.h"
#include "ContextBlender.h"
#include "FontQuad.h"
#include "app/Global.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "net/NetRole.h"
#include "world/CameraStatic.h"

namespace {
// Draws the role's children (the root and the stand-ins) in the scene's view.
class RoleDrawing : public PlimBase {
public:
    explicit RoleDrawing(NetRole* role) : role(role) {}
    void render() override { role->render(); }
    NetRole* role;
};

// The overlay in screen units from the top left corner.
class RoleOverlay : public PlimBase {
public:
    explicit RoleOverlay(NetRole* role) : role(role) {}
    void render() override {
        PlimGraphics* g = PLIM->graphics;
        if (!g || !gGlobal) return;
        role->renderDebugInfo(V3(10.0f - 0.5f * float(g->fovWidth), 0.5f * float(g->fovHeight) - 10.0f, 0.0f),
                              gGlobal->fontSmall);
    }
    NetRole* role;
};
} // namespace

NetMatchView::NetMatchView(NetRole* role) {
    bDeleteWhenDone = true;
    bEscapeCloses = false;
    bMousePointer = false;
    scene = new ContextBlender();
    scene->addChild(new Background());
    const int width = PLIM->graphics ? PLIM->graphics->fovWidth : 640;
    // The match's view over both islands.
    scene->getCameraBlender()->addChild(new CameraStatic(0.0f, 0.0f, -0.5f * float(width)));
    scene->addChild(new RoleDrawing(role));
    hud = new Context();
    hud->addChild(new RoleOverlay(role));
    addChild(scene);
    addChild(hud);
}
