#pragma once
// The ALSA library prints its complaints (no sound card, an unknown device)
// straight to standard error, several lines each time SDL probes it. Routed
// here, they go to the game log instead, so that a machine without sound gets
// the audio device's one line. The game does not link against ALSA: the
// library is looked up at run time, and without it nothing happens.
class AlsaMessages {
public:
    // Sends every later ALSA message to the log, where SDL may use ALSA; safe
    // to call more than once.
    static void routeToLog();
};
