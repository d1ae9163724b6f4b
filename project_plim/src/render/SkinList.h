#pragma once
// The sub-images (skins) a picture's side file lists: sections [Skin 0] to
// [Skin n-1], n being the file's number of sections, each with left, top,
// width and height in pixels and optionally origin_adjust_x and
// origin_adjust_y, each lying inside the picture. The texture and the start's
// check of the data read a side file through this one reader.
#include "util/UString.h"

#include <vector>

class MemoryIniFile;

struct SkinRect {
    int left = 0, top = 0, width = 0, height = 0;
    int adjustX = 0, adjustY = 0;  // origin_adjust_x and origin_adjust_y; 0 when absent
};

class SkinList {
public:
    // The skins of ini for the picture (its name and size). A missing key
    // (said with its line and cause, SkinListFault) or a skin outside the
    // picture is a fatal error; given problem, it is not: false, with the
    // same words in *problem.
    static bool read(MemoryIniFile& ini, const UString& picture, int width, int height, std::vector<SkinRect>& skins,
                     UString* problem = nullptr);

    // Sub-images a side file may list; more are refused as a skin outside the
    // picture is: each costs the start memory and time (the game's largest
    // side file lists 256).
    static constexpr int MAX_SKINS = 4096;
};
