#include "ContextLanguageSelect.h"

#include "widgets/LanguageFlag.h"

ContextLanguageSelect::ContextLanguageSelect() {
    bDeleteWhenDone = true;
    bEscapeCloses = false;
    clearColour = UColor(0, 16, 48, 255);
    // This build has one language.
    LanguageFlag* flag = new LanguageFlag(0);
    flag->position = V3(0.0f, 0.0f, 0.0f);
    flag->updateVisuals();
    addChild(flag);
}

ContextLanguageSelect::~ContextLanguageSelect() {}
