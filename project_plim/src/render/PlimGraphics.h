#pragma once
// The graphics device: the one window with its OpenGL context and video mode,
// the display settings every drawing part reads, and the baseline render state.
// Two sizes: the virtual screen (fovWidth x fovHeight world units shown at depth
// 0) and the screen (screenWidth x screenHeight pixels of the window or mode).
#include "DrawBatch.h"
#include "util/UColor.h"
#include "util/UString.h"
#include "util/V3.h"

#include <SDL.h>
#include <cstdint>

class MemoryImageFile;
class RuntimeClass;

class PlimGraphics {
public:
    static RuntimeClass runtimeClass;

    // Reads [PlimGraphics], logs the video information and opens the window.
    PlimGraphics();
    virtual RuntimeClass* getClass();
    // Writes the screen keys back and leaves full screen.
    virtual ~PlimGraphics();

    // Replaces the requested mode, in place, by the closest available one.
    void calcClosestMatchParameters(bool* fullScreen, int* width, int* height);
    // Sets the video mode from bFullScreen, screenWidth, screenHeight (adjusted
    // first) and applies the render state. A mode that cannot be set is fatal.
    bool restorePresentation();
    // New display settings; asks the engine for a restart when the mode changes.
    void changePresentationParameters(int width, int height, bool fullScreen, bool bilinearFilter,
                                      bool vSync);
    void logVideoInfo(const SDL_VideoInfo* info);
    // Full screen while another program holds the pointer: the sizes of a
    // window instead, for the next mode set, until retryFullScreen (once per
    // running frame) finds the pointer free and asks for the restart.
    void waitForPointer();
    void retryFullScreen();

    // The mode choice itself, without SDL or logging.
    // Windowed: the widest of 320x240 ... 1024x768 not wider than the request
    // and smaller than the desktop in both directions; 320x240 at the least.
    static void chooseWindowedMode(int requestedWidth, int desktopWidth, int desktopHeight,
                                   int* width, int* height);
    // Full screen from a null-terminated list: the largest mode that fits the
    // request, else the narrowest listed.
    static void chooseFullScreenMode(SDL_Rect** modes, int requestedWidth, int requestedHeight,
                                     int* width, int* height);

    // --- Render state ---------------------------------------------------------
    void setGlobalRenderState();
    // Clears the colour buffer to the colour's red, green and blue; alpha 0.
    void clear(UColor colour);
    void setAlphaBlend(bool on);
    // Sends the draws collected so far; whoever draws, reads or uploads
    // directly with OpenGL calls it first.
    void flush();
    // Wrap and filter parameters of the bound texture; clampEdges stops the
    // filter at the texture's edges instead of wrapping to the far side.
    void setTextureFilter(bool clampS = false, bool clampT = false);
    void present();
    void loadIdentity();
    void loadMatrix(const float m[16]);
    // Loads the projection and leaves the model-view matrix current.
    void setProjectionMatrix(const float m[16]);
    void getProjectionMatrix(float out[16]);
    // The frame being drawn, top row first; the caller deletes it. ok tells
    // whether the read-back worked (may be null).
    MemoryImageFile* grabFrameBuffer(bool* ok);
    // Writes the frame in the format the name ends in (".tga", ".bmp", or
    // ".jpg": JPEG, quality 60; any other ending writes nothing). One that
    // cannot be written, whatever its format, is told in a line of the log and
    // of standard error (false), and leaves no file.
    bool saveScreenshot(const UString& fileName);
    // Hook of the fatal-error path, after leaving full screen.
    void onFatalError();

    float viewOffsetX = 0.0f;
    float viewOffsetY = 0.0f;
    bool bFullScreen = false;
    // Full screen was asked for while another program held the pointer: a
    // window until the pointer is free (retryFullScreen then switches).
    bool bFullScreenWaiting = false;
    bool bBilinearFilter = false;
    bool bUseVSync = false;
    bool bEnableFontCache = false;
    bool bUseReferenceDevice = false;
    bool bUseHardwareTL = false;
    bool bSimulate256x256TextureHW = false;
    int32_t fovWidth = 0;
    int32_t fovHeight = 0;
    int32_t screenWidth = 0;
    int32_t screenHeight = 0;
    int32_t desktopWidth = 0;
    int32_t desktopHeight = 0;
    int32_t bitsPerPixel = 0;
    float fovAspect = 0.0f;
    bool bBrokenAlphaOp = false;
    bool bTFACTORSupport = false;
    bool bTextShadows = false;
    // Off: frames still go through the whole render pass (visibility, collisions,
    // vertices) but nothing is rasterised or shown. Simulations that read no
    // pixels run without the software rasteriser's cost.
    bool bDrawPixels = true;
    SDL_Surface* surfaceHandle = nullptr;
    // Batched draws and the OpenGL state last set.
    DrawBatch batch;

private:
    void readSettings();
    void logAvailableModes(const SDL_VideoInfo* info);

    // The full-screen size asked for while it waits.
    int waitingWidth = 0;
    int waitingHeight = 0;
};

// Multiplies the current OpenGL matrix by the look-at transform.
void lookAt(V3 eye, V3 center, V3 up);
