// Runs the real wadtool program: packs a folder of generated files, lists and
// extracts the archive, and checks the bytes on disk; then bad input.
#include <gtest/gtest.h>

#include "TempFolder.h"
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <cstring>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

bool exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

uint32_t get32(const std::string& s, size_t at) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t(uint8_t(s[at + i])) << (8 * i);
    return v;
}

void put32(std::string& s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = char(v >> (8 * i));
}

// Replaces the name of directory record r (its field scrambled as written).
void setName(std::string& archive, int r, const std::string& name) {
    for (size_t k = 0; k < 80; ++k) archive[8 + 92 * r + k] = char((k < name.size() ? name[k] : 0) ^ 0xB3);
}

std::string noise(size_t n, uint32_t seed) {
    std::string s(n, '\0');
    for (char& c : s) c = char((seed = seed * 1103515245u + 12345u) >> 23);
    return s;
}

struct Line {
    std::string method;
    uint32_t size, stored, offset;
};

class WadToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = makeTempFolder("wadtooltest.");
        ASSERT_FALSE(root.empty());
    }
    void TearDown() override {
        if (mounted) umount((root + "/full").c_str());
        std::string command = "rm -rf '" + root + "'";
        EXPECT_EQ(0, system(command.c_str()));
    }

    // Runs wadtool with the arguments from the test folder; returns its exit status.
    int wadtool(const std::string& args, std::string* output = nullptr) {
        std::string command = "cd '" + root + "' && exec 2>&1 && " + limit + "'" WADTOOL_PATH "' " + args;
        FILE* p = popen(command.c_str(), "r");
        std::string text;
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, p)) > 0;) text.append(buffer, n);
        int status = pclose(p);
        if (output) *output = text;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    void makeFiles(const std::map<std::string, std::string>& files) {
        for (auto& f : files) {
            std::string path = root + "/src/" + f.first;
            std::string command = "mkdir -p \"$(dirname '" + path + "')\"";
            ASSERT_EQ(0, system(command.c_str()));
            writeFile(path, f.second);
        }
    }

    // What a shell command prints.
    static std::string listing(const std::string& command) {
        std::string text;
        FILE* p = popen(command.c_str(), "r");
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, p)) > 0;) text.append(buffer, n);
        pclose(p);
        return text;
    }

    std::map<std::string, Line> list(const std::string& archive) {
        std::string out;
        EXPECT_EQ(0, wadtool("list " + archive, &out)) << out;
        std::map<std::string, Line> lines;
        std::istringstream in(out);
        std::string text;
        while (std::getline(in, text)) {
            std::istringstream fields(text);
            Line l;
            std::string name;
            fields >> l.method >> l.size >> l.stored >> l.offset;
            fields.get();
            std::getline(fields, name);
            lines[name] = l;
        }
        return lines;
    }

    // Makes root/full a folder whose disk fills after 64 KB: a small tmpfs
    // where the test may mount one, else a 64 KB file size limit on the tool
    // (given with limitTool). Returns the reason a write there fails with.
    std::string makeFullDisk() {
        std::string full = root + "/full";
        mkdir(full.c_str(), 0777);
        mounted = mount("tmpfs", full.c_str(), "tmpfs", 0, "size=64k") == 0;
        return strerror(mounted ? ENOSPC : EFBIG);
    }
    void limitTool() {
        if (!mounted) limit = "trap '' XFSZ && ulimit -f 128 && ";
    }

    std::string root;
    std::string limit;  // shell commands run before the tool
    bool mounted = false;
};

