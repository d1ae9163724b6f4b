#pragma once
// One piece of music: the compressed file held in memory for the stream's
// whole life and decoded block by block while it plays, as one voice counted
// against the music master volume. Every operation does nothing while audio
// is muted. A stream that does not open is a fatal error naming it; one found
// damaged while it plays ends there (the music stops; the log says why when
// the stream goes).
#include "files/MemoryFile.h"
#include "core/PlimBase.h"
#include "util/UString.h"

#include <cstdint>

class MixerOGGstream;

class SoundStream : public PlimBase {
public:
    // Reads the whole file (also when muted); builds the decoder unless muted.
    SoundStream(const UString& fileName, bool loop);
    // Stops the voice before the decoder and the file go.
    ~SoundStream() override;

    // Starts a voice from the beginning unless one is already playing.
    void play();
    void stop();
    void setVolume(float volume, double seconds);
    bool isPlaying();

    MemoryFile file;
    MixerOGGstream* source = nullptr;
    int32_t channelId = -1;

private:
    UString failure;  // written once by the audio thread's decoder
};
