#include "PlimGraphics.h"

#include "DisplayLink.h"
#include "GlxErrorTrap.h"
#include "core/ErrorManager.h"
#include "core/Logger.h"
#include "MemoryImageFile.h"
#include "files/MemoryIniFile.h"
#include "files/UserNotices.h"
#include "core/Plim.h"
#include "input/PlimInput.h"
#include "util/PlimUtil.h"
#include "core/RuntimeClass.h"

#include <SDL_opengl.h>
#include <algorithm>

RuntimeClass PlimGraphics::runtimeClass("PlimGraphics", &PlimGraphics::runtimeClass, nullptr);

namespace {

const Uint32 LIST_FLAGS = SDL_FULLSCREEN | SDL_ANYFORMAT | SDL_OPENGL;
// The view size of the settings file, in view units.
const int MIN_FOV_SIZE = 16;
const int MAX_FOV_SIZE = 16384;

struct WindowedMode {
    int width, height;
};
const WindowedMode WINDOWED_MODES[] = {{320, 240}, {512, 384}, {640, 480}, {800, 600}, {1024, 768}};
const int WINDOWED_MODE_COUNT = int(sizeof(WINDOWED_MODES) / sizeof(WINDOWED_MODES[0]));

SDL_Rect** const ANY_MODE = reinterpret_cast<SDL_Rect**>(-1);

const int SCREENSHOT_QUALITY = 60;

} // namespace

RuntimeClass* PlimGraphics::getClass() { return &runtimeClass; }

PlimGraphics::PlimGraphics() {
    logTagged("PlimGraphics", "Starting...");
    readSettings();
    fovAspect = float(fovHeight) / float(fovWidth);

    SDL_WM_SetCaption(PLIM_BUILD_NAME, PLIM_BUILD_NAME);

    logTagged("PlimGraphics", "Desktop SDL_GetVideoInfo():");
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    desktopWidth = info->current_w;
    desktopHeight = info->current_h;
    logVideoInfo(info);
    logAvailableModes(info);

    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    restorePresentation();

    logTagged("PlimGraphics", "Created SDL_GetVideoInfo():");
    logVideoInfo(SDL_GetVideoInfo());
    auto glText = [](GLenum name) {
        const GLubyte* s = glGetString(name);
        return s ? reinterpret_cast<const char*>(s) : "";
    };
    logTagged("PlimGraphics", "OpenGL GL_VENDOR: %s", glText(GL_VENDOR));
    logTagged("PlimGraphics", "OpenGL GL_RENDERER: %s", glText(GL_RENDERER));
    logTagged("PlimGraphics", "OpenGL GL_VERSION: %s", glText(GL_VERSION));
    logTagged("PlimGraphics", "OpenGL GL_EXTENSIONS: %s", glText(GL_EXTENSIONS));
    logTagged("PlimGraphics", "Started.");
}

void PlimGraphics::readSettings() {
    MemoryIniFile* cfg = PLIM->config;
    const UString section = getClass()->name;
    auto readInt = [&](const char* key, int32_t& field, int32_t value) {
        field = value;
        cfg->readSetting(section, key, field);
    };
    auto readBool = [&](const char* key, bool& field, bool value) {
        field = value;
        cfg->readSetting(section, key, field);
    };
    // The view's size enters pixel arithmetic and projection divisors.
    fovWidth = 640;
    cfg->readSetting(section, "fovWidth", fovWidth, MIN_FOV_SIZE, MAX_FOV_SIZE);
    fovHeight = 480;
    cfg->readSetting(section, "fovHeight", fovHeight, MIN_FOV_SIZE, MAX_FOV_SIZE);
    readInt("screenWidth", screenWidth, 640);
    readInt("screenHeight", screenHeight, 480);
    readBool("bFullScreen", bFullScreen, true);
    readBool("bBilinearFilter", bBilinearFilter, true);
    readBool("bUseReferenceDevice", bUseReferenceDevice, false);
    readBool("bUseHardwareTL", bUseHardwareTL, true);
    readBool("bUseVSync", bUseVSync, false);
    readBool("bEnableFontCache", bEnableFontCache, true);
    readBool("bBrokenAlphaOp", bBrokenAlphaOp, false);
    readBool("bTFACTORSupport", bTFACTORSupport, false);
    readBool("bSimulate256x256TextureHW", bSimulate256x256TextureHW, true);
    // A zero or negative virtual screen would divide by zero in every view
    // computation; such a file is treated as holding the defaults.
    if (fovWidth <= 0) fovWidth = 640;
    if (fovHeight <= 0) fovHeight = 480;
}