TEST_F(WadToolTest, PackListExtractRoundTrip) {
    std::map<std::string, std::string> files = {
        {"readme.txt", "plain text\n"},
        {"empty", ""},
        {"gfx/sky.tga", std::string(20000, '\x10') + noise(100, 1)},
        {"gfx/font/glyphs.ini", "[0]\nx=1\ny=2\n"},
        {"sfx/boom.ogg", noise(7000, 2)},
        {"music/theme.ogg", noise(40000, 3)},
        {std::string("deep/") + std::string(74, 'L'), "longest name that fits"},
    };
    for (int i = 0; i < 40; ++i)
        files["many/file" + std::to_string(i) + ".dat"] = std::string(size_t(i * 37), char('a' + i % 26));
    makeFiles(files);

    std::string out;
    ASSERT_EQ(0, wadtool("pack data.dat src --compress", &out)) << out;
    const std::string raw = readFile(root + "/data.dat");
    ASSERT_GE(raw.size(), 8u);
    EXPECT_EQ(std::string("\x02\x00\x00\x00", 4), raw.substr(0, 4));
    EXPECT_EQ(files.size(), get32(raw, 4));
    EXPECT_EQ(char(files.size()), raw[4]) << "count is little-endian";
    ASSERT_GE(raw.size(), 8 + 92 * files.size());
    for (size_t i = 0; i < files.size(); ++i)
        EXPECT_GE(uint8_t(raw[8 + 92 * i]), 0x80) << "record " << i << " is not scrambled";

    std::map<std::string, Line> lines = list("data.dat");
    ASSERT_EQ(files.size(), lines.size());
    std::set<std::string> methods;
    for (auto& f : files) {
        ASSERT_TRUE(lines.count(f.first)) << f.first;
        const Line& l = lines[f.first];
        methods.insert(l.method);
        EXPECT_EQ(f.second.size(), l.size) << f.first;
        EXPECT_EQ(l.method == "compressed", l.stored < l.size) << f.first;
        EXPECT_LE(uint64_t(l.offset) + l.stored, raw.size());
    }
    EXPECT_EQ((std::set<std::string>{"compressed", "stored"}), methods);
    EXPECT_EQ("compressed", lines["gfx/sky.tga"].method);
    EXPECT_EQ("stored", lines["music/theme.ogg"].method);

    // The files are synced at once, not one by one (traced, so without the leak check's own tracing).
    limit = "ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 strace -f -qq -e trace=fsync,fdatasync,syncfs -o syncs ";
    ASSERT_EQ(0, wadtool("extract data.dat out", &out)) << out;
    limit.clear();
    EXPECT_EQ("2\n", listing("grep -c sync '" + root + "/syncs'"));
    for (auto& f : files)
        EXPECT_EQ(f.second, readFile(root + "/out/" + f.first)) << f.first;
    std::string count;
    FILE* p = popen(("find '" + root + "/out' -type f | wc -l").c_str(), "r");
    char buffer[64] = {};
    if (fgets(buffer, sizeof buffer, p)) count = buffer;
    pclose(p);
    EXPECT_EQ(files.size(), size_t(std::stoul(count)));

    // Without --compress every entry is stored.
    ASSERT_EQ(0, wadtool("pack plain.dat src", &out)) << out;
    for (auto& l : list("plain.dat")) EXPECT_EQ("stored", l.second.method) << l.first;
}

TEST_F(WadToolTest, ArchiveInsideItsFolderIsLeftOut) {
    makeFiles({{"a", "1"}, {"b/c", "2"}});
    ASSERT_EQ(0, wadtool("pack src/self.dat src"));
    ASSERT_EQ(0, wadtool("pack src/self.dat src"));  // again, over the old archive
    std::map<std::string, Line> lines = list("src/self.dat");
    EXPECT_EQ(2u, lines.size());
    EXPECT_TRUE(lines.count("a") && lines.count("b/c"));
}

