#include "DeviceMixComparison.h"

#include <cstdio>

// Built without SDL_mixer: nothing to compare with.
int compareDeviceMixing() {
    printf("Built without SDL_mixer 1.2 (libsdl-mixer1.2-dev): device comparison skipped.\n");
    return 0;
}
