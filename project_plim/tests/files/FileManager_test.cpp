// The file manager with its data archives: the archive writer and reader
// against each other and against hand-made archive bytes, the lookup rules,
// building mode, and corrupt or hostile archives.
#include "BareEngine.h"
#include "EngineTestFolder.h"
#include "core/ErrorManager.h"
#include "ExpectFatal.h"
#include "files/FileManager.h"
#include "core/Logger.h"
#include "files/MemoryFile.h"
#include "files/MemoryIniFile.h"
#include "files/WadDirectory.h"
#include "core/Plim.h"
#include "util/Stream.h"
#include "util/UString.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace {

void put32(std::string& s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = char(v >> (8 * i));
}
uint32_t get32(const std::string& s, size_t at) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t(uint8_t(s[at + i])) << (8 * i);
    return v;
}

// Deterministic bytes that do not compress.
std::string noise(size_t n, uint32_t seed) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) {
        seed = seed * 1103515245u + 12345u;
        s[i] = char(seed >> 23);
    }
    return s;
}

std::string zlibCompress(const std::string& data) {
    uLongf n = compressBound(data.size());
    std::string out(n, '\0');
    compress(reinterpret_cast<Bytef*>(&out[0]), &n, reinterpret_cast<const Bytef*>(data.data()), data.size());
    out.resize(n);
    return out;
}

struct Item {
    std::string name;
    std::string data;
    bool compressed = false;
    bool scrambled = true;
};

// An archive built by hand: header, records, then the data in record order.
std::string archiveBytes(const std::vector<Item>& items) {
    std::string out(8 + 92 * items.size(), '\0');
    put32(out, 0, 2);
    put32(out, 4, uint32_t(items.size()));
    for (size_t i = 0; i < items.size(); ++i) {
        const Item& it = items[i];
        std::string stored = it.compressed ? zlibCompress(it.data) : it.data;
        size_t r = 8 + 92 * i;
        std::string field = it.name.substr(0, 79);
        for (size_t k = 0; k < 80; ++k) {
            char c = k < field.size() ? field[k] : '\0';
            out[r + k] = it.scrambled ? char(c ^ 0xB3) : c;
        }
        put32(out, r + 80, uint32_t(out.size()));
        put32(out, r + 84, uint32_t(it.data.size()));
        put32(out, r + 88, uint32_t(stored.size()));
        out += stored;
    }
    return out;
}

class FileManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine = new Plim(Plim::Bare{});
        engine->errorManager = new ErrorManager();
        engine->fileManager = fm = new FileManager();
    }
    void TearDown() override { BareEngine::shutDown(engine); }

    // Replaces the file manager with one in archive-building mode.
    void startBuilding(bool compress) {
        delete fm;
        engine->fileManager = fm = new FileManager();
        fm->bUseWad = false;
        fm->bCreateWad = true;
        fm->bCompressWad = compress;
    }
    // Writes the archives being built and starts a reading file manager.
    void finishBuilding() {
        delete fm;
        engine->fileManager = fm = new FileManager();
    }
    std::string contents(const char* name) {
        MemoryFile f(name);
        return std::string(reinterpret_cast<const char*>(f.data), size_t(f.size));
    }

    EngineTestFolder folder;  // the working folder for the test
    Plim* engine = nullptr;
    FileManager* fm = nullptr;
};