TEST_F(WadToolTest, FailuresExitNonZero) {
    std::string out;
    EXPECT_EQ(2, wadtool("", &out));
    EXPECT_EQ(2, wadtool("pack only.dat", &out));
    EXPECT_EQ(2, wadtool("list a.dat --compress", &out));
    EXPECT_NE(0, wadtool("pack x.dat nofolder", &out));
    EXPECT_FALSE(exists(root + "/x.dat"));
    EXPECT_EQ(1, wadtool("list missing.dat", &out));
    EXPECT_EQ("wadtool: File '" + root + "/missing.dat' does not exist.\n", out);

    // A name too long for its record, or holding control bytes, is refused
    // in one line with those bytes escaped: no archive, an old one stays, no
    // temporary file is left.
    writeFile(root + "/keep.dat", "old");
    for (const std::string& name : {std::string(80, 'n'), std::string("a\x1b[2J\x07\n")}) {
        makeFiles({{name, "x"}, {"ok", "y"}});
        EXPECT_EQ(1, wadtool("pack keep.dat src", &out));
        EXPECT_EQ("wadtool: cannot pack '" + (name.size() == 80 ? name + "': a name in an archive is at most 79 bytes\n"
                                                                 : "a\\x1b[2J\\x07\\x0a': a name in an archive cannot hold"
                                                                   " control characters\n"),
                  out);
        EXPECT_EQ("old", readFile(root + "/keep.dat"));
        EXPECT_EQ("keep.dat\n", listing("ls -A '" + root + "' | grep keep"));
        ASSERT_EQ(0, system(("rm -r '" + root + "/src'").c_str()));
    }
}

// A name that begins with a byte of 0x80 or above cannot be told from a
// plain name field by the reader: pack refuses it, naming the file, before
// anything is written; such bytes later in a name are carried.
TEST_F(WadToolTest, NamesTheReaderCannotTakeAreRefusedUpFront) {
    makeFiles({{"\xc3\xbcn\xc3\xaf.txt", "1"}, {"\xc3\x84rger.txt", "2"}, {"a/\xc3\xbc.txt", "3"}});
    std::string out;
    EXPECT_EQ(1, wadtool("pack u.dat src", &out));
    EXPECT_EQ("wadtool: cannot pack '\xc3\x84rger.txt': a name in an archive cannot begin with a byte of 0x80 or"
              " above (a letter outside ASCII)\n", out);
    EXPECT_EQ("", listing("ls -A '" + root + "' | grep u.dat"));
    ASSERT_EQ(0, system(("rm '" + root + "/src/\xc3\xbcn\xc3\xaf.txt' '" + root + "/src/\xc3\x84rger.txt'").c_str()));
    ASSERT_EQ(0, wadtool("pack u.dat src", &out)) << out;
    ASSERT_EQ(0, wadtool("extract u.dat out", &out)) << out;
    EXPECT_EQ("3", readFile(root + "/out/a/\xc3\xbc.txt"));
}

// The archive gets the mode of an ordinary new file, or keeps the old one's.
TEST_F(WadToolTest, PackedArchiveHasTheUsualMode) {
    makeFiles({{"a", "1"}});
    mode_t mask = umask(022);
    std::string out;
    EXPECT_EQ(0, wadtool("pack new.dat src", &out)) << out;
    writeFile(root + "/old.dat", "old");
    chmod((root + "/old.dat").c_str(), 0640);
    EXPECT_EQ(0, wadtool("pack old.dat src", &out)) << out;
    umask(mask);
    struct stat info;
    ASSERT_EQ(0, stat((root + "/new.dat").c_str(), &info));
    EXPECT_EQ(0644u, info.st_mode & 07777);
    ASSERT_EQ(0, stat((root + "/old.dat").c_str(), &info));
    EXPECT_EQ(0640u, info.st_mode & 07777);
}

