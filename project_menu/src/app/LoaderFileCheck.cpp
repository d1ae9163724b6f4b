#include "LoaderFileCheck.h"

#include "Loader.h"
#include "audio/MixerOGGstatic.h"
#include "audio/MixerOGGstream.h"
#include "core/Plim.h"
#include "files/FileManager.h"
#include "files/MemoryFile.h"
#include "files/MemoryIniFile.h"
#include "files/PrintableText.h"
#include "render/MemoryImageFile.h"
#include "render/SkinList.h"
#include "render/Texture.h"
#include "util/PlimUtil.h"

#include <vector>

namespace {

// The readers find their files through the engine's file manager and list
// their objects with it: the check lends them files, on a bare engine when
// none runs.
class LentFiles {
public:
    explicit LentFiles(FileManager& files) {
        if (!PLIM) owned = new Plim(Plim::Bare{});
        previous = PLIM->fileManager;
        PLIM->fileManager = &files;
    }
    ~LentFiles() {
        PLIM->fileManager = previous;
        if (!owned) return;
        delete owned;
        PLIM = nullptr;
    }
    LentFiles(const LentFiles&) = delete;
    LentFiles& operator=(const LentFiles&) = delete;

private:
    Plim* owned = nullptr;
    FileManager* previous = nullptr;
};

UString refusal(FileManager& files, const UString& name, const char* use, const UString& why) {
    return formatString("File '%s' in archive '%s' cannot be read as %s: %s", printableText(name).c_str(),
                        printableText(files.archiveOf(name)).c_str(), use, why.c_str());
}

// The piece of music opened and its first block decoded, as the stream
// starts playing; a gap further on is skipped while it plays, and any other
// fault there ends the music. Decoding it all here would cost as long as a
// crafted stream can make it.
UString musicProblem(const UString& name) {
    UString why;
    MemoryFile file(name, &why);
    if (!why.isEmpty()) return why;
    MixerOGGstream music(&file, false, 1, &why);
    int cursor = -1, end = -1;
    if (why.isEmpty() && !music.refill(&cursor, &end) && why.isEmpty()) why = "it holds no sound";
    return why;
}

UString soundProblem(const UString& name) {
    UString why;
    MemoryFile file(name, &why);
    if (why.isEmpty()) {
        MixerOGGstatic sound(&file, false, 1, &why);
    }
    return why;
}

} // namespace

UString LoaderFileCheck::problem(FileManager& files) {
    LentFiles lent(files);
    const Loader::NeededFiles needed = Loader::neededFilesByUse();
    for (const UString& name : needed.music) {
        const UString why = musicProblem(name);
        if (!why.isEmpty()) return refusal(files, name, "music", why);
    }
    for (const UString& name : needed.pictures) {
        UString why;
        MemoryImageFile picture(name, false, &why);
        if (!why.isEmpty()) return refusal(files, name, "a picture", why);
        const UString sideFile = Texture::sideFileName(name);
        if (!files.fileExists(sideFile)) continue;
        MemoryIniFile ini(sideFile);
        std::vector<SkinRect> skins;
        // The game draws every picture through its sub-images: at least one.
        if (SkinList::read(ini, name, picture.width, picture.height, skins, &why) && skins.empty())
            why = "it lists no sub-images";
        if (!why.isEmpty()) return refusal(files, sideFile, "the side file of a picture", why);
    }
    for (const UString& name : needed.sounds) {
        const UString why = soundProblem(name);
        if (!why.isEmpty()) return refusal(files, name, "a sound", why);
    }
    return UString();
}
