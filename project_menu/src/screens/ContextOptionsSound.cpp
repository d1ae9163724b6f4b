#include "ContextOptionsSound.h"

#include "app/Global.h"
#include "language/Language.h"
#include "widgets/MenuBool.h"
#include "widgets/MenuEnum.h"
#include "widgets/MenuVolume.h"

ContextOptionsSound::ContextOptionsSound() : ContextOptionsPage(text(Language::STR_SOUND)) {
    SaveData& data = gGlobal->saveData;
    addChild(new MenuEnum(64.0f, 80.0f, 0.0f, text(Language::STR_SOUNDQUALITY), text(Language::STR_SOUNDQUALITYHINT),
                          &data.audioQuality, 0, 2, Language::STR_ENUMSOUNDQUALITY0));
    addChild(new MenuVolume(64.0f, 40.0f, 0.0f, text(Language::STR_SOUNDVOLUME), "", &data.soundVolume, 0, 24));
    addChild(new MenuVolume(64.0f, 0.0f, 0.0f, text(Language::STR_MUSICVOLUME), "", &data.musicVolume, 0, 24));
    addChild(new MenuBool(-39.0f, -40.0f, 0.0f, text(Language::STR_INGAMEMUSIC), text(Language::STR_INGAMEMUSICHINT),
                          &data.bInGameMusic));
    addBackButton();
}

ContextOptionsSound::~ContextOptionsSound() {}

void ContextOptionsSound::onDeactivate(bool removed) {
    ContextOptionsPage::onDeactivate(removed);
    if (removed) gGlobal->applySettings();
}
