#include "DiskAudio.h"

#include <sys/stat.h>

namespace DiskAudio {

long fileSize(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? long(st.st_size) : 0;
}

long firstSound(const std::string& bytes, size_t from, size_t to) {
    for (size_t i = from; i < to && i < bytes.size(); ++i)
        if (bytes[i] != 0) return long(i);
    return -1;
}

} // namespace DiskAudio
