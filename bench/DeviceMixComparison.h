#pragma once
// Our Mixer beside SDL_mixer 1.2 on the same SDL audio device (the dummy
// driver unless SDL_AUDIODRIVER names another), in the game's device format:
// 8, 32 and 64 looping voices of the game's own effects (read from the build's
// data archive), panned left, centre and right in turn. Prints the audio
// thread's CPU time per buffer for each and their ratio (ours / SDL_mixer).
// Returns the program's exit status.
int compareDeviceMixing();
