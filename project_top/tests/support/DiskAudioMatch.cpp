#include "DiskAudioMatch.h"

#include "DiskAudio.h"
#include "audio/Mixer.h"
#include "core/Plim.h"
#include "audio/PlimAudio.h"

namespace {
MatchSettings diskAudio() {
    MatchSettings settings;
    settings.audioDriver = "disk";
    return settings;
}
} // namespace

DiskAudioMatch::DiskAudioMatch() : run(diskAudio()), output(run.folder.root + "/audio.raw") {
    run.app->saveData.bInGameMusic = 0;
    match = run.start([] { return new GameController(); });
    buffer = long(PLIM->audio->mixer->spec.size);
}

void DiskAudioMatch::settle() {
    for (int i = 0; i < 3; ++i) DiskAudio::stepAndHear(run, output);
}
