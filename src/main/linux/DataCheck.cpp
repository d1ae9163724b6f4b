#include "DataCheck.h"

#include "DataFolder.h"

#include "files/FileManager.h"
#include "util/FileStream.h"
#include "util/PlimUtil.h"
#include "util/Stream.h"

#include <unistd.h>

namespace {

// The archive's directory read as the loader reads it, and every entry
// inflated once through a small window.
UString archiveProblem(const UString& path) {
    FileManager files;
    UString problem;
    if (!files.useWad(path, &problem)) return problem;
    if (!files.checkWad(path, &problem)) return problem;
    return UString();
}

} // namespace

std::string dataProblem(const std::string& folder) {
    const std::string archive = folder + "/" + PLIM_BUILD_NAME + ".dat";
    const UString damaged = archiveProblem(archive.c_str());
    if (!damaged.isEmpty()) {
        const std::string reason = damaged.str();
        return std::string(PLIM_BUILD_NAME) + " cannot use its data: " + reason + (reason.back() == '.' ? "" : ".") +
               " Put the game's own archive there (" + DATA_REBUILD_HINT + ").\n";
    }
    const std::string settings = folder + "/" + PLIM_BUILD_NAME + ".cfg.static";
    UString why;
    const int fd = FileStream::openRegular(settings.c_str(), false, &why);
    if (fd >= 0) {
        close(fd);
        return std::string();
    }
    return std::string(PLIM_BUILD_NAME) + " cannot read its static settings '" + settings + "' beside its data: " +
           why.str() + ". Put the game's own file there (" + DATA_REBUILD_HINT + " with the data).\n";
}
