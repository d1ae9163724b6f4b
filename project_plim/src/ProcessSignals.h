#pragma once
// How the game answers signals. A crash (SIGSEGV, SIGABRT, SIGFPE, SIGBUS,
// SIGILL) writes out what the log holds, adds the signal and the stack, copies
// the log to the crash log that the next start offers to report, and ends the
// process with the signal's usual status. SIGHUP (a closed terminal, an ended
// session) asks for the orderly shutdown, as SIGTERM does. SIGXFSZ is ignored,
// so a write past the file-size limit fails (EFBIG) and is handled.
//
// The handler makes only async-signal-safe calls: every path and the stack it
// runs on are prepared by install. No screenshot is taken there: reading back
// the picture needs the OpenGL driver, which may be where the crash happened.
class ProcessSignals {
public:
    // Once, before SDL starts (SDL then leaves these signals to us).
    static void install();
    // A SIGHUP arrived: the entry loop ends after its frame.
    static bool quitRequested();

private:
    static void onCrash(int signal);
    static void onHangUp(int signal);
};
