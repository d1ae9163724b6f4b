#pragma once
// The game's loaded resources by name, for scenario objects; a wrong name or
// kind is fatal, naming the resource.
class Skin;
class Sound;

class MatchResources {
public:
    static Skin* skin(const char* name);
    static Sound* sound(const char* name);
};
