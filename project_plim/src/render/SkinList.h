#pragma once
// The sub-images (skins) a picture's side file lists: sections [Skin 0] to
// [Skin n-1], n being the file's number of sections, each with left, top,
// width and height in pixels and optionally origin_adjust_x and
// origin_adjust_y, each lying inside the picture. The texture and the start's
// check of the data read a side file through this one reader, strictly: the
// file is UTF-8 text whose every line is blank, a comment, a section or a key,
// no section or key of a section comes twice, and each value is a whole
// number; any fault is told in one line by its line, key and section, as the
// static settings' check tells its faults.
#include "util/UString.h"

#include <string>
#include <vector>

struct SkinRect {
    int left = 0, top = 0, width = 0, height = 0;
    int adjustX = 0, adjustY = 0;  // origin_adjust_x and origin_adjust_y; 0 when absent
};

class SkinList {
public:
    // The skins of the side file fileName (read through the file manager) of
    // the picture (its name and size), at least one. A fault is a data fault
    // naming the file; given problem, it is not: false, with the fault in
    // *problem.
    static bool read(const UString& fileName, const UString& picture, int width, int height,
                     std::vector<SkinRect>& skins, UString* problem = nullptr);
    // The same for the file's text.
    static UString readText(const std::string& text, const UString& picture, int width, int height,
                            std::vector<SkinRect>& skins);

    // Sub-images a side file may list; more are refused as a skin outside the
    // picture is: each costs the start memory and time (the game's largest
    // side file lists 256).
    static constexpr int MAX_SKINS = 4096;
};
