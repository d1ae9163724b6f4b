#pragma once
// A binary file on disk. Opening failures are not errors here: callers test
// bOk, and problem says why. Only regular files are opened: a FIFO, a device
// or a folder of the name (or a link to one) would block or never end, so it
// is refused without a byte read or written.
#include "Stream.h"
#include "UString.h"

class FileStream : public Stream {
public:
    enum { MODE_READ = 1, MODE_WRITE = 2 };

    // MODE_READ opens an existing file and sets size to its length; otherwise
    // MODE_WRITE creates or empties the file (size stays 0). Read wins when
    // both bits are set; with neither nothing is opened.
    FileStream(const UString& fileName, int mode);
    ~FileStream() override;

    int read(void* buffer, int count) override;
    // These do nothing when the file is not open, or after a write failed.
    void write(const void* bytes, int count);
    void flush();
    void seek(int position);  // read position from the start of the file
    void writeLine(const UString& text);  // text + "\n"
    // Makes what was written durable and closes the file; false when that or
    // an earlier write failed (writeError says why) or the file was not open.
    bool finishWriting();

    // Opens path (read-only, or for writing: created, emptied) without ever
    // blocking, and keeps the descriptor only when it is a regular file;
    // -1 otherwise, with the reason in *problem when given.
    static int openRegular(const UString& path, bool forWriting, UString* problem = nullptr);
    // The reason openRegular gives for a file that is not a regular one.
    static const char* const NOT_REGULAR;

    bool bOk = false;
    UString problem;
    // The errno of the first write that failed; later writes are skipped, so
    // that no gap is left inside the file. 0 while every write went through.
    int writeError = 0;

private:
    int fd = -1;
};
