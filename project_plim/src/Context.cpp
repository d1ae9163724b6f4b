#include "Context.h"

#include "Plim.h"
#include "PlimGraphics.h"
#include "RuntimeClass.h"

// The camera of a context arrives with the rendering classes; until then
// contexts run without one, which every camera step below allows for.

RuntimeClass Context::runtimeClass("Context", &PlimBase::runtimeClass,
                                   []() -> void* { return Context::create(); });

RuntimeClass* Context::getClass() { return &runtimeClass; }

Context::Context() {}

Context::~Context() {}

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

    tickContents(time, dt);

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

V3 Context::transformPosition(Context*, float x, float y, float z) {
    // Without cameras every context shows the same world.
    return V3(x, y, z);
}
