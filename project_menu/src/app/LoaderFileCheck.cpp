#include "LoaderFileCheck.h"

#include "FontQuad.h"
#include "Loader.h"
#include "SoundCheck.h"
#include "StartLimits.h"
#include "audio/MixerOGGstatic.h"
#include "audio/MixerOGGstream.h"
#include "core/Plim.h"
#include "files/FileManager.h"
#include "files/MemoryFile.h"
#include "files/PrintableText.h"
#include "render/MemoryImageFile.h"
#include "render/SkinList.h"
#include "render/Texture.h"
#include "util/PlimUtil.h"
#include "util/Stream.h"

#include <algorithm>
#include <map>
#include <memory>
#include <string>
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
UString musicProblem(FileManager& files, const UString& name) {
    SoundCheck::Read read = SoundCheck::read(name, SoundCheck::Use::MUSIC);
    if (read.unread) return read.why;
    UString why = read.why;
    if (why.isEmpty()) {
        MixerOGGstream music(read.file.get(), false, 1, &why);
        int cursor = -1, end = -1;
        if (why.isEmpty() && !music.refill(&cursor, &end) && why.isEmpty()) why = "it holds no sound";
    }
    return why.isEmpty() ? UString() : refusal(files, name, "music", why);
}

// Bytes a decoded pixel takes, in memory and in its texture.
constexpr int PIXEL_BYTES = 4;
// Files a total over its limit names, the largest first.
constexpr size_t NAMED_PARTS = 3;