PlimGraphics::~PlimGraphics() {
    MemoryIniFile* cfg = PLIM ? PLIM->config : nullptr;
    if (cfg) {
        const UString section = getClass()->name;
        cfg->setInt(section, "screenWidth", screenWidth);
        cfg->setInt(section, "screenHeight", screenHeight);
        cfg->setBool(section, "bFullScreen", bFullScreen || bFullScreenWaiting);
        cfg->setBool(section, "bBilinearFilter", bBilinearFilter);
        cfg->setBool(section, "bUseVSync", bUseVSync);
    }
    if (bFullScreen && !DisplayLink::isLost()) {
        bFullScreen = false;
        restorePresentation();
    }
}

void PlimGraphics::logVideoInfo(const SDL_VideoInfo* info) {
    Logger* log = PLIM ? PLIM->log : nullptr;
    if (!log || !info) return;
    const SDL_PixelFormat* f = info->vfmt;
    log->print("\t%s: %d", "info->hw_available", int(info->hw_available));
    log->print("\t%s: %d", "info->wm_available", int(info->wm_available));
    log->print("\t%s: %d", "info->blit_hw", int(info->blit_hw));
    log->print("\t%s: %d", "info->blit_hw_CC", int(info->blit_hw_CC));
    log->print("\t%s: %d", "info->blit_hw_A", int(info->blit_hw_A));
    log->print("\t%s: %d", "info->blit_sw", int(info->blit_sw));
    log->print("\t%s: %d", "info->blit_sw_CC", int(info->blit_sw_CC));
    log->print("\t%s: %d", "info->blit_sw_A", int(info->blit_sw_A));
    log->print("\t%s: %d", "info->blit_fill", int(info->blit_fill));
    log->print("\t%s: %d", "info->video_mem", int(info->video_mem));
    log->print("\t%s: 0x%x", "info->vfmt->palette", unsigned(uintptr_t(f->palette)));
    log->print("\t%s: %d", "info->vfmt->BitsPerPixel", int(f->BitsPerPixel));
    log->print("\t%s: %d", "info->vfmt->BytesPerPixel", int(f->BytesPerPixel));
    log->print("\t%s: %d", "info->vfmt->Rloss", int(f->Rloss));
    log->print("\t%s: %d", "info->vfmt->Gloss", int(f->Gloss));
    log->print("\t%s: %d", "info->vfmt->Bloss", int(f->Bloss));
    log->print("\t%s: %d", "info->vfmt->Aloss", int(f->Aloss));
    log->print("\t%s: %d", "info->vfmt->Rshift", int(f->Rshift));
    log->print("\t%s: %d", "info->vfmt->Gshift", int(f->Gshift));
    log->print("\t%s: %d", "info->vfmt->Bshift", int(f->Bshift));
    log->print("\t%s: %d", "info->vfmt->Ashift", int(f->Ashift));
    log->print("\t%s: 0x%x", "info->vfmt->Rmask", unsigned(f->Rmask));
    log->print("\t%s: 0x%x", "info->vfmt->Gmask", unsigned(f->Gmask));
    log->print("\t%s: 0x%x", "info->vfmt->Bmask", unsigned(f->Bmask));
    log->print("\t%s: 0x%x", "info->vfmt->Amask", unsigned(f->Amask));
    log->print("\t%s: 0x%x", "info->vfmt->colorkey", unsigned(f->colorkey));
    log->print("\t%s: %d", "info->vfmt->alpha", int(f->alpha));
    log->print("\t%s: %d", "info->current_w", int(info->current_w));
    log->print("\t%s: %d", "info->current_h", int(info->current_h));
}