// A link already in the target folder is never followed: nothing is written
// outside the folder, through a linked folder or over a linked file.
TEST_F(WadToolTest, ExtractNeverFollowsALink) {
    makeFiles({{"gfx/a.txt", "a"}, {"b.txt", "b"}});
    std::string out;
    ASSERT_EQ(0, wadtool("pack l.dat src", &out)) << out;
    ASSERT_EQ(0, system(("cd '" + root + "' && mkdir outside out1 out2 && ln -s ../outside out1/gfx && "
                         "echo victim > victim && ln -s ../victim out2/b.txt").c_str()));
    EXPECT_EQ(1, wadtool("extract l.dat out1", &out));
    EXPECT_NE(std::string::npos, out.find("refusing to write 'gfx/a.txt': 'out1/gfx' is a link")) << out;
    EXPECT_EQ(1, wadtool("extract l.dat out2", &out));
    EXPECT_NE(std::string::npos, out.find("refusing to write 'b.txt': 'out2/b.txt' is a link")) << out;
    EXPECT_EQ("", listing("ls -A '" + root + "/outside'"));
    EXPECT_EQ("victim\n", readFile(root + "/victim"));
    // Every place is checked before a file is written.
    EXPECT_EQ("gfx\n", listing("ls -A '" + root + "/out1'"));
    EXPECT_EQ("b.txt\n", listing("ls -A '" + root + "/out2'"));
}

TEST_F(WadToolTest, CorruptAndHostileArchives) {
    makeFiles({{"a.txt", "alpha"}, {"b.txt", noise(500, 4)}});
    std::string out;
    ASSERT_EQ(0, wadtool("pack good.dat src", &out)) << out;
    const std::string good = readFile(root + "/good.dat");

    writeFile(root + "/cut.dat", good.substr(0, good.size() - 1));
    EXPECT_EQ(1, wadtool("list cut.dat", &out));
    EXPECT_EQ(0u, out.find("wadtool: File '" + root + "/cut.dat' is a corrupt archive: record ")) << out;
    EXPECT_EQ(out.size() - 1, out.find('\n')) << out;
    EXPECT_EQ(1, wadtool("extract cut.dat cutout", &out));

    std::string wrongVersion = good;
    put32(wrongVersion, 0, 1);
    writeFile(root + "/v1.dat", wrongVersion);
    EXPECT_EQ(1, wadtool("list v1.dat", &out));
    EXPECT_EQ("wadtool: File '" + root + "/v1.dat' is a corrupt archive: version 1 (expected 2).\n", out);

    // Two entries of one name: neither is taken for the other.
    std::string twice = good;
    for (int r : {0, 1}) setName(twice, r, "dup");
    writeFile(root + "/twice.dat", twice);
    EXPECT_EQ(1, wadtool("extract twice.dat tw", &out));
    EXPECT_EQ("wadtool: refusing entry 'dup': the archive holds two entries of that name\n", out);

    // Entries that would land outside the target folder are refused, and
    // nothing is written.
    for (const char* evil : {"../escape.txt", "/tmp/abs.txt", "x/../../y", "./a", "a//b", ""}) {
        std::string s = good;
        setName(s, 0, evil);
        writeFile(root + "/evil.dat", s);
        EXPECT_EQ(1, wadtool("extract evil.dat sub/out", &out)) << evil;
        EXPECT_NE(std::string::npos, out.find("refusing entry")) << out;
        EXPECT_FALSE(exists(root + "/sub/out")) << evil;
    }
    EXPECT_FALSE(exists(root + "/escape.txt"));
}

// Sizes the game's reader refuses: pack writes no such archive, list refuses
// one, each in one line with status 1.
TEST_F(WadToolTest, SizesPastTheReadersLimitsAreRefused) {
    makeFiles({{"a", std::string(70000, 'a')}, {"big", ""}});
    ASSERT_EQ(0, truncate((root + "/src/big").c_str(), (64 << 20) + 1));
    std::string out;
    EXPECT_EQ(1, wadtool("pack big.dat src", &out));
    EXPECT_EQ("wadtool: cannot pack 'big' (67108865 bytes): it is larger than the 64 MiB an entry may hold\n", out);
    EXPECT_FALSE(exists(root + "/big.dat"));
    ASSERT_EQ(0, unlink((root + "/src/big").c_str()));
    ASSERT_EQ(0, wadtool("pack a.dat src", &out)) << out;
    std::string archive = readFile(root + "/a.dat");
    put32(archive, 8 + 84, (64 << 20) + 1);
    writeFile(root + "/a.dat", archive);
    EXPECT_EQ(1, wadtool("list a.dat", &out));
    EXPECT_EQ("wadtool: File '" + root + "/a.dat' is a corrupt archive: record 1 ('a', offset 100, size 67108865, "
              "stored size 70000) is larger than the 64 MiB an entry may hold.\n", out);
}