// A sum of what the start takes from its files, against its limit.
class StartTotal {
public:
    StartTotal(const char* what, int64_t limit) : what(what), limit(limit) {}
    void add(const UString& name, int64_t bytes) {
        parts.push_back({bytes, name});
        total += bytes;
    }
    bool within() const { return total <= limit; }
    // Empty within the limit; else the refusal, saying that the total
    // passes it and naming the files that weigh most in it.
    UString over(FileManager& files) {
        if (within()) return UString();
        std::stable_sort(parts.begin(), parts.end(), [](const Part& a, const Part& b) { return a.bytes > b.bytes; });
        std::string largest;
        for (size_t i = 0; i < parts.size() && i < NAMED_PARTS; ++i)
            largest += formatString("%s'%s' (%lld bytes)", i ? ", " : "", printableText(parts[i].name).c_str(),
                                    (long long)parts[i].bytes).str();
        return formatString("%s from archive '%s' come to %lld bytes, past the limit of %lld MiB; the largest: %s",
                            what, printableText(files.archiveOf(parts.front().name)).c_str(), (long long)total,
                            (long long)(limit >> 20), largest.c_str());
    }

private:
    struct Part {
        int64_t bytes;
        UString name;
    };
    const char* what;
    int64_t limit;
    int64_t total = 0;
    std::vector<Part> parts;
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

// What the files take as they are read, from the archive's directory before
// any is read: empty when the side files, and all the files, keep within
// their limits.
UString sizeProblem(FileManager& files, const Loader::NeededFiles& needed) {
    StartTotal read("The files the start reads", StartLimits::MAX_READ_BYTES);
    StartTotal sideFiles("The side files the start reads", StartLimits::MAX_SIDE_FILE_BYTES);
    for (const std::vector<UString>* names : {&needed.music, &needed.pictures, &needed.sounds})
        for (const UString& name : *names) read.add(name, fileSize(files, name));
    for (const UString& picture : needed.pictures) {
        const UString sideFile = Texture::sideFileName(picture);
        if (!files.fileExists(sideFile)) continue;
        const int64_t bytes = fileSize(files, sideFile);
        read.add(sideFile, bytes);
        sideFiles.add(sideFile, bytes);
    }
    const UString over = sideFiles.over(files);
    return over.isEmpty() ? read.over(files) : over;
}

// Sub-images each picture's side file lists.
typedef std::map<std::string, size_t> SkinCounts;

// Its side file: at least one sub-image, each inside the picture.
UString sideFileProblem(FileManager& files, const UString& picture, const MemoryImageFile& image, SkinCounts& counts) {
    const UString sideFile = Texture::sideFileName(picture);
    if (!files.fileExists(sideFile)) return UString();
    UString why;
    const MemoryFile file(sideFile, &why);
    if (file.bUnread) return why;
    const std::string text = file.data ? std::string(reinterpret_cast<const char*>(file.data), size_t(file.size)) : "";
    std::vector<SkinRect> skins;
    why = SkinList::readText(text, picture, image.width, image.height, skins);
    counts[picture.str()] = skins.size();
    return why.isEmpty() ? UString() : refusal(files, sideFile, "the side file of a picture", why);
}

// Weighed by its header; then, while what the start decodes keeps within its
// limit, decoded and its side file's sub-images placed in it.
UString pictureProblem(FileManager& files, const UString& name, StartTotal& decoded, SkinCounts& counts) {
    UString why;
    const MemoryImageFile header(name, true, &why);
    if (header.bUnread) return why;
    if (why.isEmpty()) {
        decoded.add(name, int64_t(header.width) * header.height * PIXEL_BYTES);
        if (!decoded.within()) return UString();
        const MemoryImageFile picture(name, false, &why);
        if (picture.bUnread) return why;
        if (why.isEmpty()) return sideFileProblem(files, name, picture, counts);
    }
    return refusal(files, name, "a picture", why);
}

// Weighed by its length read from its headers; then, while what the start
// decodes keeps within its limit, decoded whole.
UString soundProblem(FileManager& files, const UString& name, StartTotal& decoded) {
    SoundCheck::Read read = SoundCheck::read(name, SoundCheck::Use::EFFECT);
    if (read.unread) return read.why;
    UString why = read.why;
    if (why.isEmpty()) {
        MixerOGGstatic sound(read.file.get(), false, 1, &why, MixerOGGstatic::Decoding::LATER);
        const int64_t bytes = sound.decodedBytes();
        if (why.isEmpty()) decoded.add(name, bytes);
        if (why.isEmpty() && decoded.within()) sound.decode();
    }
    return why.isEmpty() ? UString() : refusal(files, name, "a sound", why);
}

// A side file listing fewer sub-images than the game takes from its picture
// (used, as what): the game would meet one its data lacks while it loads or
// plays. more names the further side files whose sub-images count too.
UString fewerProblem(FileManager& files, const UString& picture, size_t skins, const UString& more, int used,
                     const UString& as) {
    return refusal(files, Texture::sideFileName(picture), "the side file of a picture",
                   formatString("it lists %zu sub-image%s%s, but the game uses %d%s", skins, skins == 1 ? "" : "s",
                                more.c_str(), used, as.c_str()));
}

// The font's sub-images, its symbols from the first on, within the symbols a
// font holds, and no fewer than the game takes (its accents), unless one of its
// pictures was only weighed (past the decoding limit).
UString fontProblem(FileManager& files, const Loader::Font& font, const SkinCounts& counts) {
    size_t before = 0;
    bool allRead = true;
    UString more;
    for (const UString& picture : font.pictures) {
        const auto found = counts.find(picture.str());
        allRead = allRead && found != counts.end();
        const size_t skins = found == counts.end() ? 0 : found->second;
        const size_t last = size_t(font.firstSymbol) + before + skins - 1;
        if (skins && last >= size_t(FontQuad::NUMSYMBOLS))
            return refusal(files, Texture::sideFileName(picture), "the side file of a picture",
                           formatString("its %zu sub-images become symbols %zu to %zu of a font, past the last "
                                        "it holds, %d", skins, last + 1 - skins, last, FontQuad::NUMSYMBOLS - 1));
        if (&picture != &font.pictures.front())
            more += formatString(" (and '%s' %d more)", printableText(Texture::sideFileName(picture)).c_str(),
                                 found == counts.end() ? -1 : int(skins));
        before += skins;
    }
    if (allRead && before < size_t(font.subImagesUsed))
        return fewerProblem(files, font.pictures.front(), counts.at(font.pictures.front().str()), more,
                            font.subImagesUsed, formatString(" as a font's symbols from %d", font.firstSymbol));
    return UString();
}

// The side files of the pictures read (counts) against the sub-images the
// game takes from them by index (a composite's cells among them).
UString usedSubImagesProblem(FileManager& files, const Loader::NeededFiles& needed, const SkinCounts& counts) {
    for (const UString& picture : needed.pictures) {
        const auto used = needed.subImagesUsed.find(picture.str());
        const auto listed = counts.find(picture.str());
        if (used != needed.subImagesUsed.end() && listed != counts.end() && listed->second < size_t(used->second))
            return fewerProblem(files, picture, listed->second, UString(), used->second, UString());
    }
    return UString();
}

} // namespace

UString LoaderFileCheck::problem(FileManager& files) {
    LentFiles lent(files);
    const Loader::NeededFiles needed = Loader::neededFilesByUse();
    UString why = sizeProblem(files, needed);
    if (!why.isEmpty()) return why;
    for (const UString& name : needed.music) {
        why = musicProblem(files, name);
        if (!why.isEmpty()) return why;
    }
    // Past its limit, the rest are only weighed, to name the largest.
    StartTotal decoded("The pictures and sounds the start decodes", StartLimits::MAX_DECODED_BYTES);
    SkinCounts skins;
    for (const UString& name : needed.pictures) {
        why = pictureProblem(files, name, decoded, skins);
        if (!why.isEmpty()) return why;
    }
    for (const Loader::Font& font : needed.fonts) {
        why = fontProblem(files, font, skins);
        if (!why.isEmpty()) return why;
    }
    why = usedSubImagesProblem(files, needed, skins);
    if (!why.isEmpty()) return why;
    for (const UString& name : needed.sounds) {
        why = soundProblem(files, name, decoded);
        if (!why.isEmpty()) return why;
    }
    return decoded.over(files);
}
