#pragma once
// How the game answers signals. A crash (SIGSEGV, SIGABRT, SIGFPE, SIGBUS,
// SIGILL) writes out what the log holds, adds the signal and the stack, copies
// the log to the crash log that the next start offers to report (whole, or
// not at all: an older one stays), and ends the process with the signal's usual status. SIGHUP (a closed terminal, an ended
// session), SIGTERM and SIGINT ask for the orderly shutdown, which the entry
// loop starts after its frame. SIGXFSZ is ignored, so a write past the
// file-size limit fails (EFBIG) and is handled.
//
// The handler makes only async-signal-safe calls: every path and the stack it
// runs on are prepared by install. No screenshot is taken there: reading back
// the picture needs the OpenGL driver, which may be where the crash happened.
class ProcessSignals {
public:
    // Once, before SDL starts (SDL then leaves these signals to us).
    static void install();
    // SIGHUP, SIGTERM or SIGINT arrived: the entry loop ends after its frame.
    static bool quitRequested();
    // What asked, for the log ("Hang-up signal", "Termination signal", "Interrupt signal").
    static const char* quitReason();

private:
    static void onCrash(int signal);
    static void onQuitSignal(int signal);
};
