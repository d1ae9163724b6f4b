// matchsim: runs a scripted match headless-ish (under xvfb-run) with a fixed
// frame time and prints, per simulated second, the live objects of every
// layer, their total and the live particles of every effect; --log adds the
// event log. A build and test tool.
#include "MatchHarness.h"
#include "MatchScenarios.h"
#include "ParticleCount.h"
#include "PlimUtil.h"
#include "ScriptedController.h"

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
};

int usage(const char* why) {
    fprintf(stderr, "matchsim: %s\n", why);
    fprintf(stderr, "usage: matchsim --scenario NAME [--seed N] [--seconds S] [--detail 0|1] [--players 1|2] [--log]\n");
    std::string names;
    for (const std::string& name : MatchScenarios::names()) names += " " + name;
    fprintf(stderr, "scenarios:%s\n", names.c_str());
    return 2;
}

// A whole decimal number within [low, high].
bool number(const char* text, long low, long high, long* out) {
    char* end = nullptr;
    long value = strtol(text, &end, 10);
    if (!*text || *end || value < low || value > high) return false;
    *out = value;
    return true;
}

void printRow(int second, const MatchHarness& run) {
    int total = 0;
    printf("%d", second);
    for (int count : run.liveLayers()) {
        printf("\t%d", count);
        total += count;
    }
    printf("\t%d\t%d\n", total, ParticleCount::live(run.controller));
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
        else if (!strcmp(arg, "--seed") && number(value, 0, 0xffffffffL, &n))
            options.seed = (unsigned long)n;
        else if (!strcmp(arg, "--seconds") && number(value, 1, 3600, &n))
            options.seconds = int(n);
        else if (!strcmp(arg, "--detail") && number(value, 0, 1, &n))
            options.detail = int(n);
        else if (!strcmp(arg, "--players") && number(value, 1, 2, &n))
            options.players = int(n);
        else
            return usage(formatString("bad argument %s %s", arg, value).c_str());
    }
    if (options.scenario.empty()) return usage("no scenario");
    bool known = false;
    for (const std::string& name : MatchScenarios::names()) known = known || name == options.scenario;
    if (!known) return usage(("unknown scenario " + options.scenario).c_str());
    if (!getenv("DISPLAY")) return usage("needs an X server (run it under xvfb-run -a)");

    MatchSettings settings;
    settings.seed = uint32_t(options.seed);
    settings.graphicsDetail = options.detail;
    MatchHarness run(settings);
    MatchScenarios::start(options.scenario, run, options.players);

    printf("matchsim scenario=%s seed=%lu seconds=%d detail=%d players=%d dt=%.3f\n", options.scenario.c_str(),
           options.seed, options.seconds, options.detail, options.players, settings.frameRate);
    printf("second");
    for (const char* name : LAYER_NAMES) printf("\t%s", name);
    printf("\ttotal\tparticles\n");
    printRow(0, run);
    for (int second = 1; second <= options.seconds; ++second) {
        run.runSeconds(1.0);
        printRow(second, run);
    }
    if (options.log) {
        printf("events\n");
        fputs(run.log.text().c_str(), stdout);
    }
    fflush(stdout);
    return 0;
}
