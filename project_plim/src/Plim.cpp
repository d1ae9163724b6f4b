#include "Plim.h"

#include "PlimClasses.h"
#include "RuntimeClass.h"

Plim* PLIM = nullptr;

RuntimeClass Plim::runtimeClass("Plim", &Plim::runtimeClass, nullptr);

void Plim::initFields() {
    PLIM = this;
    registerPlimClasses();
}

Plim::Plim(Bare) { initFields(); }

RuntimeClass* Plim::getClass() { return &runtimeClass; }

double Plim::getTime() const { return frameTimer.startTime; }

double Plim::getDeltaTime() const { return frameTimer.startTime - frameTimer.previousStart; }

Plim::~Plim() {
    bShutdown = true;
}
