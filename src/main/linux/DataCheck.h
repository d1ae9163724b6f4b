#pragma once
// Whether the data the game found can be used, before anything starts: the
// archive read whole (its directory, every entry, every compressed one
// inflated) and the static settings beside it.
#include <string>

// Empty when folder's archive and static settings can be used; else one line
// naming the file, the reason and what to do.
std::string dataProblem(const std::string& folder);
