#include "DataCheck.h"

#include "DataFolder.h"

#include "app/Loader.h"
#include "core/StaticSettings.h"
#include "files/FileManager.h"
#include "files/PrintableText.h"
#include "util/PlimUtil.h"

namespace {

// The archive's directory read as the loader reads it, every entry inflated
// once through a small window, and every file the start reads looked up.
UString archiveProblem(const UString& path) {
    FileManager files;
    UString problem;
    if (!files.useWad(path, &problem) || !files.checkWad(path, &problem)) return problem;
    for (const UString& name : Loader::neededFiles())
        if (!files.verifyFileWad(name, &problem)) return problem;
    return UString();
}

} // namespace

std::string dataArchiveProblem(const std::string& folder) {
    const std::string archive = folder + "/" + PLIM_BUILD_NAME + ".dat";
    const UString damaged = archiveProblem(archive.c_str());
    if (damaged.isEmpty()) return std::string();
    const std::string reason = damaged.str();
    return std::string(PLIM_BUILD_NAME) + " cannot use its data: " + reason + (reason.back() == '.' ? "" : ".") +
           " Put the game's own archive there (" + DATA_REBUILD_HINT + ").\n";
}

std::string staticSettingsProblem(const std::string& folder) {
    const std::string settings = folder + "/" + PLIM_BUILD_NAME + ".cfg.static";
    const UString why = StaticSettings::problem(settings.c_str());
    if (why.isEmpty()) return std::string();
    return std::string(PLIM_BUILD_NAME) + " cannot use its static settings '" + printableText(settings) +
           "': " + why.str() + ". Put the game's own file there (" + DATA_REBUILD_HINT + " with the data).\n";
}
