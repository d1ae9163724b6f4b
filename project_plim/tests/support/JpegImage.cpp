#include "JpegImage.h"

#include <cstdio>
#include <dirent.h>
#include <jpeglib.h>

JpegImage readJpeg(const std::string& path) {
    JpegImage image;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return image;
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, f);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    image.width = int(info.output_width);
    image.height = int(info.output_height);
    image.rgb.resize(size_t(image.width * image.height * 3));
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = &image.rgb[size_t(info.output_scanline) * size_t(image.width) * 3];
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    fclose(f);
    return image;
}

std::set<std::string> jpegFiles(const std::string& folder) {
    std::set<std::string> names;
    if (DIR* d = opendir(folder.c_str())) {
        while (dirent* e = readdir(d))
            if (std::string(e->d_name).find(".jpg") != std::string::npos) names.insert(folder + e->d_name);
        closedir(d);
    }
    return names;
}
