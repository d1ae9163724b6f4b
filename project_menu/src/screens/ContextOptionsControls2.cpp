#include "ContextOptionsControls2.h"

#include "ContextOptionsControls.h"
#include "language/Language.h"

ContextOptionsControls2::ContextOptionsControls2() : ContextOptionsPage(text(Language::STR_CONTROLS2)) {
    ContextOptionsControls::addKeyItems(this, 1);
    addBackButton();
}

ContextOptionsControls2::~ContextOptionsControls2() {}
