#pragma once
// Live particles of every effect in a match's layers (explosions, smoke,
// splashes, fireworks): the particles column of matchsim and the benchmarks.
class GameController;

class ParticleCount {
public:
    static int live(const GameController* match);
};