void PlimGraphics::logAvailableModes(const SDL_VideoInfo* info) {
    logTagged("PlimGraphics", "Available fullscreen resolutions:");
    SDL_Rect** modes = SDL_ListModes(info->vfmt, LIST_FLAGS);
    if (modes == ANY_MODE) {
        logTagged("PlimGraphics", "\tAll resolutions are supported.");
    } else if (!modes) {
        logTagged("PlimGraphics", "\tNo resolutions are supported, reverting to windowed mode.");
        bFullScreen = false;
    } else {
        for (int i = 0; modes[i]; ++i)
            logTagged("PlimGraphics", "\tFound: %dx%d", int(modes[i]->w), int(modes[i]->h));
    }
}

// --- Mode choice ---------------------------------------------------------------

void PlimGraphics::chooseWindowedMode(int requestedWidth, int dWidth, int dHeight, int* width,
                                      int* height) {
    int start = 0;
    for (int i = 0; i < WINDOWED_MODE_COUNT; ++i)
        if (WINDOWED_MODES[i].width <= requestedWidth) start = i;
    int chosen = 0;
    for (int i = start; i >= 1; --i) {
        if (WINDOWED_MODES[i].width < dWidth && WINDOWED_MODES[i].height < dHeight) {
            chosen = i;
            break;
        }
    }
    *width = WINDOWED_MODES[chosen].width;
    *height = WINDOWED_MODES[chosen].height;
}

void PlimGraphics::chooseFullScreenMode(SDL_Rect** modes, int requestedWidth, int requestedHeight,
                                        int* width, int* height) {
    int smallestW = 99999, smallestH = 99999;
    int bestW = 0, bestH = 0;
    for (int i = 0; modes[i]; ++i) {
        int w = modes[i]->w, h = modes[i]->h;
        if (w < smallestW) {
            smallestW = w;
            smallestH = h;
        }
        if (w <= requestedWidth && h <= requestedHeight && w >= bestW && h >= bestH) {
            bestW = w;
            bestH = h;
        }
    }
    if (bestW != 0) {
        *width = bestW;
        *height = bestH;
    } else {
        *width = smallestW;
        *height = smallestH;
    }
}

void PlimGraphics::calcClosestMatchParameters(bool* fullScreen, int* width, int* height) {
    const char* tag = "calcClosestMatchParameters";
    logTagged(tag, "Requested mode %dx%d, %s.", *width, *height, *fullScreen ? "fullscreen" : "windowed");
    bool chosenFull = *fullScreen;
    int w = *width, h = *height;
    if (!chosenFull) {
        chooseWindowedMode(*width, desktopWidth, desktopHeight, &w, &h);
    } else {
        SDL_Rect** modes = SDL_ListModes(SDL_GetVideoInfo()->vfmt, LIST_FLAGS);
        if (modes == ANY_MODE) {
            logTagged(tag, "All resolutions are supported?!");
        } else if (!modes) {
            logTagged(tag, "No fullscreen modes found, reverting to windowed mode.");
            chooseWindowedMode(99999, desktopWidth, desktopHeight, &w, &h);
            chosenFull = false;
        } else {
            chooseFullScreenMode(modes, *width, *height, &w, &h);
        }
    }
    logTagged(tag, "Best mode found %dx%d, %s.", w, h, chosenFull ? "fullscreen" : "windowed");
    *fullScreen = chosenFull;
    *width = w;
    *height = h;
}

