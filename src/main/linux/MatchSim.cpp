// matchsim: runs a scripted match headless-ish (under xvfb-run) with a fixed
// frame time and prints, per simulated second, the live objects of every
// layer, their total, the live particles of every effect and the enemies still
// held by spawners; --log adds the event log. --spawn releases enemies of one
// kind over player 0's island instead of a scenario; the war scenario runs
// --days of a classic war between two computer players to its end. A build
// and test tool.
#include "ArgumentNumber.h"
#include "EnemyScenarios.h"
#include "MatchHarness.h"
#include "MatchScenarios.h"
#include "ParticleCount.h"
#include "util/PlimUtil.h"
#include "ScriptedController.h"
#include "WarScenario.h"
#include "modes/PlayerData.h"
#include "world/enemies/EnemySpawner.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char* const LAYER_NAMES[GameController::LAYER_COUNT] = {
    "islands", "palms",            "smoke",    "cannonBalls", "shots",   "cannons", "beams",
    "bombs",   "bullets", "enemyProjectiles", "balloons", "airplanes", "enemies", "fireworks"};

struct Options {
    std::string scenario;
    unsigned long seed = 7;
    int seconds = 10;
    int detail = 1;
    int players = 2;
    bool log = false;
    bool secondsGiven = false;
    bool playersGiven = false;
    int days = WarScenario::DEFAULT_DAYS;
    bool daysGiven = false;
    int spawnType = -1;
    int spawnCount = 1;
    float difficulty = 0.0f;
};

// Without --seconds a --spawn run lasts until every enemy has ended, at most this long.
const int SPAWN_SECONDS_MAX = 600;

int usage(const char* why) {
    fprintf(stderr, "matchsim: %s\n", why);
    fprintf(stderr, "usage: matchsim --scenario NAME [--seed N] [--seconds S] [--detail 0|1] [--players 1|2] [--log]\n");
    fprintf(stderr, "       matchsim --scenario war [--days N] [--seed N] [--detail 0|1] [--log]\n");
    fprintf(stderr, "       matchsim --spawn TYPE[xN] [--difficulty D] [--seed N] [--seconds S] ...\n");
    fprintf(stderr, "types: 0..%d or their class names\n", EnemySpawner::TYPE_COUNT - 1);
    std::string names;
    for (const std::string& name : MatchScenarios::names()) names += " " + name;
    fprintf(stderr, "scenarios:%s\n", names.c_str());
    return 2;
}

// TYPE[xN]: a type number or class name, and a count of 1 to 10000.
bool spawnArgument(const std::string& text, Options* options) {
    const size_t cross = text.rfind('x');
    std::string type = text;
    long count = 1;
    if (cross != std::string::npos && cross > 0 && cross + 1 < text.size() &&
        ArgumentNumber::parse(text.c_str() + cross + 1, 1, 10000, &count))
        type = text.substr(0, cross);
    long index = -1;
    if (!ArgumentNumber::parse(type.c_str(), 0, EnemySpawner::TYPE_COUNT - 1, &index))
        for (int i = 0; i < EnemySpawner::TYPE_COUNT; ++i)
            if (type == EnemySpawner::typeName(i)) index = i;
    if (index < 0) return false;
    options->spawnType = int(index);
    options->spawnCount = int(count);
    return true;
}

// A decimal fraction within [0, 1].
bool fractionArgument(const char* text, float* out) {
    double value = 0.0;
    if (!ArgumentNumber::parseDecimal(text, 0.0, 1.0, &value)) return false;
    *out = float(value);
    return true;
}

