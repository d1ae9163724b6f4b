#include "MemoryFile.h"

#include "core/ErrorManager.h"
#include "FileManager.h"
#include "core/Plim.h"
#include "util/MemoryStream.h"
#include "util/PlimUtil.h"
#include "util/Stream.h"

MemoryFile::MemoryFile(const UString& fileName, UString* problem) : fileName(fileName) {
    read(WHOLE_FILE, problem);
}

MemoryFile::MemoryFile(const UString& fileName, int headBytes, UString* problem) : fileName(fileName) {
    read(headBytes, problem);
}

void MemoryFile::read(int headBytes, UString* problem) {
    releaseData();
    if (fileName.isEmpty()) return;
    int length = 0;
    Stream* stream = PLIM->fileManager->openHead(fileName, headBytes, &length, problem);
    bUnread = !stream;
    if (!stream) return;  // only with problem: missing or damaged
    MemoryStream* inflated = dynamic_cast<MemoryStream*>(stream);
    if (inflated && inflated->size == length && length > 0) {
        // An inflated entry is held once, not copied.
        data = inflated->releaseData();
        size = length;
    } else if (length > 0) {
        data = new uint8_t[length];
        int got = stream->read(data, length);
        if (got != length) {
            const UString why = formatString("File '%s' could not be read whole (%d of %d bytes).",
                                             fileName.c_str(), got < 0 ? 0 : got, length);
            if (!problem) PLIM_ERROR("%s", why.c_str());
            *problem = why;
            bUnread = true;
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
