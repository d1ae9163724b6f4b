#include "LanguageFlag.h"

#include "core/Context.h"
#include "core/DataFault.h"
#include "app/ContextManager.h"
#include "FontQuad.h"
#include "app/Global.h"
#include "language/Language.h"
#include "MenuItem.h"
#include "core/Plim.h"
#include "input/PlimInput.h"
#include "core/ResourceManager.h"
#include "render/Texture.h"

LanguageFlag::LanguageFlag(int languageIndex) : language(languageIndex) {
    Texture* flags = static_cast<Texture*>(PLIM->resourceManager->find("languageFlags", true));
    if (language < 0 || language >= int(flags->skins.size()))
        DataFault::raise("Texture 'languageFlags' has no flag for language %d.", language);
    // Mouse-sensitive before the first refresh, so the inverse is ready.
    bHasInvXform = true;
    pSkin = flags->skins[size_t(language)];
    updateVisuals();
}

LanguageFlag::~LanguageFlag() {}

void LanguageFlag::tick(double, double) {
    Context* context = PLIM->currentContext;
    bMouseOver = context && bHasInvXform && MenuItem::pointerShown() && isPointInside(context->mouseWorld);
    if (!bMouseOver) return;
    if (!PLIM->input || !PLIM->input->anyMouseButtonPressed()) return;
    PLIM->defaultLanguage = language;
    if (Context* top = gGlobal->contextManager->getTop()) top->bDone = true;
}

void LanguageFlag::render() {
    Renderable::render();
    if (!bMouseOver || bHidden) return;
    FontQuad* font = gGlobal ? gGlobal->fontMedium : nullptr;
    if (!font || !PLIM->language || language >= Language::LANGUAGE_MAX) return;
    const char* name = PLIM->language->strings[language][Language::STR_LANGUAGENAME];
    font->printAtShadowed(position.x + 65.0f, position.y, position.z, UColor(0xFFFFFFFFu), 0x10, name, 2.0f,
                          -2.0f, 0.0f, UColor(0x40000000u));
}