void printRow(int second, const MatchHarness& run) {
    int total = 0;
    printf("%d", second);
    for (int count : run.liveLayers()) {
        printf("\t%d", count);
        total += count;
    }
    printf("\t%d\t%d\t%d\n", total, ParticleCount::live(run.controller), EnemySpawner::pendingIn(run.controller));
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        long n = 0;
        if (!strcmp(arg, "--log")) {
            options.log = true;
            continue;
        }
        if (!value) return usage(formatString("%s needs a value", arg).c_str());
        ++i;
        if (!strcmp(arg, "--scenario"))
            options.scenario = value;
        else if (!strcmp(arg, "--seed") && ArgumentNumber::parse(value, 0, 0xffffffffL, &n))
            options.seed = (unsigned long)n;
        else if (!strcmp(arg, "--seconds") && ArgumentNumber::parse(value, 1, 3600, &n)) {
            options.seconds = int(n);
            options.secondsGiven = true;
        } else if (!strcmp(arg, "--spawn") && spawnArgument(value, &options))
            ;
        else if (!strcmp(arg, "--difficulty") && fractionArgument(value, &options.difficulty))
            ;
        else if (!strcmp(arg, "--detail") && ArgumentNumber::parse(value, 0, 1, &n))
            options.detail = int(n);
        else if (!strcmp(arg, "--players") && ArgumentNumber::parse(value, 1, 2, &n)) {
            options.players = int(n);
            options.playersGiven = true;
        } else if (!strcmp(arg, "--days") && ArgumentNumber::parse(value, 1, WarScenario::MAX_DAYS, &n)) {
            options.days = int(n);
            options.daysGiven = true;
        }
        else
            return usage(formatString("bad argument %s %s", arg, value).c_str());
    }
    const bool spawning = options.spawnType >= 0;
    if (options.scenario.empty() == !spawning) return usage("needs either a scenario or --spawn");
    bool known = spawning;
    for (const std::string& name : MatchScenarios::names()) known = known || name == options.scenario;
    if (!known) return usage(("unknown scenario " + options.scenario).c_str());
    const bool war = options.scenario == "war";
    if (options.daysGiven && !war) return usage("--days goes with the war scenario only");
    if (war && (options.secondsGiven || options.playersGiven))
        return usage("the war has two computer players and runs until its end (--days)");
    if (!getenv("DISPLAY")) return usage("needs an X server (run it under xvfb-run -a)");

    MatchSettings settings;
    settings.seed = uint32_t(options.seed);
    settings.graphicsDetail = options.detail;
    MatchHarness run(settings);
    if (spawning) {
        EnemyScenarios::startSpawn(run, options.players, options.spawnType, options.spawnCount, options.difficulty);
        printf("matchsim spawn=%sx%d difficulty=%.2f seed=%lu", EnemySpawner::typeName(options.spawnType),
               options.spawnCount, options.difficulty, options.seed);
        if (options.secondsGiven) printf(" seconds=%d", options.seconds);
    } else if (war) {
        WarScenario::start(run, options.days);
        printf("matchsim scenario=war seed=%lu days=%d", options.seed, options.days);
        options.players = 0;
    } else {
        MatchScenarios::start(options.scenario, run, options.players);
        printf("matchsim scenario=%s seed=%lu seconds=%d", options.scenario.c_str(), options.seed, options.seconds);
    }
    printf(" detail=%d players=%d dt=%.3f\n", options.detail, options.players, settings.frameRate);
    printf("second");
    for (const char* name : LAYER_NAMES) printf("\t%s", name);
    printf("\ttotal\tparticles\tpending\n");
    printRow(0, run);
    // A spawn run without --seconds goes on until every enemy has ended.
    const bool untilClear = spawning && !options.secondsGiven;
    int last = untilClear ? SPAWN_SECONDS_MAX : options.seconds;
    if (war) last = int(WarScenario::DAY_SECONDS_MAX) * options.days;
    for (int second = 1; second <= last; ++second) {
        run.runSeconds(1.0);
        printRow(second, run);
        if (untilClear && EnemyScenarios::enemiesLeft(run.controller) == 0) break;
        if (war && WarScenario::over(run)) break;
    }
    if (war) {
        auto* match = static_cast<WarScenario::Match*>(run.controller);
        printf("war %s after day %d of %d, %d rounds (%d cut at %.0f s), scores %d %d, winner %d\n",
               WarScenario::over(run) ? "over" : "still on", match->day, match->days, WarScenario::rounds(*match),
               match->roundsCut, match->roundLimit, match->playerData[0]->score, match->playerData[1]->score,
               match->winner);
    }
    if (options.log) {
        run.log.addAliveEnemies();
        printf("events\n");
        fputs(run.log.text().c_str(), stdout);
    }
    fflush(stdout);
    return 0;
}