bool PlimGraphics::restorePresentation() {
    int w = screenWidth, h = screenHeight;
    calcClosestMatchParameters(&bFullScreen, &w, &h);
    screenWidth = w;
    screenHeight = h;
    // SDL grabs the pointer inside SDL_SetVideoMode (in full screen always) and
    // waits there for as long as another program holds it: the input part
    // takes its grab back afterwards, and full screen waits for the pointer.
    PlimInput* input = PLIM ? PLIM->input : nullptr;
    if (input) input->dropSystemGrab();
    if (bFullScreen && !DisplayLink::takePointer()) waitForPointer();

    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    Uint32 flags = SDL_ANYFORMAT | SDL_OPENGL;
    if (info->hw_available) flags |= SDL_HWSURFACE;
    int depth;
    if (bFullScreen) {
        depth = 32;
        flags |= SDL_FULLSCREEN;
    } else {
        depth = info->vfmt->BitsPerPixel;
    }
    const bool firstWindow = SDL_GetVideoSurface() == NULL;
    {
        GlxErrorTrap trap(DisplayLink::sdlDisplay());
        surfaceHandle = SDL_SetVideoMode(screenWidth, screenHeight, depth, flags);
        const UString refused = trap.refusal();
        if (!refused.isEmpty())
            ErrorManager::cannotStart("%s cannot open its OpenGL window: the X server %s.", PLIM_BUILD_NAME,
                                      refused.c_str());
    }
    if (surfaceHandle == NULL && firstWindow)
        ErrorManager::cannotStart("%s cannot open its OpenGL window: %s.", PLIM_BUILD_NAME, SDL_GetError());
    if (surfaceHandle == NULL)
        ErrorManager::assertionFailed(SDL_GetError(), "surfaceHandle!=NULL", "restorePresentation",
                                      __FILE__, __LINE__);
    bitsPerPixel = SDL_GetVideoInfo()->vfmt->BitsPerPixel;
    setGlobalRenderState();
    // Not on the way out: the fatal path and the shutdown release the pointer.
    if (input && !PLIM->bShutdown) input->takeSystemGrab();
    return true;
}

void PlimGraphics::changePresentationParameters(int width, int height, bool fullScreen,
                                                bool bilinearFilter, bool vSync) {
    bBilinearFilter = bilinearFilter;
    bUseVSync = vSync;
    if (fullScreen && bFullScreenWaiting) {
        // Still waiting for the pointer: the window stays as it is.
        waitingWidth = width;
        waitingHeight = height;
        setGlobalRenderState();
        return;
    }
    bFullScreenWaiting = false;
    bool chosenFull = fullScreen;
    int w = width, h = height;
    calcClosestMatchParameters(&chosenFull, &w, &h);
    bool changes = chosenFull != bFullScreen || w != screenWidth || h != screenHeight;
    bFullScreen = chosenFull;
    screenWidth = w;
    screenHeight = h;
    if (changes) {
        logTagged("changePresentationParameters", "Restarting to apply configuration.");
        PLIM->bRestartPresentation = true;
    } else {
        setGlobalRenderState();
    }
}

void PlimGraphics::waitForPointer() {
    if (!bFullScreen) return;
    logTagged("waitForPointer", "Another program holds the pointer: a window until it is free.");
    waitingWidth = screenWidth;
    waitingHeight = screenHeight;
    bFullScreen = false;
    bFullScreenWaiting = true;
    calcClosestMatchParameters(&bFullScreen, &screenWidth, &screenHeight);
}

void PlimGraphics::retryFullScreen() {
    if (!bFullScreenWaiting || !DisplayLink::takePointer()) return;
    logTagged("retryFullScreen", "The pointer is free: going full screen.");
    bFullScreenWaiting = false;
    changePresentationParameters(waitingWidth, waitingHeight, true, bBilinearFilter, bUseVSync);
}

// --- Render state ------------------------------------------------------------

void lookAt(V3 eye, V3 center, V3 up) {
    V3 f = normalize(center - eye);
    V3 s = normalize(crossProduct(f, up));
    V3 u = crossProduct(s, f);
    GLfloat m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    m[0] = s.x;
    m[4] = s.y;
    m[8] = s.z;
    m[1] = u.x;
    m[5] = u.y;
    m[9] = u.z;
    m[2] = -f.x;
    m[6] = -f.y;
    m[10] = -f.z;
    glMultMatrixf(m);
    glTranslatef(-eye.x, -eye.y, -eye.z);
}

