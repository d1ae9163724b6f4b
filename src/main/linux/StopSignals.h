#pragma once
// SIGTERM and SIGINT ask a network tool for its orderly stop: its loop sees
// requested() within a fraction of a second, leaves its peers, closes its
// sockets and files, prints its end lines and exits 0. A second signal while
// it stops ends it at once (the default action).
//
// No SA_RESTART: a blocking call the signal lands in returns early (EINTR).
// A sleep that must not miss a signal that came just before it begins waits
// through wait(), on a pipe the handler writes to.
//
// A start-up too slow to wait for, with nothing yet to leave in order, can
// have a signal end the process at once instead (endAtOnce) until inOrder().
#include <atomic>

class StopSignals {
public:
    // Once, before anything blocks and before SDL starts (SDL then leaves
    // these signals to us). It also takes SIGINT back from the SIG_IGN a job
    // in the background of a script starts with.
    static void install();
    // Before install(): until inOrder(), a signal removes folder (the
    // start-up's scratch; none when empty), writes line to standard output
    // and exits 0, with system calls alone.
    static void endAtOnce(const char* line, const char* folder);
    // From here on a signal asks for the orderly stop.
    static void inOrder();
    static bool requested() { return stop; }
    // The flag itself, for a loop that takes one.
    static const std::atomic<bool>* flag() { return &stop; }
    // Sleeps up to seconds, less once a stop is requested; true then.
    static bool wait(double seconds);

private:
    static void onSignal(int signal);
    static std::atomic<bool> stop;
};
