#pragma once
// The loading screen and the loader's step list. Each call of loadStuff does
// exactly one step of a fixed, ordered list (music, textures with their
// sub-images and composites, sounds, fonts, then settings, language and the
// hand-over to the first screens) and returns its number, so the screen loads
// one resource per frame and draws its progress bar in between. Every loaded
// object becomes a child of the application's resource holder and is found by
// its registered name.
#include "core/Context.h"
#include "util/UString.h"

#include <map>
#include <string>
#include <vector>

class Percentage;
class PlimBase;
class Quad;
class Texture;

class Loader : public Context {
public:
    // Logs, sets the screen flags, builds the progress bar and counts the steps.
    Loader();
    ~Loader() override;

    // Context's tick, then one loading step and the bar.
    void tickContents(double time, double dt) override;

    // countOnly: the number of steps, nothing done. Otherwise the next step is
    // done and its number returned; once all are done, the total.
    int loadStuff(bool countOnly);

    // Loads the textures the loading screen itself shows (its bar, the
    // pointer), before the loader runs.
    static void preload();
    // Every archive entry the start reads: the files of preload and of every
    // step (each texture with its side file of sub-images), each once. The
    // code-page fonts, which come from a second archive while there, are not
    // among them.
    static std::vector<UString> neededFiles();
    // The same entries by what the loader makes of them: pictures of
    // textures (each with its side file, Texture::sideFileName), sound
    // effects decoded whole, and music streamed while it plays; each once.
    // And each font's pictures, whose sub-images become its symbols in
    // order, the first one firstSymbol; the game takes the first subImagesUsed
    // of those sub-images (its accents) whatever else it prints.
    struct Font {
        std::vector<UString> pictures;
        int firstSymbol;
        int subImagesUsed;
    };
    struct NeededFiles {
        std::vector<UString> pictures, sounds, music;
        std::vector<Font> fonts;
        // Of each picture, the sub-images the game takes by index, from the
        // first (SubImage, composites' cells): at least one.
        std::map<std::string, int> subImagesUsed;
    };
    static NeededFiles neededFilesByUse();

    // The resource becomes the holder's last child and is registered by name.
    static void registerResource(const UString& name, PlimBase* resource);
    // registerResource, then sub-image i of the texture as "name:i".
    static void registerFrames(const UString& name, Texture* texture);

    // Sub-image index of the texture as a cell of the named composite; a data
    // fault (DataFault) naming both when the texture has too few sub-images or
    // it is no quad.
    static Quad* compositeCell(const char* composite, Texture* texture, int index);

    // Steps done in this process; the list runs once per process.
    static int stepsDone;

    Percentage* progressBar = nullptr; // a child
    int total = 0;
};
