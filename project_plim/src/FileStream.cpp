#include "FileStream.h"

#include <sys/stat.h>

namespace {
// A folder opens like a file on Linux but cannot be read.
bool isDirectory(const char* path) {
    struct stat st;
    return stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}
}  // namespace

FileStream::FileStream(const UString& fileName, int mode) {
    if (mode & MODE_READ) {
        if (isDirectory(fileName.c_str())) return;
        file.open(fileName.c_str(), std::ios::in | std::ios::binary | std::ios::ate);
        bOk = file.is_open();
        if (bOk) {
            std::streamoff length = file.tellg();
            size = length < 0 ? 0 : length > 0x7fffffff ? 0x7fffffff : int(length);
            file.seekg(0);
        }
    } else if (mode & MODE_WRITE) {
        file.open(fileName.c_str(), std::ios::out | std::ios::binary | std::ios::trunc);
        bOk = file.is_open();
    }
}

FileStream::~FileStream() {
    if (bOk) file.close();
}

int FileStream::read(void* buffer, int count) {
    if (!bOk) return -1;
    if (count <= 0) return 0;
    file.read(static_cast<char*>(buffer), count);
    return int(file.gcount());
}

void FileStream::write(const void* bytes, int count) {
    if (!bOk || count <= 0) return;
    file.write(static_cast<const char*>(bytes), count);
}

void FileStream::flush() {
    if (bOk) file.flush();
}

void FileStream::seek(int position) {
    if (!bOk) return;
    file.clear();  // a read past the end leaves the stream failed
    file.seekg(position);
}

void FileStream::writeLine(const UString& text) {
    if (!bOk) return;
    file.write(text.c_str(), std::streamsize(text.length()));
    file.put('\n');
}
