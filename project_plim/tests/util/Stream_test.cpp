#include "util/FileStream.h"
#include "util/MemoryStream.h"

#include "TempFolder.h"
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>

TEST(FileStream, MissingFileIsIgnored) {
    std::string path = tempPath("plim_stream_missing_" + std::to_string(getpid()));
    FileStream f(path.c_str(), FileStream::MODE_READ | FileStream::MODE_WRITE);  // read wins
    EXPECT_FALSE(f.bOk);
    char buffer[4];
    EXPECT_EQ(f.read(buffer, 4), -1);
    f.write("abc", 3);
    f.writeLine("x");
    FileStream none(path.c_str(), 0);
    EXPECT_FALSE(none.bOk);
    EXPECT_NE(access(path.c_str(), F_OK), 0);
}

TEST(FileStream, WriteReadSeek) {
    std::string path = tempPath("plim_stream_rw_" + std::to_string(getpid()));
    {
        FileStream w(path.c_str(), FileStream::MODE_WRITE);
        ASSERT_TRUE(w.bOk);
        w.writeLine("");
        w.writeLine("line");
        w.write("\0z", 2);
    }
    FileStream r(path.c_str(), FileStream::MODE_READ);
    ASSERT_EQ(r.size, 8);
    char buffer[16];
    EXPECT_EQ(r.read(buffer, 16), 8);
    EXPECT_EQ(std::string(buffer, 8), std::string("\nline\n\0z", 8));
    EXPECT_EQ(r.read(buffer, 16), 0);
    r.seek(6);  // still works after reading past the end
    EXPECT_EQ(r.read(buffer, 16), 2);
    EXPECT_EQ(buffer[1], 'z');

    FileStream(path.c_str(), FileStream::MODE_WRITE);  // reopening empties it
    EXPECT_EQ(FileStream(path.c_str(), FileStream::MODE_READ).size, 0);
    std::remove(path.c_str());
}

TEST(MemoryStream, ReadsInPieces) {
    MemoryStream m(10);
    for (int i = 0; i < 10; ++i) m.data[i] = uint8_t(i);
    uint8_t buffer[4];
    EXPECT_EQ(m.read(buffer, 4), 4);
    EXPECT_EQ(m.read(buffer, 4), 4);
    EXPECT_EQ(m.read(buffer, 4), 2);
    EXPECT_EQ(buffer[1], 9);
    EXPECT_EQ(m.read(buffer, 4), 0);
    EXPECT_EQ(m.read(buffer, -1), 0);
    EXPECT_EQ(MemoryStream(-5).size, 0);
}
