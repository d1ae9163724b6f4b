#include "MatchEventLog.h"

#include "core/Plim.h"
#include "util/PlimUtil.h"
#include "core/ResourceManager.h"
#include "audio/Sound.h"
#include "audio/SoundChannel.h"
#include "util/UString.h"
#include "modes/GameController.h"
#include "world/enemies/Enemy.h"

#include <algorithm>
#include <cstdlib>
#include <cxxabi.h>
#include <sstream>
#include <typeinfo>

namespace {
MatchEventLog* recording = nullptr;

void soundStarted(const SoundChannel& channel) {
    if (recording) recording->onSound(channel);
}
} // namespace

MatchEventLog::MatchEventLog() {
    recording = this;
    SoundChannel::onStarted = soundStarted;
    GameRecorder::current = this;
}

MatchEventLog::~MatchEventLog() {
    if (recording == this) {
        recording = nullptr;
        SoundChannel::onStarted = nullptr;
    }
    if (GameRecorder::current == this) GameRecorder::current = nullptr;
}

void MatchEventLog::setFrame(int frameNumber, GameController* match) {
    // The enemies of an earlier match went with it.
    if (match != controller) released.clear();
    frame = frameNumber;
    controller = match;
}

// Sounds of the same frame can follow the match's deletion: their lines take no clock.
void MatchEventLog::onMatchEnd(GameController* match) {
    if (match == controller) controller = nullptr;
}

void MatchEventLog::onSound(const SoundChannel& channel) {
    Sound* sound = channel.pSound;
    UString name = PLIM->resourceManager ? PLIM->resourceManager->nameOf(sound) : UString();
    if (name.isEmpty()) name = "?";
    std::string where = channel.bPositioned
                            ? formatString("%.1f,%.1f,%.1f", channel.position.x, channel.position.y, channel.position.z).c_str()
                            : "-";
    add("sound", formatString("%s\t%s\t%.4f\t%.3f..%.3f", name.c_str(), where.c_str(), channel.frequency,
                              sound->pitchMin, sound->pitchMax)
                     .c_str());
}

void MatchEventLog::onMessage(const UString& text, double seconds) {
    add("message", formatString("\"%s\"\t%.2f", text.c_str(), seconds).c_str());
}

void MatchEventLog::onModeState(GameController* match, int state) { add("state", formatString("%d", state).c_str()); }

void MatchEventLog::onEnemySpawned(Enemy* enemy) {
    int status = 0;
    char* readable = abi::__cxa_demangle(typeid(*enemy).name(), nullptr, nullptr, &status);
    released[enemy] = Released{releasedCount++, status == 0 && readable ? readable : "Enemy"};
    free(readable);
}

void MatchEventLog::onEnemyEnd(Enemy* enemy) {
    auto found = released.find(enemy);
    if (found == released.end()) return; // never released by a spawner
    std::string how;
    if (enemy->destroyedByOwner >= 0)
        how = formatString(enemy->bDestroyedByPalm ? "destroyed by palm of player %d" : "destroyed by player %d",
                           enemy->destroyedByOwner)
                  .c_str();
    else if (enemy->destroyedByOwner == -1)
        how = "destroyed by nobody";
    else
        how = enemy->position.y < GameObject::WATER_LINE ? "sunk" : "left";
    add("enemy", formatString("%s\t%s\t%.1f,%.1f", found->second.name.c_str(), how.c_str(), enemy->position.x,
                              enemy->position.y)
                     .c_str());
    released.erase(found);
}

void MatchEventLog::addAliveEnemies() {
    std::vector<std::pair<size_t, const Enemy*>> alive;
    for (const auto& entry : released) alive.emplace_back(entry.second.serial, entry.first);
    std::sort(alive.begin(), alive.end());
    for (const auto& entry : alive)
        add("enemy", formatString("%s\talive\t%.1f,%.1f", released[entry.second].name.c_str(),
                                  entry.second->position.x, entry.second->position.y)
                         .c_str());
}

void MatchEventLog::add(const char* kind, const std::string& detail) {
    double clock = controller ? controller->time : 0.0;
    lines.push_back(formatString("%d\t%.3f\t%s\t", frame, clock, kind).c_str() + detail);
}

std::string MatchEventLog::text() const {
    std::string all;
    for (const std::string& line : lines) all += line + "\n";
    return all;
}

std::vector<std::string> MatchEventLog::linesOf(const char* kind) const {
    std::vector<std::string> found;
    const std::string column = std::string("\t") + kind + "\t";
    for (const std::string& line : lines) {
        size_t second = line.find('\t', line.find('\t') + 1);
        if (second != std::string::npos && line.compare(second, column.size(), column) == 0) found.push_back(line);
    }
    return found;
}

std::vector<std::string> MatchEventLog::columns(const std::string& line) {
    std::vector<std::string> out;
    std::stringstream in(line);
    std::string part;
    while (std::getline(in, part, '\t')) out.push_back(part);
    return out;
}
