#pragma once
// A stand-in for xdg-open, first on PATH while it lives: it writes the address
// it is given into "opened" in its folder and ends with the given status; with
// NONE no xdg-open is on PATH at all.
#include <string>

class StandInOpener {
public:
    static constexpr int NONE = -1;

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
