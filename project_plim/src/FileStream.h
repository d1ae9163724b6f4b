#pragma once
// A binary file on disk. Opening failures are not errors here: callers test bOk.
#include "Stream.h"
#include "UString.h"

#include <fstream>

class FileStream : public Stream {
public:
    enum { MODE_READ = 1, MODE_WRITE = 2 };

    // MODE_READ opens an existing file and sets size to its length; otherwise
    // MODE_WRITE creates or empties the file (size stays 0). Read wins when
    // both bits are set; with neither nothing is opened.
    FileStream(const UString& fileName, int mode);
    ~FileStream() override;

    int read(void* buffer, int count) override;
    // These do nothing when the file is not open.
    void write(const void* bytes, int count);
    void flush();
    void seek(int position);  // read position from the start of the file
    void writeLine(const UString& text);  // text + "\n"

    bool bOk = false;

private:
    std::fstream file;
};
