#include "DataCheck.h"

#include "DataFolder.h"
#include "StartLine.h"

#include "app/Loader.h"
#include "app/LoaderFileCheck.h"
#include "core/StaticSettings.h"
#include "files/FileManager.h"
#include "util/PlimUtil.h"

namespace {

// The archive's directory read as the loader reads it, every file the start
// reads looked up, and then read as the loader will read it, which inflates
// each whole. Nothing else in the archive is ever read: its entries are only
// weighed by their records.
UString archiveProblem(const UString& path) {
    FileManager files;
    UString problem;
    if (!files.useWad(path, &problem)) return problem;
    for (const UString& name : Loader::neededFiles())
        if (!files.verifyFileWad(name, &problem)) return problem;
    return LoaderFileCheck::problem(files);
}

} // namespace

std::string dataArchiveProblem(const std::string& folder) {
    const std::string archive = folder + "/" + PLIM_BUILD_NAME + ".dat";
    const UString damaged = archiveProblem(archive.c_str());
    if (damaged.isEmpty()) return std::string();
    const std::string reason = damaged.str();
    return startLine(" cannot use its data: " + reason + (reason.back() == '.' ? "" : ".") +
                     " Put the game's own archive there (" + DATA_REBUILD_HINT + ").");
}

std::string staticSettingsProblem(const std::string& folder) {
    const std::string settings = folder + "/" + PLIM_BUILD_NAME + ".cfg.static";
    const UString why = StaticSettings::problem(settings.c_str());
    if (why.isEmpty()) return std::string();
    return startLine(" cannot use its static settings " + quotedValue(settings) + ": " + why.str() +
                     ". Put the game's own file there (" + DATA_REBUILD_HINT + " with the data).");
}
