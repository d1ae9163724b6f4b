#include "StandInOpener.h"

#include "EngineTestFolder.h"

#include <cstdlib>
#include <sys/stat.h>

StandInOpener::StandInOpener(const std::string& folder, int status) : folder(folder + "/opener") {
    const char* path = getenv("PATH");
    previousPath = path ? path : "";
    mkdir(this->folder.c_str(), 0755);
    const std::string script = this->folder + "/xdg-open";
    EngineTestFolder::writeFile(script, "#!/bin/sh\nprintf '%s' \"$1\" > '" + this->folder + "/opened.part'\nmv '" +
                                            this->folder + "/opened.part' '" + this->folder + "/opened'\nexit " +
                                            std::to_string(status) + "\n");
    chmod(script.c_str(), 0755);
    setenv("PATH", (this->folder + ":" + previousPath).c_str(), 1);
}

StandInOpener::~StandInOpener() { setenv("PATH", previousPath.c_str(), 1); }

std::string StandInOpener::opened() const { return EngineTestFolder::readFile(folder + "/opened"); }