TEST_F(FileManagerTest, WrittenArchiveReadsBackByteForByte) {
    const std::string name79 = "deep/" + std::string(74, 'n');
    std::vector<std::pair<std::string, std::string>> files = {
        {"a.txt", "hello"},
        {"empty.bin", ""},
        {"img/sky.tga", std::string(5000, 'z') + "tail"},
        {"snd/noise.ogg", noise(3000, 7)},
        {name79, "long name"},
    };
    EXPECT_EQ(0, system("mkdir -p img snd deep"));
    for (auto& f : files) EngineTestFolder::writeFile(f.first, f.second);

    startBuilding(true);
    fm->useWad("out.dat");
    for (auto& f : files) delete fm->openFile(f.first.c_str(), nullptr);
    finishBuilding();

    const std::string raw = EngineTestFolder::readFile("out.dat");
    ASSERT_GE(raw.size(), 8u + 92 * files.size());
    EXPECT_EQ(std::string("\x02\x00\x00\x00\x05\x00\x00\x00", 8), raw.substr(0, 8));
    uint32_t expectedOffset = 8 + 92 * 5;
    int compressedCount = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        size_t r = 8 + 92 * i;
        EXPECT_GE(uint8_t(raw[r]), 0x80) << "record " << i << " is not scrambled";
        std::string field;
        for (size_t k = 0; k < 80; ++k) field += char(raw[r + k] ^ 0xB3);
        size_t nul = field.find('\0');
        ASSERT_NE(std::string::npos, nul);
        for (size_t k = nul + 1; k < 80; ++k)
            EXPECT_NE(char(0xFF), field[k]) << "filler is rand() % 255";
        EXPECT_EQ(expectedOffset, get32(raw, r + 80)) << "data follows in record order";
        uint32_t size = get32(raw, r + 84), stored = get32(raw, r + 88);
        EXPECT_LE(stored, size);
        if (stored < size) ++compressedCount;
        expectedOffset += stored;
    }
    EXPECT_EQ(expectedOffset, raw.size());
    EXPECT_EQ(1, compressedCount) << "only the tga pays off";

    fm->useWad("out.dat");
    for (auto& f : files) {
        EXPECT_TRUE(fm->fileExists(f.first.c_str()));
        EXPECT_EQ(f.second, contents(f.first.c_str())) << f.first;
    }
    WadEntry* tga = fm->findWadEntry("img/sky.tga");
    ASSERT_NE(nullptr, tga);
    EXPECT_TRUE(tga->isCompressed());
    int size = -1;
    Stream* s = fm->openFile("img/sky.tga", &size);
    EXPECT_EQ(5004, size);
    delete s;
}

// Compressed exactly when the zlib form is below 0.95 times the size.
TEST_F(FileManagerTest, CompressionMustSaveMoreThanFivePercent) {
    std::string at94, at95;
    for (uint32_t seed = 1; seed < 5000 && (at94.empty() || at95.empty()); ++seed) {
        for (size_t random = 40; random < 100; ++random) {
            std::string data = noise(random, seed) + std::string(100 - random, 'a');
            size_t n = zlibCompress(data).size();
            if (n == 94 && at94.empty()) at94 = data;
            if (n == 95 && at95.empty()) at95 = data;
        }
    }
    ASSERT_FALSE(at94.empty());
    ASSERT_FALSE(at95.empty());
    EngineTestFolder::writeFile("c94", at94);
    EngineTestFolder::writeFile("c95", at95);
    startBuilding(true);
    fm->useWad("c.dat");
    delete fm->openFile("c94", nullptr);
    delete fm->openFile("c95", nullptr);
    finishBuilding();
    fm->useWad("c.dat");
    EXPECT_EQ(94u, fm->findWadEntry("c94")->storedSize);
    EXPECT_EQ(100u, fm->findWadEntry("c95")->storedSize);
    EXPECT_EQ(at94, contents("c94"));
    EXPECT_EQ(at95, contents("c95"));
}

