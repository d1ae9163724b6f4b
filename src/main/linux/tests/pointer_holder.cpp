// A small X client for the display tests: holds the pointer the way a screen
// locker or another copy of the game does, or tells whether some client holds it.
//   pointer-holder hold SECONDS   takes the pointer and the keyboard (waiting up to
//                                 5 s for them), prints "held", and keeps them for
//                                 SECONDS or until a signal ends it; 1: not had
//   pointer-holder probe          0: the pointer was free; 3: another client holds it
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

int main(int argc, char** argv) {
    const bool hold = argc == 3 && strcmp(argv[1], "hold") == 0;
    if (!hold && !(argc == 2 && strcmp(argv[1], "probe") == 0)) {
        fprintf(stderr, "usage: pointer-holder hold SECONDS | probe\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        fprintf(stderr, "pointer-holder: cannot open the display\n");
        return 2;
    }
    const Window root = DefaultRootWindow(display);
    auto grab = [&] {
        return XGrabPointer(display, root, False, 0, GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
    };
    if (!hold) {
        const int result = grab();
        XUngrabPointer(display, CurrentTime);
        XCloseDisplay(display);
        return result == GrabSuccess ? 0 : result == AlreadyGrabbed ? 3 : 4;
    }
    int result = grab();
    for (int i = 0; i < 100 && result != GrabSuccess; ++i) {
        usleep(50000);
        result = grab();
    }
    if (result != GrabSuccess) return 1;
    XGrabKeyboard(display, root, False, GrabModeAsync, GrabModeAsync, CurrentTime);
    XSync(display, False);
    printf("held\n");
    fflush(stdout);
    sleep(unsigned(atoi(argv[2])));
    return 0;
}
