#pragma once
// For tests that run the game as a child process. Under AddressSanitizer the
// leak check runs at exit, after SDL has closed the display, which unloads the
// OpenGL driver; the blocks the driver still held through its globals then
// show as leaks in an "<unknown module>" that no suppression can name. Called
// in the child just before exec, this preloads the driver (after the sanitizer
// runtime, which must come first) so that it stays loaded for the whole run.
// Does nothing in other builds.
#include <cstdlib>
#include <dlfcn.h>
#include <string>
#include <unistd.h>

inline void preloadGlDriverForLeakCheck() {
#if defined(__SANITIZE_ADDRESS__)
    const char* const driver = "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so";
    Dl_info info;
    void* runtime = dlsym(RTLD_DEFAULT, "__asan_init");
    if (!runtime || !dladdr(runtime, &info) || !info.dli_fname) return;
    const std::string asan = info.dli_fname;
    if (asan.find("libasan") == std::string::npos || access(driver, R_OK) != 0) return;
    std::string preload = asan + ":" + driver;
    const char* previous = getenv("LD_PRELOAD");
    if (previous && *previous) preload += std::string(":") + previous;
    setenv("LD_PRELOAD", preload.c_str(), 1);
#endif
}