void PlimGraphics::setGlobalRenderState() {
    batch.forget();
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glViewport(0, 0, screenWidth, screenHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // Left and right swapped on purpose: with the eye on the negative z side
    // looking toward +z this keeps +x on the right of the window.
    glFrustum(1.0, -1.0, -fovAspect, fovAspect, 1.0, 999999.0);
    lookAt(V3(0.0f, 0.0f, -float(fovWidth / 2)), V3(0.0f, 0.0f, 0.0f), V3(0.0f, 1.0f, 0.0f));
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    setAlphaBlend(true);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_FASTEST);
    glEnable(GL_TEXTURE_2D);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    setTextureFilter();
    batch.forget();
    GLenum error = glGetError();
    if (error != GL_NO_ERROR)
        ErrorManager::assertionFailed(ErrorManager::getGLErrorString(error).c_str(), "0",
                                      "setGlobalRenderState", __FILE__, __LINE__);
}

void PlimGraphics::clear(UColor colour) {
    batch.flush();
    if (!bDrawPixels) return;
    glClearColor(colour.r / 255.0f, colour.g / 255.0f, colour.b / 255.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

void PlimGraphics::setAlphaBlend(bool on) { batch.setBlend(on); }

void PlimGraphics::flush() { batch.flush(); }

void PlimGraphics::setTextureFilter(bool clampS, bool clampT) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, clampS ? GL_CLAMP_TO_EDGE : GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, clampT ? GL_CLAMP_TO_EDGE : GL_REPEAT);
    GLint filter = bBilinearFilter ? GL_LINEAR : GL_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
}

void PlimGraphics::present() {
    batch.restoreDefaults();
    if (!bDrawPixels) return;
    glFlush();
    SDL_GL_SwapBuffers();
}

void PlimGraphics::loadIdentity() { batch.setIdentity(); }

void PlimGraphics::loadMatrix(const float m[16]) { batch.setMatrix(m); }

void PlimGraphics::setProjectionMatrix(const float m[16]) {
    batch.projectionChanging();
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(m);
    glMatrixMode(GL_MODELVIEW);
}

void PlimGraphics::getProjectionMatrix(float out[16]) { glGetFloatv(GL_PROJECTION_MATRIX, out); }

MemoryImageFile* PlimGraphics::grabFrameBuffer(bool* ok) {
    if (ok) *ok = false;
    batch.flush();
    MemoryImageFile* image = new MemoryImageFile(screenWidth, screenHeight);
    glReadPixels(0, 0, screenWidth, screenHeight, GL_RGBA, GL_UNSIGNED_BYTE, image->pImageData);
    if (glGetError() != GL_NO_ERROR) return image;

    // OpenGL gives the bottom row first.
    const size_t rowBytes = size_t(screenWidth) * 4;
    for (int i = 0; i < screenHeight / 2; ++i) {
        uint8_t* a = image->pImageData + size_t(i) * rowBytes;
        uint8_t* b = image->pImageData + size_t(screenHeight - 1 - i) * rowBytes;
        std::swap_ranges(a, a + rowBytes, b);
    }
    if (ok) *ok = true;
    return image;
}

bool PlimGraphics::saveScreenshot(const UString& fileName) {
    MemoryImageFile* image = grabFrameBuffer(nullptr);
    // The ending alone: the folder's name may hold any of them.
    const MemoryImageFile::Format format = MemoryImageFile::formatOf(fileName);
    UString why;
    const bool saved =
        format == MemoryImageFile::FORMAT_UNKNOWN || image->save(fileName, format, SCREENSHOT_QUALITY, &why);
    delete image;
    if (saved) return true;
    // The game plays on: the player hears of it where he started it, and in the log.
    const UString what = formatString("the screenshot '%s': %s.", fileName.c_str(), why.c_str());
    logTagged("saveScreenshot", "Could not save %s", what.c_str());
    UserNotices::say(formatString("%s: could not save %s", PLIM_BUILD_NAME, what.c_str()));
    return false;
}

void PlimGraphics::onFatalError() {}