// Every entry comes out, next to whatever the folder already holds: no entry
// or unrelated file is taken for another's temporary file.
TEST_F(WadToolTest, ExtractKeepsEveryEntryAndEveryOtherFile) {
    makeFiles({{"x.txt.tmp", "the entry called x.txt.tmp"}, {"x.txt", "the entry called x.txt"}});
    std::string out;
    ASSERT_EQ(0, wadtool("pack x.dat src", &out)) << out;
    ASSERT_EQ(0, system(("mkdir -p '" + root + "/out' '" + root + "/next'").c_str()));
    ASSERT_EQ(0, wadtool("extract x.dat out", &out)) << out;
    EXPECT_NE(std::string::npos, out.find("Extracted 2 files into out.")) << out;
    EXPECT_EQ("the entry called x.txt.tmp", readFile(root + "/out/x.txt.tmp"));
    EXPECT_EQ("the entry called x.txt", readFile(root + "/out/x.txt"));

    // An unrelated file named like the old fixed temporary names survives
    // packing and extracting next to it.
    ASSERT_EQ(0, system(("mkdir -p '" + root + "/only'").c_str()));
    writeFile(root + "/only/x.txt", "only x.txt");
    writeFile(root + "/y.dat.tmp", "not the tool's");
    ASSERT_EQ(0, wadtool("pack y.dat only", &out)) << out;
    EXPECT_EQ("not the tool's", readFile(root + "/y.dat.tmp"));
    writeFile(root + "/next/x.txt.tmp", "unrelated");
    ASSERT_EQ(0, wadtool("extract y.dat next", &out)) << out;
    EXPECT_EQ("unrelated", readFile(root + "/next/x.txt.tmp"));
    EXPECT_EQ("only x.txt", readFile(root + "/next/x.txt"));
    EXPECT_EQ("x.txt\nx.txt.tmp\n", listing("ls -A '" + root + "/next'"));
    EXPECT_EQ("x.dat\ny.dat\ny.dat.tmp\n", listing("ls -A '" + root + "' | grep dat"));
}

// Names from a hostile archive reach the terminal with their control bytes
// (and bytes that are not UTF-8) escaped.
TEST_F(WadToolTest, ListEscapesControlBytesInNames) {
    makeFiles({{"aaaaaaaaaaaa", "1"}, {"bbbbbbbbbbbb", "2"}, {"cccccccccccc", "3"}});
    std::string out;
    ASSERT_EQ(0, wadtool("pack h.dat src", &out)) << out;
    std::string s = readFile(root + "/h.dat");
    const std::string names[] = {"\x1b]0;owned\x07\x1b[2J", "caf\xc3\xa9 \xe2\x9c\x93", "bad\xff\xc2\x9b"};
    for (int r = 0; r < 3; ++r) setName(s, r, names[r]);
    writeFile(root + "/h.dat", s);
    ASSERT_EQ(0, wadtool("list h.dat", &out)) << out;
    EXPECT_EQ(std::string::npos, out.find('\x1b'));
    EXPECT_EQ(std::string::npos, out.find('\x07'));
    EXPECT_NE(std::string::npos, out.find(" \\x1b]0;owned\\x07\\x1b[2J\n")) << out;
    EXPECT_NE(std::string::npos, out.find(" caf\xc3\xa9 \xe2\x9c\x93\n")) << out;
    EXPECT_NE(std::string::npos, out.find(" bad\\xff\\xc2\\x9b\n")) << out;
    // Extract refuses such a name before anything is written.
    EXPECT_EQ(1, wadtool("extract h.dat hout", &out));
    EXPECT_EQ("wadtool: refusing entry '\\x1b]0;owned\\x07\\x1b[2J': its name holds control characters\n", out);
    EXPECT_FALSE(exists(root + "/hout"));

    // The same in an error about a damaged record.
    put32(s, 8 + 80, 0x7fffffff);
    writeFile(root + "/h.dat", s);
    EXPECT_EQ(1, wadtool("list h.dat", &out));
    EXPECT_NE(std::string::npos, out.find("record 1 ('\\x1b]0;owned\\x07\\x1b[2J', offset 2147483647")) << out;
    EXPECT_EQ(std::string::npos, out.find('\x1b')) << out;
}

