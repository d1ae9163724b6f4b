#pragma once
// How the world tests read an object's pose: the picture it shows out of a
// set of frames, and how far apart two headings are the short way round
// (worked out here, not with the world's own angle helpers under test).
class Skin;
class Texture;

// The skin's place among the frames' pictures; -1 when it is none of them.
int skinIndex(Texture* frames, Skin* skin);
// The difference a - b brought into (-pi, pi].
float angleBetween(float a, float b);
