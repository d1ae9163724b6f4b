#include "LiveObjects.h"

#include "FontQuad.h"
#include "audio/MixerChannel.h"
#include "audio/MixerOGG.h"
#include "core/ObjectLink.h"
#include "core/Plim.h"
#include "core/RuntimeClass.h"

#include <vector>

std::map<std::string, int> LiveObjects::byClass() {
    std::map<std::string, int> n;
    for (BasicLink* l = PLIM->liveObjects.firstChild; l; l = l->next) {
        PlimBase* object = static_cast<ObjectLink*>(l)->object;
        const MixerChannel* voice = dynamic_cast<MixerChannel*>(object);
        if (voice && !voice->bMusic && !voice->source->bLoop) continue;
        ++n[object->getClass()->name.c_str()];
    }
    return n;
}

int LiveObjects::count() {
    int total = 0;
    for (const auto& entry : byClass()) total += entry.second;
    return total;
}

void LiveObjects::dropFontCaches() {
    std::vector<FontQuad*> fonts;
    for (BasicLink* l = PLIM->liveObjects.firstChild; l; l = l->next)
        if (FontQuad* font = dynamic_cast<FontQuad*>(static_cast<ObjectLink*>(l)->object)) fonts.push_back(font);
    for (FontQuad* font : fonts) font->onPLIMmodeChange(MODE_INACTIVE, MODE_RESTORE);
}
