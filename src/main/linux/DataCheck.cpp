#include "DataCheck.h"

#include "DataFolder.h"

#include "files/FileManager.h"
#include "util/FileStream.h"
#include "util/PlimUtil.h"
#include "util/Stream.h"

#include <unistd.h>

namespace {

// Every entry of the archive opened as the loader opens it.
UString archiveProblem(const UString& path) {
    FileManager files;
    UString problem;
    if (!files.useWad(path, &problem)) return problem;
    for (const auto& node : files.directory) {
        const WadEntry& entry = node.value;
        if (entry.fileName == entry.wadName) continue;  // the archive's own mark
        int size = 0;
        Stream* stream = files.openWad(entry.fileName, &size, &problem);
        if (!stream) return problem;
        delete stream;
    }
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
