#include "MemoryFile.h"

#include "core/ErrorManager.h"
#include "FileManager.h"
#include "core/Plim.h"
#include "util/PlimUtil.h"
#include "util/Stream.h"

MemoryFile::MemoryFile(const UString& fileName, UString* problem) : fileName(fileName) {
    if (fileName.isEmpty()) return;
    int length = 0;
    Stream* stream = PLIM->fileManager->openFile(fileName, &length, problem);
    if (!stream) return;  // only with problem: missing or damaged
    if (length > 0) {
        data = new uint8_t[length];
        int got = stream->read(data, length);
        if (got != length) {
            const UString why = formatString("File '%s' could not be read whole (%d of %d bytes).",
                                             fileName.c_str(), got < 0 ? 0 : got, length);
            if (!problem) PLIM_ERROR("%s", why.c_str());
            *problem = why;
            delete[] data;
            data = nullptr;
            length = 0;
        }
        size = length;
    }
    delete stream;
}

MemoryFile::~MemoryFile() { delete[] data; }

void MemoryFile::releaseData() {
    delete[] data;
    data = nullptr;
    size = 0;
}
