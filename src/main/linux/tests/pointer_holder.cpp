// X client of the display tests. "hold": takes the pointer as a screen locker or
// another copy of the game does (waiting up to 5 s), prints "held PID" and
// keeps it 300 s. "probe": exit 0 when the pointer is free, 3 when held.
#include <X11/Xlib.h>

#include <cstdio>
#include <cstring>
#include <unistd.h>

int main(int argc, char** argv) {
    Display* display = XOpenDisplay(nullptr);
    if (!display || argc != 2) return 2;
    const int tries = strcmp(argv[1], "hold") == 0 ? 100 : 1;
    int result = GrabNotViewable;
    for (int i = 0; i < tries && result != GrabSuccess; ++i) {
        if (i > 0) usleep(50000);
        result = XGrabPointer(display, DefaultRootWindow(display), False, 0, GrabModeAsync, GrabModeAsync, None,
                              None, CurrentTime);
    }
    if (tries == 1) return result == GrabSuccess ? 0 : 3; // the grab ends with the connection
    if (result != GrabSuccess) return 1;
    XSync(display, False);
    printf("held %d\n", int(getpid()));
    fflush(stdout);
    sleep(300);
}
