#pragma once
// A file written whole or not at all with async-signal-safe calls alone, for
// the crash paths: the bytes go to a temporary file beside it, whose name the
// caller made beforehand, and which replaces the file only once every byte has
// reached it. Nothing is allocated or locked.
#include <cstddef>

class SignalSafeFile {
public:
    // Ends the temporary name, path + TEMP_MARKER + these six letters, so that
    // a start removes one that a kill left, as it does a save's.
    static constexpr char TEMP_ENDING[] = "signal";

    // Opens temp empty (never a FIFO or a device); a file that cannot be
    // opened takes no bytes and is never put in place.
    SignalSafeFile(const char* path, const char* temp);
    SignalSafeFile(const SignalSafeFile&) = delete;
    SignalSafeFile& operator=(const SignalSafeFile&) = delete;

    void write(const char* bytes, size_t count);
    void put(const char* text);
    // Appends the file at from; one that cannot be read, or is not a regular
    // file, leaves this file cut.
    void copyFrom(const char* from);
    // For writers that tell no failure (-1 when the file could not be
    // opened); a disk that refused them refuses every later write too.
    int descriptor() const { return fd; }
    // Puts the file in place when every byte went in (true), else removes
    // the temporary file.
    bool commit();

private:
    const char* path;
    const char* temp;
    int fd;
    bool whole;
};
