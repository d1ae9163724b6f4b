#include "BareEngineTest.h"

#include "core/Plim.h"

void BareEngineTest::SetUp() { engine = new Plim(Plim::Bare{}); }

void BareEngineTest::TearDown() {
    delete engine;
    PLIM = nullptr;
}
