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
#include "util/Stream.h"

#include <memory>
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

// Bytes a decoded pixel takes, in memory and in its texture.
constexpr int64_t PIXEL_BYTES = 4;

// A sum of what the start takes from its files, against its limit.
class StartTotal {
public:
    StartTotal(const char* what, int64_t limit) : what(what), limit(limit) {}
    // Empty while name's bytes keep the total within the limit; else the
    // refusal, naming the file and the limit.
    UString add(FileManager& files, const UString& name, int64_t bytes) {
        total += bytes;
        if (total <= limit) return UString();
        return formatString("File '%s' in archive '%s' adds %lld bytes to %s, past the limit of %lld MiB",
                            printableText(name).c_str(), printableText(files.archiveOf(name)).c_str(),
                            (long long)bytes, what, (long long)(limit >> 20));
    }

private:
    const char* what;
    int64_t limit;
    int64_t total = 0;
};

// The file's size as the file manager would read it, without reading it: an
// archive's directory has it (opening a compressed entry would inflate it).
int64_t fileSize(FileManager& files, const UString& name) {
    if (!files.archiveOf(name).isEmpty()) return files.findWadEntry(name)->size;
    int size = 0;
    UString ignored;
    std::unique_ptr<Stream> stream(files.openFile(name, &size, &ignored));
    return stream ? size : 0;
}

// Its side file, whose size counts before it is read as the texture reads it.
UString sideFileProblem(FileManager& files, const UString& picture, const MemoryImageFile& image,
                        StartTotal& sideFiles) {
    const UString sideFile = Texture::sideFileName(picture);
    if (!files.fileExists(sideFile)) return UString();
    const UString over = sideFiles.add(files, sideFile, fileSize(files, sideFile));
    if (!over.isEmpty()) return over;
    std::vector<SkinRect> skins;
    UString why;
    if (SkinList::read(sideFile, picture, image.width, image.height, skins, &why)) return UString();
    return refusal(files, sideFile, "the side file of a picture", why);
}

// Its length read from the headers and counted before it is decoded whole.
UString soundProblem(FileManager& files, const UString& name, StartTotal& decoded) {
    UString why;
    MemoryFile file(name, &why);
    if (why.isEmpty()) {
        MixerOGGstatic sound(&file, false, 1, &why, MixerOGGstatic::Decoding::LATER);
        const int64_t bytes = sound.decodedBytes();
        const UString over = bytes < 0 ? UString() : decoded.add(files, name, bytes);
        if (!over.isEmpty()) return over;
        sound.decode();
    }
    return why.isEmpty() ? UString() : refusal(files, name, "a sound", why);
}

} // namespace

UString LoaderFileCheck::problem(FileManager& files) {
    LentFiles lent(files);
    const Loader::NeededFiles needed = Loader::neededFilesByUse();
    for (const UString& name : needed.music) {
        const UString why = musicProblem(name);
        if (!why.isEmpty()) return refusal(files, name, "music", why);
    }
    StartTotal decoded("what the start decodes", LoaderFileCheck::MAX_DECODED_BYTES);
    StartTotal sideFiles("the side files the start reads", LoaderFileCheck::MAX_SIDE_FILE_BYTES);
    for (const UString& name : needed.pictures) {
        UString why;
        MemoryImageFile picture(name, false, &why);
        if (!why.isEmpty()) return refusal(files, name, "a picture", why);
        const UString over = decoded.add(files, name, int64_t(picture.width) * picture.height * PIXEL_BYTES);
        if (!over.isEmpty()) return over;
        why = sideFileProblem(files, name, picture, sideFiles);
        if (!why.isEmpty()) return why;
    }
    for (const UString& name : needed.sounds) {
        const UString why = soundProblem(files, name, decoded);
        if (!why.isEmpty()) return why;
    }
    return UString();
}
