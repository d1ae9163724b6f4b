#include "Context.h"

#include "render/Camera.h"
#include "Plim.h"
#include "render/PlimGraphics.h"
#include "input/PlimInput.h"
#include "RuntimeClass.h"

// A subclass may take the camera away; every camera step below allows for that.

RuntimeClass Context::runtimeClass("Context", &PlimBase::runtimeClass,
                                   []() -> void* { return Context::create(); });

RuntimeClass* Context::getClass() { return &runtimeClass; }

Context::Context() { camera = new Camera(); }

Context::~Context() {
    if (camera) camera->deleteMe();
    camera = nullptr;
}

PlimBase* Context::create() { return new Context(); }

void Context::tick(double, double) {
    if (preContext) preContext->tick(time, dt);

    Context* previous = PLIM->currentContext;
    PLIM->currentContext = this;

    dt = PLIM->getDeltaTime();
    if (dt > PLIM->maxFrameDuration) dt = PLIM->maxFrameDuration;
    dt *= timeScale;
    time += dt;
    if (duration != 0.0 && time > duration) bDone = true;

    if (camera) {
        camera->tick(time, dt);
        mouseWorldPrevious = mouseWorld;
        PlimInput* input = PLIM->input;
        mouseWorld = camera->screenToWorld(input ? input->mousePosition[0] : 0.0f,
                                           input ? input->mousePosition[1] : 0.0f, 0.0f);
        mouseWorldDelta = mouseWorld - mouseWorldPrevious;
    }

    tickContents(time, dt);

    if (camera) camera->updateCamera(time, dt);

    PLIM->currentContext = previous;

    if (postContext) postContext->tick(time, dt);
}

void Context::render() {
    if (preContext) preContext->render();

    Context* previous = PLIM->currentContext;
    PLIM->currentContext = this;

    PlimGraphics* graphics = PLIM->graphics;
    if (graphics && clearColour.toU32() != 0) graphics->clear(clearColour);
    float projection[16];
    if (graphics) graphics->getProjectionMatrix(projection);
    if (camera) camera->render();

    renderContents();

    if (graphics) graphics->setProjectionMatrix(projection);
    PLIM->currentContext = previous;

    if (postContext) postContext->render();
}

void Context::tickContext(double time, double dt) { tick(time, dt); }

void Context::renderContext() { render(); }

void Context::onActivate(bool) {}

void Context::onDeactivate(bool) {}

void Context::tickContents(double time, double dt) { PlimBase::tick(time, dt); }

void Context::renderContents() { PlimBase::render(); }

V3 Context::transformPosition(Context* from, float x, float y, float z) {
    // Without cameras both contexts show the same world.
    if (!camera || !from || !from->camera) return V3(x, y, z);
    const V3 screen = from->camera->worldToScreen(x, y, z);
    return camera->screenToWorld(screen.x, screen.y, screen.z);
}
