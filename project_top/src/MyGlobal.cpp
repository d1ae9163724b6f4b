#include "MyGlobal.h"

MyGlobal::MyGlobal() {}

MyGlobal::~MyGlobal() {}

void MyGlobal::pushFirstContexts() {
    // The main menu and the intro scene join here when they are built.
}