TEST_F(FileManagerTest, ArchivesDecideWhatExists) {
    EngineTestFolder::writeFile("a.dat", archiveBytes({{"Name.txt", "one"},
                                                        {"plain.txt", "p", false, false},
                                                        {"dup", "first"},
                                                        {"dup", "second"},
                                                        {"z.txt", std::string(300, 'q'), true},
                                                        {"./a.dat", "not the mark"}}));
    EngineTestFolder::writeFile("b.dat", archiveBytes({{"Name.txt", "two"}, {"b.txt", "bee"}, {"b.ini", "[S]\nk=1\n"}}));
    EngineTestFolder::writeFile("disk.txt", "on disk");

    fm->useWad("./a.dat");
    fm->useWad("./b.dat");
    EXPECT_EQ("one", contents("Name.txt"));  // the archive read first provides it
    EXPECT_EQ("first", contents("dup"));
    EXPECT_EQ("p", contents("plain.txt"));   // a first byte below 0x80 is a plain name
    EXPECT_EQ(std::string(300, 'q'), contents("z.txt"));
    EXPECT_EQ("bee", contents("b.txt"));
    EXPECT_EQ(UString("./b.dat"), fm->currentWad);

    // Names are exact; the disk is not consulted while archives are in use.
    EXPECT_FALSE(fm->fileExists("name.txt"));
    EXPECT_FALSE(fm->fileExists("./Name.txt"));
    EXPECT_FALSE(fm->fileExists("disk.txt"));
    // A name missing from a damaged directory, and a damaged stored text,
    // say that the archive was their source.
    EXPECT_FATAL(fm->openFile("disk.txt", nullptr),
                 "File 'disk.txt' does not exist. It is not in archives './a.dat', './b.dat'.");
    EXPECT_FATAL(fm->verifyFile("name.txt"), "Function: verifyFileWad()");
    EXPECT_EQ(UString("./b.dat"), fm->archiveOf("b.txt"));
    EXPECT_EQ(UString("./a.dat"), fm->archiveOf("Name.txt"));
    EXPECT_EQ(UString(), fm->archiveOf("./a.dat"));
    EXPECT_EQ(0u, fm->findWadEntry("./a.dat")->size);  // an entry of the archive's own name is not its mark
    EXPECT_EQ(8u, fm->directory.size());  // two marks and six names
    EXPECT_EQ(UString(), fm->archiveOf("disk.txt"));
    EXPECT_FATAL(MemoryIniFile("b.ini").getString("S", "left"),
                 "Key 'left' could not be found in section 'S'. The file 'b.ini' was read from archive './b.dat'.");

    fm->bForceDisk = true;
    EXPECT_TRUE(fm->fileExists("disk.txt"));
    EXPECT_FALSE(fm->fileExists("Name.txt"));
    EXPECT_EQ("on disk", contents("disk.txt"));
    EXPECT_FATAL(fm->verifyFile("nothing"), "File 'nothing' does not exist.");
    fm->bForceDisk = false;

    // A second selection reads nothing: the archive may even be gone.
    ASSERT_EQ(0, remove("a.dat"));
    fm->useWad("./a.dat");
    EXPECT_EQ(UString("./a.dat"), fm->currentWad);
}

TEST_F(FileManagerTest, EmptyArchiveAddsOnlyItsSentinel) {
    std::string empty = archiveBytes({});
    EngineTestFolder::writeFile("e.dat", empty);
    fm->useWad("e.dat");
    EXPECT_EQ(1u, fm->directory.size());
    EXPECT_TRUE(fm->isInWad("e.dat"));
    EXPECT_EQ(0u, fm->findWadEntry("e.dat")->size);
    EXPECT_FATAL(fm->useWad("missing.dat"), "File 'missing.dat' does not exist.");
}

// A damaged or unreadable archive names itself and the reason, never an
// assertion or a missing file; a negative count is not an empty archive.
TEST_F(FileManagerTest, DamagedArchivesSayWhatIsWrong) {
    std::string s = archiveBytes({});
    put32(s, 4, uint32_t(-5));
    EngineTestFolder::writeFile("neg.dat", s);
    EXPECT_FATAL(fm->useWad("neg.dat"), "File 'neg.dat' is a corrupt archive: its directory count -5 is negative.");
    s = archiveBytes({{"a", "alpha"}});
    put32(s, 0, 3);
    EngineTestFolder::writeFile("version.dat", s);
    EXPECT_FATAL(fm->useWad("version.dat"), "File 'version.dat' is a corrupt archive: version 3 (expected 2).");
}

