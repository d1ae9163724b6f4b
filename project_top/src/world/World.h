#pragma once
// The few ways world objects reach the engine and the running match: named
// resources checked for their kind, the graphics detail setting, the random
// fraction the world draws, and the current controller's layers.
#include "util/V3.h"

class PlimBase;
class Skin;
class Sound;
class Texture;

class World {
public:
    // Fatal, naming the resource, when it is missing or of another kind.
    static Texture* texture(const char* name);
    static Sound* sound(const char* name);
    // A texture used as an animation: a data fault, naming it, without sub-images.
    static Texture* frames(const char* name);
    // Sub-image i of the texture, clamped to its range.
    static Skin* frame(Texture* texture, int index);
    // Plays a sound once at a position / at a random pitch.
    static void playAt(const char* name, V3 position);
    static void playRandomPitch(const char* name);

    // The graphics detail setting (0 low, 1 high); 0 without an application.
    static int detail();
    // (Random::next() & 0xFFFF) / 65536: a fresh fraction in [0, 1).
    static float fraction();

    // A layer of the current match; null outside one.
    static PlimBase* layer(int index);
    // Appends (or, with front, prepends) an object to a layer of the current
    // match; without a match the object is deleted at once.
    static void add(int layerIndex, PlimBase* object, bool front = false);
};
