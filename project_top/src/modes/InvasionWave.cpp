#include "InvasionWave.h"

namespace {

// Opaque colour for planes and balloons.
constexpr uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return 0xFF000000u | r << 16 | g << 8 | b; }

const uint32_t RED = rgb(255, 32, 32);
const uint32_t ROSE = rgb(255, 32, 128);
const uint32_t MAGENTA = rgb(255, 32, 255);
const uint32_t GREEN = rgb(32, 255, 32);
const uint32_t YELLOW = rgb(255, 255, 32);
const uint32_t ORANGE = rgb(255, 128, 32);
const uint32_t CYAN = rgb(32, 255, 255);
const uint32_t SILVER = rgb(192, 192, 192);
const uint32_t DARK = rgb(64, 64, 64);
// Atom bombs and ballistic missiles enter from their other edge.
const uint32_t OTHER_EDGE = 255;

enum : int32_t {
    BIPLANE = 0, P35 = 1, PROPELLED_BOMB = 2, TORPEDO = 3, TORPEDO_BLACK = 4, BALLOON = 5, BALLOON_BOMB = 6,
    ATOM_BOMB = 7, CRATE = 8, KAMIKAZE = 9, BOMBER = 10, ZEPPELIN = 11, BALLISTIC = 12
};
const bool EVEN = true;
const bool RANDOM = false;