TEST_F(FileManagerTest, UnreadableArchiveIsNotCalledMissing) {
    ASSERT_EQ(0, mkdir("folder.dat", 0755)); // cannot be read as a file, even by root
    EXPECT_FATAL(fm->useWad("folder.dat"), "Cannot read 'folder.dat': Is a directory");
    EngineTestFolder::writeFile("locked.dat", archiveBytes({{"a", "alpha"}}));
    ASSERT_EQ(0, chmod("locked.dat", 0));
    if (access("locked.dat", R_OK) != 0) { // root reads every file
        EXPECT_FATAL(fm->useWad("locked.dat"), "Cannot read 'locked.dat': Permission denied");
    }
}

TEST_F(FileManagerTest, BuildingRegistersEachDiskFileOnce) {
    engine->log = new Logger();
    EngineTestFolder::writeFile("x.txt", "x");
    EngineTestFolder::writeFile("forced.txt", "f");
    startBuilding(false);
    fm->useWad("one.dat");
    delete fm->openFile("x.txt", nullptr);
    fm->useWad("two.dat");
    delete fm->openFile("x.txt", nullptr);
    fm->bForceDisk = true;
    delete fm->openFile("forced.txt", nullptr);
    fm->bForceDisk = false;
    EXPECT_EQ(1u, fm->directory.size());
    EXPECT_EQ(UString("one.dat"), fm->findWadEntry("x.txt")->wadName);
    fm->saveWads();  // a written archive's names leave the directory
    EXPECT_FALSE(fm->isInWad("x.txt"));
    finishBuilding();
    EXPECT_FALSE(EngineTestFolder::exists("two.dat"));
    fm->useWad("one.dat");
    EXPECT_EQ("x", contents("x.txt"));
    EXPECT_FALSE(fm->isInWad("forced.txt"));

    delete engine->log;
    engine->log = nullptr;
    std::string log = EngineTestFolder::readFile(folder.logPath());
    EXPECT_THAT(log, ::testing::HasSubstr(
                         "openDisk(): Skipping already existing file 'x.txt' in wad creation."));
    EXPECT_THAT(log, ::testing::HasSubstr("saveSubWad(): Writing: WAD one.dat (1 entries)."));
    EXPECT_THAT(log, ::testing::HasSubstr("saveSubWad(): Writing: x.txt (1 bytes)."));
}

TEST_F(FileManagerTest, WriterRefusesNamesThatDoNotFit) {
    const std::string name80(80, 'n');
    EngineTestFolder::writeFile(name80, "x");
    startBuilding(false);
    fm->useWad("long.dat");
    delete fm->openFile(name80.c_str(), nullptr);
    EXPECT_FATAL(fm->saveWads(), "File name '" + name80 + "' is too long for archive 'long.dat'");
    fm->directory.clear();
    EXPECT_FALSE(EngineTestFolder::exists("long.dat"));
}

// A disk file that yields fewer bytes than its size said (sysfs files claim a
// page) is fatal with its name, never a buffer with uninitialised bytes.
TEST_F(FileManagerTest, ShortReadFromTheDiskIsFatal) {
    const char* shrinking = "/sys/devices/system/cpu/online";
    if (!EngineTestFolder::exists(shrinking)) GTEST_SKIP() << "needs sysfs";
    fm->bUseWad = false;
    EXPECT_FATAL(contents(shrinking), "File '/sys/devices/system/cpu/online' could not be read whole (");
    UString problem;
    EXPECT_TRUE(MemoryFile(shrinking, &problem).bUnread) << problem.str();
}

