#pragma once
// A stand-in for xdg-open, first on PATH while it lives: it writes the address
// it is given into "opened" in its folder and ends with the given status.
#include <string>

class StandInOpener {
public:
    StandInOpener(const std::string& folder, int status);
    ~StandInOpener();
    StandInOpener(const StandInOpener&) = delete;
    StandInOpener& operator=(const StandInOpener&) = delete;

    // The address the stand-in was given ("" before it ran).
    std::string opened() const;

private:
    std::string folder;
    std::string previousPath;
};
