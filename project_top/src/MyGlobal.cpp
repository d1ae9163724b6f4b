#include "MyGlobal.h"

#include "ContextManager.h"
#include "MyContextMain.h"

MyGlobal::MyGlobal() {}

MyGlobal::~MyGlobal() {}

void MyGlobal::pushFirstContexts() {
    contextManager->push(new MyContextMain());
    // The intro scene joins here, above the main menu, when it is built.
}