TEST_F(FileManagerTest, EmptyNameGivesEmptyMemoryFile) {
    delete fm;
    engine->fileManager = fm = nullptr;  // nothing is opened
    MemoryFile f("");
    EXPECT_EQ(nullptr, f.data);
    EXPECT_EQ(0, f.size);
}

// Every way a directory can lie about the file is a fatal error naming the
// archive and the record, before anything is read out of bounds.
TEST_F(FileManagerTest, CorruptArchivesAreFatal) {
    const std::string good = archiveBytes({{"a", "alpha"}, {"b", "bravo"}});
    auto check = [&](const char* file, const std::string& bytes, const std::string& text) {
        EngineTestFolder::writeFile(file, bytes);
        EXPECT_FATAL(fm->useWad(file), text) << file;
    };

    std::string s = good;
    put32(s, 8 + 92 + 88, 6);  // stored size runs one byte past the end
    put32(s, 8 + 92 + 84, 6);
    check("past.dat", s, "File 'past.dat' is a corrupt archive: record 2 ('b', offset");
    s = good;
    put32(s, 8 + 80, 0xFFFFFFF0u);  // offset + stored size wraps 32 bits
    check("wrap.dat", s, "record 1 ('a', offset 4294967280, size 5, stored size 5) runs past");
    s = good;
    put32(s, 8 + 84, 0x80000000u);
    put32(s, 8 + 88, 0x80000000u);
    check("huge.dat", s, "record 1 ('a', offset 192, size 2147483648, stored size 2147483648) has a size that does not fit an int");
    s = good;
    put32(s, 8 + 84, 5000000);  // 5 stored bytes cannot inflate to 5 MB
    check("ratio.dat", s, "corrupt archive: record 1 ('a'");
    s = good;
    for (int k = 0; k < 80; ++k) s[8 + 92 + k] = char('x' ^ 0xB3);
    check("noterm.dat", s, "corrupt archive: record 2 has no terminator in its name field.");
    s = good;
    put32(s, 4, 3);
    check("count.dat", s, "corrupt archive: its 3 directory records do not fit its 202 bytes.");
    put32(s, 4, 0x7FFFFFFF);
    check("count2.dat", s, "corrupt archive: its 2147483647 directory records");
    check("short.dat", good.substr(0, 6), "File 'short.dat' is a corrupt archive: the file is shorter");
}

TEST_F(FileManagerTest, BrokenEntriesAreFatalWhenOpened) {
    std::string s = archiveBytes({{"z", std::string(1000, 'z'), true}, {"s", "stored"}});
    size_t zAt = get32(s, 8 + 80), zStored = get32(s, 8 + 88);
    std::string bad = s;
    bad[zAt + zStored / 2] ^= 0x55;  // damaged deflate data
    EngineTestFolder::writeFile("bad.dat", bad);
    fm->useWad("bad.dat");
    EXPECT_FATAL(contents("z"), "File 'bad.dat' is a corrupt archive: entry 'z' does not inflate (data error).");

    // A stream of the right length that inflates to fewer bytes than the record says.
    std::string shortStream = zlibCompress(std::string(999, 'z'));
    std::string s2 = archiveBytes({{"y", std::string(1000, 'z'), true}});
    s2 = s2.substr(0, 100) + shortStream;
    put32(s2, 8 + 88, uint32_t(shortStream.size()));
    EngineTestFolder::writeFile("short.dat", s2);
    fm->useWad("short.dat");
    EXPECT_FATAL(contents("y"), "File 'short.dat' is a corrupt archive: entry 'y' inflates to 999 bytes, not 1000.");

    // Inflating stops at the size: a stream with more in it, or one cut short, is damaged.
    std::string s3 = archiveBytes({{"more", std::string(999, 'z'), true}, {"cut", std::string(999, 'z'), true}});
    put32(s3, 8 + 84, 998);
    put32(s3, 8 + 92 + 88, get32(s3, 8 + 92 + 88) - 3);
    EngineTestFolder::writeFile("ends.dat", s3);
    fm->useWad("ends.dat");
    const std::string damaged = "File 'ends.dat' is a corrupt archive: entry ";
    EXPECT_FATAL(contents("more"), damaged + "'more' inflates to more than its 998 bytes.");
    EXPECT_FATAL(contents("cut"), damaged + "'cut' does not inflate (its stream is cut short).");
}

