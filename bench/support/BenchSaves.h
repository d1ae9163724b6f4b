#pragma once
#include "app/SaveData.h"

// The saved options the scene benchmarks share, so that their figures stay comparable.
struct BenchSaves {
    // One human at the middle difficulty, no hints, keyboard only, no match music.
    static void solo(SaveData& saved) {
        saved.players = 1;
        saved.difficulty = 2;
        saved.bInGameHelp = 0;
        saved.bUseMouse = 0;
        saved.bInGameMusic = 0;
    }
    // The soak's war of two computer players: every kind of fight, bonuses often.
    static void soakWar(SaveData& saved, int days) {
        saved.warDays = days;
        saved.trees = 3;
        saved.opponentType = 2;
        saved.difficulty = 2;
        saved.allowBonuses = 2;
        saved.bonusFrequency = 2;
        saved.bAutocannons = 1;
        saved.bBloatedProjectiles = 1;
        saved.bBouncyBombs = 1;
        saved.bNoBlaster = 1;
        saved.bMatrixFight = 0;
        saved.bBerserkMode = 0;
        saved.bInGameMusic = 0;
        saved.bUseMouse = 0;
    }
};
