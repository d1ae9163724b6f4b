#pragma once
// Writes small uncompressed 32-bit TGA files (rows bottom first, as the engine
// reads them) for tests that load textures.
#include <cstdint>
#include <functional>
#include <string>

// pixel(x, y) gives the colour of image pixel (x, y), row 0 at the top, as a
// UColor value (red in the lowest byte, alpha in the highest). Missing folders
// on the path are created.
void writeTgaFile(const std::string& path, int width, int height,
                  const std::function<uint32_t(int x, int y)>& pixel);