// A head is inflated no further than asked: damage at the end of the entry
// is not met. A stored entry's head is its first bytes.
TEST_F(FileManagerTest, AHeadIsReadWithoutInflatingTheRest) {
    const std::string data = noise(3000, 5) + std::string(100000, 'a');
    std::string s = archiveBytes({{"z", data, true}, {"s", "stored data"}});
    s[s.size() - 12] ^= 0x55;  // z's checksum, just before s's data
    EngineTestFolder::writeFile("head.dat", s);
    fm->useWad("head.dat");
    UString problem;
    MemoryFile head("z", 4000, &problem), stored("s", 6, &problem);
    EXPECT_TRUE(problem.isEmpty()) << problem.str();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(head.data), size_t(head.size)), data.substr(0, 4000));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(stored.data), size_t(stored.size)), "stored");
    EXPECT_FALSE(head.bUnread);
    MemoryFile whole("z", &problem);
    EXPECT_EQ(problem.str(), "File 'head.dat' is a corrupt archive: entry 'z' does not inflate (data error).");
    EXPECT_TRUE(whole.bUnread);
}

TEST_F(FileManagerTest, ArchiveTruncatedAfterItsDirectoryWasRead) {
    std::string s = archiveBytes({{"s", "stored data"}, {"z", std::string(1000, 'z'), true}});
    EngineTestFolder::writeFile("t.dat", s);
    fm->useWad("t.dat");
    EngineTestFolder::writeFile("t.dat", s.substr(0, s.size() - 3));
    EXPECT_FATAL(contents("z"), "File 'z' could not be read whole from archive 't.dat'");
    EngineTestFolder::writeFile("t.dat", s.substr(0, 8 + 2 * 92 + 4));
    EXPECT_FATAL(contents("s"), "File 's' could not be read whole from archive 't.dat'");
}

// Twenty records on the bytes of one entry count twenty times towards the
// total, refused with the directory, and so are too many records; the limits
// themselves pass.
TEST_F(FileManagerTest, SizesPastTheLimitsAreRefusedWithTheDirectory) {
    std::string s = archiveBytes(std::vector<Item>(20, {"r", std::string(70000, 'x')})).substr(0, 1848 + 70000);
    for (int i = 0; i < 20; ++i) {
        put32(s, 8 + 92 * i + 80, 1848);
        put32(s, 8 + 92 * i + 84, 30u << 20);
    }
    UString problem;
    EngineTestFolder::writeFile("total.dat", s);
    EXPECT_FALSE(fm->useWad("total.dat", &problem));
    EXPECT_EQ(problem.str(), "File 'total.dat' is a corrupt archive: record 18 ('r', offset 1848, size 31457280, "
                             "stored size 70000) brings the entries to 566231040 bytes, more than the 512 MiB an "
                             "archive may hold in all.");
    put32(s, 4, 8);
    for (int i = 0; i < 8; ++i) put32(s, 8 + 92 * i + 84, WadDirectory::MAX_ENTRY_SIZE);
    EngineTestFolder::writeFile("limits.dat", s);
    EXPECT_TRUE(fm->useWad("limits.dat", &problem)) << problem.str();
    s = archiveBytes({}) + std::string(92 * 65537, '\0');
    put32(s, 4, 65537);
    EngineTestFolder::writeFile("records.dat", s);
    EXPECT_FALSE(fm->useWad("records.dat", &problem));
    EXPECT_EQ(problem.str(), "File 'records.dat' is a corrupt archive: its 65537 directory records are more than the "
                             "65536 an archive may hold.");
}

} // namespace
