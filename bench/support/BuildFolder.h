#pragma once
// Where the build put the game, its archive and its tools: the folder above
// the one this benchmark program lies in (build/bench/..); empty when the
// program cannot tell where it lies.
#include <string>

std::string buildFolder();
