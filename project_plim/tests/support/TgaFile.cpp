#include "TgaFile.h"

#include <cstdlib>
#include <fstream>
#include <vector>

void writeTgaFile(const std::string& path, int width, int height,
                  const std::function<uint32_t(int x, int y)>& pixel) {
    size_t slash = path.rfind('/');
    if (slash != std::string::npos) {
        std::string command = "mkdir -p '" + path.substr(0, slash) + "'";
        if (system(command.c_str()) != 0) return;
    }
    std::vector<uint8_t> bytes(18, 0);
    bytes[2] = 2;
    bytes[12] = uint8_t(width);
    bytes[13] = uint8_t(width >> 8);
    bytes[14] = uint8_t(height);
    bytes[15] = uint8_t(height >> 8);
    bytes[16] = 32;
    bytes[17] = 8;
    for (int y = height - 1; y >= 0; --y)
        for (int x = 0; x < width; ++x) {
            uint32_t c = pixel(x, y);
            bytes.push_back(uint8_t(c >> 16)); // blue
            bytes.push_back(uint8_t(c >> 8));  // green
            bytes.push_back(uint8_t(c));       // red
            bytes.push_back(uint8_t(c >> 24)); // alpha
        }
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}
