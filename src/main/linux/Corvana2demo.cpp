// The game's start-up on Linux: finds the folder that holds the data archive,
// makes it the working folder (every data file is read relative to it, like
// the bundle's resource folder elsewhere) and runs the entry loop.
#include "DataFolder.h"
#include "PlimUtil.h"
#include "app/WMhooks.h"

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

#ifndef CORVANA2DEMO_DATA_DIR
#define CORVANA2DEMO_DATA_DIR "/usr/local/share/corvana2demo"
#endif

int main(int argc, char** argv) {
    const std::string archive = std::string(PLIM_BUILD_NAME) + ".dat";
    char cwd[4096];
    std::string working = getcwd(cwd, sizeof cwd) ? std::string(cwd) : std::string(".");
    std::vector<std::string> candidates = {working, executableFolder(), CORVANA2DEMO_DATA_DIR};
    std::string folder = findDataFolder(candidates, archive);
    if (folder.empty()) {
        fputs(missingDataMessage(candidates, archive).c_str(), stderr);
        return 1;
    }
    if (chdir(folder.c_str()) != 0) {
        perror(folder.c_str());
        return 1;
    }
    return SDL_main(argc, argv);
}