// Waves 11 to 50 follow the first ten's pattern per place in the decade
// (balloons, planes, bombs, torpedoes, ...), with more enemies each decade;
// every tenth wave is a zeppelin of the next type with a small escort.
const std::vector<InvasionWave> WAVES = {
    {1, BALLOON, 0, 30, 30, 1, RANDOM, 0},
    {1, BALLOON, 10, 30, 8, 1, RANDOM, 0},
    {1, BALLOON, 20, 30, 4, 1, RANDOM, 0},
    {2, BIPLANE, 0, 30, 16, 1, RANDOM, RED},
    {2, BIPLANE, 0, 30, 8, 1, RANDOM, ROSE},
    {2, BIPLANE, 0, 30, 4, 1, RANDOM, MAGENTA},
    {2, BALLOON, 15, 20, 10, 1, RANDOM, GREEN},
    {3, BIPLANE, 0, 30, 20, 1, EVEN, MAGENTA},
    {3, P35, 0, 30, 4, 3, EVEN, GREEN},
    {3, BALLOON, 0, 30, 2, 1, RANDOM, YELLOW},
    {4, PROPELLED_BOMB, 0, 30, 15, 1, RANDOM, 0},
    {4, ATOM_BOMB, 10, 30, 3, 1, EVEN, 0},
    {4, BALLOON, 10, 20, 10, 1, RANDOM, MAGENTA},
    {5, PROPELLED_BOMB, 0, 30, 5, 1, RANDOM, 0},
    {5, P35, 0, 30, 8, 3, EVEN, GREEN},
    {5, BALLOON, 10, 20, 10, 1, RANDOM, MAGENTA},
    {6, TORPEDO, 0, 10, 5, 1, EVEN, 0},
    {6, TORPEDO, 15, 25, 4, 2, EVEN, 0},
    {6, TORPEDO, 30, 40, 3, 3, EVEN, 0},
    {6, TORPEDO_BLACK, 40, 40.1f, 1, 1, EVEN, 0},
    {7, BALLISTIC, 0, 30, 10, 1, RANDOM, 0},
    {7, PROPELLED_BOMB, 20, 30, 10, 1, RANDOM, 0},
    {8, CRATE, 0, 30, 30, 1, RANDOM, 0},
    {9, BALLOON, 0, 30, 30, 1, RANDOM, SILVER},
    {9, BALLOON_BOMB, 10, 30, 5, 1, RANDOM, DARK},
    {9, TORPEDO, 20, 35, 3, 3, EVEN, 0},
    {10, ZEPPELIN, 2.0f, 2.1f, 1, 1, RANDOM, 0},

    {11, BALLOON, 0, 30, 20, 1, RANDOM, 0},
    {11, BIPLANE, 0, 30, 12, 1, RANDOM, ORANGE},
    {11, KAMIKAZE, 10, 30, 4, 1, RANDOM, 0},
    {12, BIPLANE, 0, 30, 16, 1, EVEN, RED},
    {12, P35, 0, 30, 4, 2, EVEN, GREEN},
    {12, BOMBER, 10, 30, 2, 1, RANDOM, 0},
    {12, BALLOON, 15, 25, 8, 1, RANDOM, YELLOW},
    {13, PROPELLED_BOMB, 0, 30, 12, 1, RANDOM, 0},
    {13, ATOM_BOMB, 10, 30, 4, 1, EVEN, 0},
    {13, BALLOON_BOMB, 5, 30, 6, 1, RANDOM, SILVER},
    {13, KAMIKAZE, 15, 30, 6, 1, RANDOM, 0},
    {14, TORPEDO, 0, 30, 4, 2, EVEN, 0},
    {14, BALLISTIC, 0, 30, 10, 1, RANDOM, 0},
    {14, BALLOON, 10, 25, 12, 1, RANDOM, MAGENTA},
    {14, BOMBER, 20, 30, 2, 1, RANDOM, 0},
    {15, P35, 0, 30, 6, 3, EVEN, GREEN},
    {15, BIPLANE, 0, 30, 12, 1, RANDOM, 0},
    {15, KAMIKAZE, 10, 30, 6, 1, RANDOM, 0},
    {15, PROPELLED_BOMB, 15, 30, 6, 1, RANDOM, 0},
    {16, TORPEDO, 0, 10, 5, 1, EVEN, 0},
    {16, TORPEDO, 15, 25, 4, 2, EVEN, 0},
    {16, TORPEDO_BLACK, 35, 35.1f, 1, 1, EVEN, 0},
    {16, BALLOON_BOMB, 0, 30, 8, 1, RANDOM, DARK},
    {16, BOMBER, 10, 30, 3, 1, RANDOM, 0},
    {17, BALLISTIC, 0, 30, 12, 1, RANDOM, OTHER_EDGE},
    {17, PROPELLED_BOMB, 10, 30, 10, 1, RANDOM, 0},
    {17, ATOM_BOMB, 15, 30, 4, 1, EVEN, OTHER_EDGE},
    {17, BALLOON, 0, 30, 10, 1, RANDOM, CYAN},
    {18, CRATE, 0, 30, 20, 1, RANDOM, 0},
    {18, KAMIKAZE, 0, 30, 8, 1, RANDOM, 0},
    {18, BIPLANE, 10, 30, 10, 1, RANDOM, RED},
    {19, BALLOON, 0, 30, 24, 1, RANDOM, SILVER},
    {19, BALLOON_BOMB, 10, 30, 8, 1, RANDOM, DARK},
    {19, TORPEDO, 20, 35, 3, 3, EVEN, 0},
    {19, BOMBER, 15, 30, 3, 1, RANDOM, 0},
    {20, ZEPPELIN, 2.0f, 2.1f, 1, 1, RANDOM, 1},
    {20, BALLOON, 0, 30, 10, 1, RANDOM, YELLOW},
    {20, KAMIKAZE, 5, 25, 4, 1, RANDOM, 0},

    {21, BALLOON, 0, 30, 24, 1, RANDOM, 0},
    {21, BIPLANE, 0, 30, 14, 1, RANDOM, ORANGE},
    {21, KAMIKAZE, 10, 30, 6, 1, RANDOM, 0},
    {22, BIPLANE, 0, 30, 18, 1, EVEN, RED},
    {22, P35, 0, 30, 5, 2, EVEN, GREEN},
    {22, BOMBER, 10, 30, 3, 1, RANDOM, 0},
    {22, BALLOON, 15, 25, 10, 1, RANDOM, YELLOW},
    {23, PROPELLED_BOMB, 0, 30, 14, 1, RANDOM, 0},
    {23, ATOM_BOMB, 10, 30, 5, 1, EVEN, 0},
    {23, BALLOON_BOMB, 5, 30, 8, 1, RANDOM, SILVER},
    {23, KAMIKAZE, 15, 30, 6, 1, RANDOM, 0},
    {24, TORPEDO, 0, 30, 5, 2, EVEN, 0},
    {24, BALLISTIC, 0, 30, 12, 1, RANDOM, 0},
    {24, BALLOON, 10, 25, 14, 1, RANDOM, MAGENTA},
    {24, BOMBER, 20, 30, 3, 1, RANDOM, 0},
    {25, P35, 0, 30, 7, 3, EVEN, GREEN},
    {25, BIPLANE, 0, 30, 14, 1, RANDOM, 0},
    {25, KAMIKAZE, 10, 30, 6, 1, RANDOM, 0},
    {25, PROPELLED_BOMB, 15, 30, 8, 1, RANDOM, 0},
    {26, TORPEDO, 0, 10, 6, 1, EVEN, 0},
    {26, TORPEDO, 15, 25, 5, 2, EVEN, 0},
    {26, TORPEDO_BLACK, 35, 35.1f, 1, 1, EVEN, 0},
    {26, BALLOON_BOMB, 0, 30, 10, 1, RANDOM, DARK},
    {26, BOMBER, 10, 30, 4, 1, RANDOM, 0},
    {27, BALLISTIC, 0, 30, 14, 1, RANDOM, OTHER_EDGE},
    {27, PROPELLED_BOMB, 10, 30, 12, 1, RANDOM, 0},
    {27, ATOM_BOMB, 15, 30, 5, 1, EVEN, OTHER_EDGE},
    {27, BALLOON, 0, 30, 12, 1, RANDOM, CYAN},
    {28, CRATE, 0, 30, 24, 1, RANDOM, 0},
    {28, KAMIKAZE, 0, 30, 8, 1, RANDOM, 0},
    {28, BIPLANE, 10, 30, 12, 1, RANDOM, RED},
    {29, BALLOON, 0, 30, 26, 1, RANDOM, SILVER},
    {29, BALLOON_BOMB, 10, 30, 10, 1, RANDOM, DARK},
    {29, TORPEDO, 20, 35, 3, 3, EVEN, 0},
    {29, BOMBER, 15, 30, 4, 1, RANDOM, 0},
    {30, ZEPPELIN, 2.0f, 2.1f, 1, 1, RANDOM, 2},
    {30, BALLOON, 0, 30, 12, 1, RANDOM, CYAN},
    {30, KAMIKAZE, 5, 25, 6, 1, RANDOM, 0},

    {31, BALLOON, 0, 30, 26, 1, RANDOM, 0},
    {31, BIPLANE, 0, 30, 16, 1, RANDOM, ORANGE},
    {31, KAMIKAZE, 10, 30, 8, 1, RANDOM, 0},
    {32, BIPLANE, 0, 30, 20, 1, EVEN, RED},
    {32, P35, 0, 30, 6, 2, EVEN, GREEN},
    {32, BOMBER, 10, 30, 4, 1, RANDOM, 0},
    {32, BALLOON, 15, 25, 10, 1, RANDOM, YELLOW},
    {33, PROPELLED_BOMB, 0, 30, 16, 1, RANDOM, 0},
    {33, ATOM_BOMB, 10, 30, 6, 1, EVEN, 0},
    {33, BALLOON_BOMB, 5, 30, 10, 1, RANDOM, SILVER},
    {33, KAMIKAZE, 15, 30, 8, 1, RANDOM, 0},
    {34, TORPEDO, 0, 30, 6, 2, EVEN, 0},
    {34, BALLISTIC, 0, 30, 14, 1, RANDOM, 0},
    {34, BALLOON, 10, 25, 16, 1, RANDOM, MAGENTA},
    {34, BOMBER, 20, 30, 4, 1, RANDOM, 0},
    {35, P35, 0, 30, 8, 3, EVEN, GREEN},
    {35, BIPLANE, 0, 30, 16, 1, RANDOM, 0},
    {35, KAMIKAZE, 10, 30, 8, 1, RANDOM, 0},
    {35, PROPELLED_BOMB, 15, 30, 8, 1, RANDOM, 0},
    {36, TORPEDO, 0, 10, 6, 1, EVEN, 0},
    {36, TORPEDO, 15, 25, 6, 2, EVEN, 0},
    {36, TORPEDO_BLACK, 35, 35.1f, 1, 1, EVEN, 0},
    {36, BALLOON_BOMB, 0, 30, 12, 1, RANDOM, DARK},
    {36, BOMBER, 10, 30, 5, 1, RANDOM, 0},
    {37, BALLISTIC, 0, 30, 16, 1, RANDOM, OTHER_EDGE},
    {37, PROPELLED_BOMB, 10, 30, 14, 1, RANDOM, 0},
    {37, ATOM_BOMB, 15, 30, 6, 1, EVEN, OTHER_EDGE},
    {37, BALLOON, 0, 30, 14, 1, RANDOM, CYAN},
    {38, CRATE, 0, 30, 26, 1, RANDOM, 0},
    {38, KAMIKAZE, 0, 30, 10, 1, RANDOM, 0},
    {38, BIPLANE, 10, 30, 14, 1, RANDOM, RED},
    {39, BALLOON, 0, 30, 28, 1, RANDOM, SILVER},
    {39, BALLOON_BOMB, 10, 30, 12, 1, RANDOM, DARK},
    {39, TORPEDO, 20, 35, 4, 3, EVEN, 0},
    {39, BOMBER, 15, 30, 5, 1, RANDOM, 0},
    {40, ZEPPELIN, 2.0f, 2.1f, 1, 1, RANDOM, 3},
    {40, BALLOON_BOMB, 0, 30, 10, 1, RANDOM, DARK},
    {40, BOMBER, 5, 25, 4, 1, RANDOM, 0},

    {41, BALLOON, 0, 30, 28, 1, RANDOM, 0},
    {41, BIPLANE, 0, 30, 18, 1, RANDOM, ORANGE},
    {41, KAMIKAZE, 10, 30, 10, 1, RANDOM, 0},
    {42, BIPLANE, 0, 30, 22, 1, EVEN, RED},
    {42, P35, 0, 30, 7, 2, EVEN, GREEN},
    {42, BOMBER, 10, 30, 5, 1, RANDOM, 0},
    {42, BALLOON, 15, 25, 12, 1, RANDOM, YELLOW},
    {43, PROPELLED_BOMB, 0, 30, 18, 1, RANDOM, 0},
    {43, ATOM_BOMB, 10, 30, 7, 1, EVEN, 0},
    {43, BALLOON_BOMB, 5, 30, 12, 1, RANDOM, SILVER},
    {43, KAMIKAZE, 15, 30, 10, 1, RANDOM, 0},
    {44, TORPEDO, 0, 30, 7, 2, EVEN, 0},
    {44, BALLISTIC, 0, 30, 16, 1, RANDOM, 0},
    {44, BALLOON, 10, 25, 18, 1, RANDOM, MAGENTA},
    {44, BOMBER, 20, 30, 5, 1, RANDOM, 0},
    {45, P35, 0, 30, 9, 3, EVEN, GREEN},
    {45, BIPLANE, 0, 30, 18, 1, RANDOM, 0},
    {45, KAMIKAZE, 10, 30, 10, 1, RANDOM, 0},
    {45, PROPELLED_BOMB, 15, 30, 10, 1, RANDOM, 0},
    {46, TORPEDO, 0, 10, 7, 1, EVEN, 0},
    {46, TORPEDO, 15, 25, 7, 2, EVEN, 0},
    {46, TORPEDO_BLACK, 35, 35.1f, 1, 1, EVEN, 0},
    {46, BALLOON_BOMB, 0, 30, 14, 1, RANDOM, DARK},
    {46, BOMBER, 10, 30, 6, 1, RANDOM, 0},
    {47, BALLISTIC, 0, 30, 18, 1, RANDOM, OTHER_EDGE},
    {47, PROPELLED_BOMB, 10, 30, 16, 1, RANDOM, 0},
    {47, ATOM_BOMB, 15, 30, 7, 1, EVEN, OTHER_EDGE},
    {47, BALLOON, 0, 30, 16, 1, RANDOM, CYAN},
    {48, CRATE, 0, 30, 28, 1, RANDOM, 0},
    {48, KAMIKAZE, 0, 30, 12, 1, RANDOM, 0},
    {48, BIPLANE, 10, 30, 16, 1, RANDOM, RED},
    {49, BALLOON, 0, 30, 30, 1, RANDOM, SILVER},
    {49, BALLOON_BOMB, 10, 30, 14, 1, RANDOM, DARK},
    {49, TORPEDO, 20, 35, 4, 3, EVEN, 0},
    {49, BOMBER, 15, 30, 6, 1, RANDOM, 0},
    {50, ZEPPELIN, 2.0f, 2.1f, 1, 1, RANDOM, 4},
    {50, BALLOON, 0, 30, 14, 1, RANDOM, SILVER},
    {50, KAMIKAZE, 5, 25, 8, 1, RANDOM, 0},
    {50, BOMBER, 10, 30, 5, 1, RANDOM, 0},
};

} // namespace

const std::vector<InvasionWave>& InvasionWave::table() { return WAVES; }

std::vector<InvasionWave> InvasionWave::rowsOf(int wave) {
    std::vector<InvasionWave> rows;
    for (const InvasionWave& row : WAVES)
        if (row.wave == wave) rows.push_back(row);
    return rows;
}

int InvasionWave::lastWave() { return WAVES.back().wave; }
