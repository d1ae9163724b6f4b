#pragma once
// A file of the game's data that the game cannot use, met while it loads or
// plays (a picture without the sub-image asked for, a resource its data never
// made): a set-up problem, not a fault of the program, since the start's check
// of the data refuses such an archive. Told as the start tells one, in one line
// on standard error beginning with the program's name, then status 1; no crash
// log and no crash picture, so the next start offers no report, and nothing of
// the player's is saved from a game that never ran whole.
class DataFault {
public:
    [[noreturn]] static void raise(const char* format, ...) __attribute__((format(printf, 1, 2)));
};