// Results on standard output, errors on standard error with their reason.
// Pack never follows a link: each is named and left out. An archive that is a
// link is written where it points, with that file's mode; one that points at
// no regular file, or is read-only, is refused.
TEST_F(WadToolTest, ErrorsGoToStandardErrorAndLinksAreNeverFollowed) {
    makeFiles({{"a", "1"}, {"sub/b", "2"}});
    ASSERT_EQ(0, system(("cd '" + root + "' && mkdir elsewhere real && echo s >secret && ln -s ../secret src/link-file && "
                         "ln -s ../../elsewhere src/sub/link-dir && echo old >real/g.dat && chmod 640 real/g.dat && "
                         "ln -s real/g.dat g.dat && ln -s /dev/null null.dat && mkfifo fifo.dat").c_str()));
    // The exit status; standard output must be out, standard error begin with err.
    auto run = [&](const std::string& args, const std::string& out, const std::string& err) {
        int status = system(("cd '" + root + "' && timeout 20 '" WADTOOL_PATH "' " + args + " >out.txt 2>err.txt").c_str());
        EXPECT_EQ(out, readFile(root + "/out.txt")) << args;
        EXPECT_EQ(0u, readFile(root + "/err.txt").find(err)) << readFile(root + "/err.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(0, run("pack g.dat src", "Packed 2 files into g.dat (0 compressed).\n",
                     "wadtool: skipping 'src/link-file': a link (links are not packed)\n"
                     "wadtool: skipping 'src/sub/link-dir': a link (links are not packed)\n"));
    struct stat info;
    EXPECT_TRUE(lstat((root + "/g.dat").c_str(), &info) == 0 && S_ISLNK(info.st_mode));
    EXPECT_TRUE(stat((root + "/g.dat").c_str(), &info) == 0 && (info.st_mode & 07777) == 0640 && list("g.dat").size() == 2);
    EXPECT_EQ(1, run("pack null.dat src", "", "wadtool: cannot replace '" + root + "/null.dat': it is not a regular file\n"));
    chmod((root + "/real/g.dat").c_str(), 0444);
    EXPECT_EQ(1, run("pack g.dat src", "", "wadtool: cannot replace '" + root + "/g.dat': it is read-only\n"));
    EXPECT_EQ(1, run("list fifo.dat", "", "wadtool: Cannot read '" + root + "/fifo.dat': it is not a regular file\n"));
}

// A write that fails is named with its own reason, and a failed pack or extract
// leaves nothing new behind: no archive, no temporary file, no folder, nothing
// added to a folder that was there.
TEST_F(WadToolTest, AFullDiskIsNamedAndLeavesNothingBehind) {
    makeFiles({{"big.ogg", noise(100000, 5)}, {"a.txt", "a"}, {"b.txt", "b"}, {"c/d.txt", "d"}});
    std::string out;
    ASSERT_EQ(0, wadtool("pack big.dat src", &out)) << out;
    const std::string reason = makeFullDisk();
    ASSERT_EQ(0, system(("mkdir '" + root + "/full/have' && echo k >'" + root + "/full/have/keep'").c_str()));
    limitTool();
    EXPECT_EQ(1, wadtool("pack full/p.dat src", &out));
    EXPECT_EQ("wadtool: cannot write '" + root + "/full/p.dat': " + reason + "\n", out);
    EXPECT_EQ(1, wadtool("extract big.dat full/new/out", &out));
    EXPECT_EQ("wadtool: cannot write 'full/new/out/big.ogg': " + reason + "\n", out);
    EXPECT_EQ(1, wadtool("extract big.dat full/have", &out));
    EXPECT_EQ("have\n", listing("ls -A '" + root + "/full'"));
    EXPECT_EQ("keep\n", listing("ls -A '" + root + "/full/have'"));
}

