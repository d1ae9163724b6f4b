#pragma once
// The program's tie to the X display, beside what SDL does with it.
//
// SDL 1.2's X11 driver grabs the pointer in a loop without end while another
// program (a screen locker, a second copy of the game) holds it, inside
// SDL_SetVideoMode, SDL_WM_GrabInput and the event pump, and the frame loop
// with its signal checks stands still meanwhile. takePointer grabs it first on
// SDL's own connection without waiting: SDL's grab of a pointer this client
// already holds succeeds at once, and one that is not free is not asked for.
//
// Xlib ends the process in its I/O error handler when the display goes away
// (the X server ends): onLoss runs the program's orderly end there instead.
struct _XDisplay;

class DisplayLink {
public:
    // SDL's connection to the X display; null before SDL's video starts, when
    // SDL does not run on X11, or once the display is lost.
    static _XDisplay* sdlDisplay();
    // Before SDL starts (SDL's own handler then passes the loss on): orderlyEnd
    // ends the program as a hang-up does, without touching the display again.
    static void onLoss(void (*orderlyEnd)());
    // The display went away: nothing may call X (or SDL's video) any more.
    static bool isLost();
    // True when this program now holds the pointer (confined to SDL's window
    // once there is one), or when SDL does not run on X11 (nothing waits there).
    static bool takePointer();
};
