#pragma once
// The menu layer's one program-wide object: the saved data block, the shared
// fonts, the screen stack, the holder that owns every loaded resource and the
// link being opened in the browser, which ends the program once it opens. It brings the application up in
// two stages around the loader (initPreLoader before any resource is loaded,
// initPostLoader once the last one is) and takes it down in a fixed order.
// The game derives its own application object from it.
#include "LinkOpener.h"
#include "PlayerProfiles.h"
#include "SaveData.h"
#include "util/UString.h"
#include "util/V3.h"

class ContextManager;
class ContextPost;
class ContextPre;
class FontQuad;
class GUIthemeMinimal;
class GUIthemeStandard;
class PlimBase;

class Global {
public:
    // Reads the saved data; does not set gGlobal (the entry loop does).
    Global();
    // Screen stack first, then the resources; the saved data is written last.
    virtual ~Global();
    Global(const Global&) = delete;
    Global& operator=(const Global&) = delete;

    // The application's own first screens, pushed by initPostLoader.
    virtual void pushFirstContexts() = 0;

    // Class index, resource holder, data archive, the loader's own textures,
    // the screen stack with the loader on it. Needs gGlobal set to this object.
    void initPreLoader();
    // The first screens, once every resource is loaded and a language chosen.
    void initPostLoader();
    // Writes the profiles, the saved data and the settings now, as the
    // shutdown does (a failure is reported to SaveFailures).
    void writeSaves();
    // Pushes the settings of saveData into the engine's parts.
    void applySettings();
    // Opens url in the desktop's browser or viewer (urlToOpen); the program
    // ends once that has started (followLink).
    void openLink(const UString& url);
    // Each frame: ends the program (the stack's bQuit) once the link opened;
    // where it could not, the player is told in a dialog, with the address,
    // and the game runs on.
    void followLink();
    // Hook the loader calls for the medium and the large font; nothing to do.
    void onFontLoaded(FontQuad* font) {}
    // (0, 0, -1) turned about x by latitude, then about y by -longitude (radians).
    static V3 lonLatToPoint(float longitude, float latitude);

    // The data archive's path, relative to the working folder.
    static UString getArchiveName();

    SaveData saveData;
    PlayerProfiles profiles; // destroyed (and written) before saveData
    FontQuad* fontTiny = nullptr;   // owned by resourceHolder
    FontQuad* fontSmall = nullptr;  // owned by resourceHolder
    FontQuad* fontMedium = nullptr; // owned by resourceHolder
    FontQuad* fontLarge = nullptr;  // owned by resourceHolder
    FontQuad* fontHUD = nullptr;    // owned by resourceHolder
    ContextManager* contextManager = nullptr; // owned
    ContextPre* contextPre = nullptr;         // owned; the backdrop beneath the menu screens
    ContextPost* contextPost = nullptr;       // owned; the layer above the main menu
    GUIthemeStandard* themeStandard = nullptr; // owned
    GUIthemeMinimal* themeMinimal = nullptr;   // owned
    PlimBase* resourceHolder = nullptr;       // owned; every loaded resource is its child
    UString urlToOpen;  // the link asked for last
    LinkOpener linkOpener;

private:
    // What the opener said: opened ends the program, failed tells the player.
    void answerLink(LinkOpener::State state);
};

// The one application object; null before the first frame and after shutdown.
extern Global* gGlobal;
