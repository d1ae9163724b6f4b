#pragma once
// Screenshots as the tests read them back: a JPEG file decoded to RGB rows
// (y down), and the JPEG files of a folder.
#include <cstdint>
#include <set>
#include <string>
#include <vector>

struct JpegImage {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    const uint8_t* at(int x, int y) const { return &rgb[size_t(y * width + x) * 3]; }
};

// Empty (0 x 0) when the file cannot be opened.
JpegImage readJpeg(const std::string& path);
// Paths of the ".jpg" files in the folder (which ends with a slash).
std::set<std::string> jpegFiles(const std::string& folder);
