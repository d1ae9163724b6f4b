#include "SaveFailures.h"

#include "core/Logger.h"
#include "DiskSpace.h"
#include "FileManager.h"
#include "ReplaceFile.h"
#include "util/FileStream.h"
#include "util/PlimUtil.h"
#include "UserNotices.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <unistd.h>
#include <utility>

namespace {

// A file and why it could not be saved.
using FailedSave = std::pair<std::string, std::string>;

// Bounds on a kept list, which anyone could have written.
const int MAX_KEPT_BYTES = 16384;
const size_t MAX_KEPT = 16;

// Told to the player this run.
std::set<FailedSave>& told() {
    static std::set<FailedSave> failures;
    return failures;
}

bool gathering = false;
std::vector<SaveFailures::Failure> gathered;

// The notices posted for failed saves, by their text.
std::map<std::string, FailedSave>& posted() {
    static std::map<std::string, FailedSave> notices;
    return notices;
}

// The saves whose last try failed, the latest failure last: their changes are
// lost unless a later save of the file succeeds.
std::vector<FailedSave>& failing() {
    static std::vector<FailedSave> saves;
    return saves;
}

void forget(const std::string& path) {
    std::vector<FailedSave>& saves = failing();
    saves.erase(std::remove_if(saves.begin(), saves.end(), [&](const FailedSave& save) { return save.first == path; }),
                saves.end());
}

bool tell(const FailedSave& failure, const UString& text) {
    if (!told().insert(failure).second) return false;
    UserNotices::post(text);
    return true;
}

// One kept failure a line: the path, a tab, the reason; neither holds a control character.
bool keepable(const std::string& text) {
    if (text.empty()) return false;
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7f) return false;
    return true;
}

std::vector<FailedSave> readKept(const UString& path) {
    std::vector<FailedSave> kept;
    FileStream in(path, FileStream::MODE_READ);
    if (!in.bOk || in.size > MAX_KEPT_BYTES) return kept;
    std::string text(size_t(in.size), '\0');
    const int got = in.read(&text[0], in.size);
    text.resize(got > 0 ? size_t(got) : 0);
    size_t start = 0;
    while (start < text.size() && kept.size() < MAX_KEPT) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        const size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        FailedSave failure(line.substr(0, tab), line.substr(tab + 1));
        if (keepable(failure.first) && keepable(failure.second)) kept.push_back(failure);
    }
    return kept;
}

} // namespace

UString SaveFailures::lostChanges(const UString& path, const UString& reason) {
    return formatString("Could not save '%s': %s. Your latest changes are not kept.", path.c_str(), reason.c_str());
}

void SaveFailures::report(const UString& path, const UString& reason) {
    logTagged("save", "Cannot save '%s': %s", path.c_str(), reason.c_str());
    const UString text = lostChanges(path, reason);
    const FailedSave failure(path.str(), reason.str());
    forget(failure.first);
    failing().push_back(failure);
    // Some files are saved at every change: the player hears of each failure once.
    if (gathering) {
        told().insert(failure);
        gathered.emplace_back(path, reason);
    } else if (tell(failure, text)) {
        posted()[text.str()] = failure;
    }
}

void SaveFailures::saved(const UString& path) { forget(path.str()); }

UString SaveFailures::whyUnsavable(const UString& path, int64_t bytes, bool* sure) {
    if (sure) *sure = true;
    UString why;
    const UString target = replaceTarget(path, &why);
    if (target.isEmpty()) return why;
    const UString probe = makeTempFileFor(target, &why);
    if (probe.isEmpty()) return why;
    unlink(probe.c_str());
    // The margin is a guess: the saves may well fit in what is left, unless
    // that is less than they take.
    if (sure) *sure = false;
    return DiskSpace::whyNoRoom(target, bytes, sure);
}

void SaveFailures::foresee(const UString& path, int64_t bytes) {
    // A file kept because it cannot be read was told of when it was found.
    if (FileManager::isSaveBlocked(path)) return;
    bool sure;
    const UString why = whyUnsavable(path, bytes, &sure);
    if (why.isEmpty()) return;
    logTagged("foresee", "'%s' %s be saved: %s", path.c_str(), sure ? "cannot" : "may not", why.c_str());
    tell(FailedSave(path.str(), why.str()),
         sure ? formatString("The file '%s' cannot be saved (%s). The changes made in this game will not be kept.",
                             path.c_str(), why.c_str())
              : formatString("The file '%s' may not be saved (%s). The changes made in this game may not be kept.",
                             path.c_str(), why.c_str()));
}

void SaveFailures::startGathering() {
    gathering = true;
    gathered.clear();
}

std::vector<SaveFailures::Failure> SaveFailures::takeGathered() {
    gathering = false;
    std::vector<Failure> taken;
    taken.swap(gathered);
    return taken;
}

UString SaveFailures::keptListPath(const UString& folder) { return folder + PLIM_BUILD_NAME + ".unsaved"; }

std::vector<UString> SaveFailures::sayLostAtExit(const UString& folder, const std::vector<UString>& unseen) {
    for (const FailedSave& failure : failing()) UserNotices::say(lostChanges(failure.first, failure.second));
    keepUnseen(folder, unseen);
    std::vector<UString> others;
    for (const UString& notice : unseen)
        if (!posted().count(notice.str())) others.push_back(notice);
    return others;
}

void SaveFailures::keepUnseen(const UString& folder, const std::vector<UString>& unseen) {
    std::vector<FailedSave> kept;
    for (const UString& notice : unseen) {
        auto failure = posted().find(notice.str());
        if (failure == posted().end() || !keepable(failure->second.first) || !keepable(failure->second.second))
            continue;
        // One a later save mended lost nothing.
        if (std::find(failing().begin(), failing().end(), failure->second) != failing().end())
            kept.push_back(failure->second);
    }
    if (kept.empty()) return;
    // A start that ended before it told the list's failures still has them to tell.
    const UString path = keptListPath(folder);
    std::vector<FailedSave> all = readKept(path);
    std::string text;
    for (const FailedSave& failure : kept)
        if (all.size() < MAX_KEPT && std::find(all.begin(), all.end(), failure) == all.end()) all.push_back(failure);
    for (const FailedSave& failure : all) text += failure.first + '\t' + failure.second + '\n';
    UString why;
    if (replaceFile(path, text.data(), int(text.size()), &why)) return;
    // The engine and its log are gone by now: standard error is all there is.
    logTagged("keepUnseen", "Cannot keep the failed saves in '%s': %s", path.c_str(), why.c_str());
    UserNotices::say(formatString("Could not save '%s': %s. The next start cannot tell the saves that failed.",
                                  path.c_str(), why.c_str()));
}

void SaveFailures::tellKept(const UString& folder) {
    const UString path = keptListPath(folder);
    if (!FileManager::pathExistsOnDisk(path)) return;
    const std::vector<FailedSave> kept = readKept(path);
    // Told only once it is gone, or every start would tell it again.
    if (unlink(path.c_str()) != 0) {
        logTagged("tellKept", "Cannot remove '%s': the failed saves it lists are not told.", path.c_str());
        return;
    }
    // Not marked as told: where the cause persists, foresee tells it too, as
    // this game's changes that will or may not be kept.
    std::set<FailedSave> lastGame;
    for (const FailedSave& failure : kept)
        if (lastGame.insert(failure).second)
            UserNotices::post(formatString("Could not save '%s' when the game last ended: %s. The changes of that "
                                           "game were not kept.",
                                           failure.first.c_str(), failure.second.c_str()));
}