// Making the target folder is checked, and so is every output line.
TEST_F(WadToolTest, TargetFolderAndStandardOutputFailuresAreNamed) {
    makeFiles({{"a", "1"}});
    std::string out;
    ASSERT_EQ(0, wadtool("pack a.dat src", &out)) << out;
    const std::string proc = "/proc/wadtool-test-" + std::to_string(getpid());
    ASSERT_NE(0, mkdir(proc.c_str(), 0777));
    const std::string why = strerror(errno);
    EXPECT_EQ(1, wadtool("extract a.dat " + proc + "/out", &out));
    EXPECT_EQ("wadtool: cannot create folder '" + proc + "': " + why + "\n", out);
    writeFile(root + "/file", "");
    EXPECT_EQ(1, wadtool("extract a.dat file", &out));
    EXPECT_EQ("wadtool: cannot create folder 'file': " + std::string(strerror(EEXIST)) + "\n", out);

    for (const char* args : {"list a.dat", "extract a.dat out", "pack b.dat src"}) {
        EXPECT_EQ(1, wadtool(std::string(args) + " >/dev/full", &out)) << args;
        EXPECT_EQ("wadtool: cannot write standard output: " + std::string(strerror(ENOSPC)) + "\n", out);
    }
    // Success lines escape control bytes as the error lines do.
    EXPECT_EQ(0, wadtool("pack \"$(printf 'e\\033[2J.dat')\" src", &out));
    EXPECT_EQ("Packed 1 files into e\\x1b[2J.dat (0 compressed).\n", out);
    EXPECT_EQ(0, wadtool("extract a.dat \"$(printf 'o\\007')\"", &out));
    EXPECT_EQ("Extracted 1 files into o\\x07.\n", out);
}

// An entry that cannot be read, or a name that is both a file and a folder,
// fails the extract with nothing written.
TEST_F(WadToolTest, AFailedExtractLeavesNoPartialTree) {
    makeFiles({{"a.txt", std::string(300, 'a')}, {"b.txt", std::string(300, 'b')}});
    std::string out;
    ASSERT_EQ(0, wadtool("pack good.dat src --compress", &out)) << out;
    std::string bad = readFile(root + "/good.dat"), clash = bad;
    const uint32_t second = get32(bad, 8 + 92 + 80);
    bad.replace(second, 8, noise(8, 6));
    writeFile(root + "/bad.dat", bad);
    setName(clash, 0, "d");
    setName(clash, 1, "d/x");
    writeFile(root + "/clash.dat", clash);
    ASSERT_EQ(0, system(("mkdir '" + root + "/have' && echo k >'" + root + "/have/keep'").c_str()));
    EXPECT_EQ(1, wadtool("extract bad.dat new", &out));
    EXPECT_NE(std::string::npos, out.find("does not inflate")) << out;
    EXPECT_EQ(1, wadtool("extract bad.dat have", &out));
    EXPECT_EQ(1, wadtool("extract clash.dat new", &out));
    EXPECT_EQ("wadtool: refusing entry 'd/x': the archive also holds 'd' as a file\n", out);
    EXPECT_EQ("", listing("ls -A '" + root + "' | grep new"));
    EXPECT_EQ("keep\n", listing("ls -A '" + root + "/have'"));
}

} // namespace
