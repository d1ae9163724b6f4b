#include "MatchEventLog.h"

#include "Plim.h"
#include "PlimUtil.h"
#include "ResourceManager.h"
#include "Sound.h"
#include "SoundChannel.h"
#include "UString.h"
#include "modes/GameController.h"

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
    frame = frameNumber;
    controller = match;
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
