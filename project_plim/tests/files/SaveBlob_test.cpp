// Protected saved data: the file layout, the round trip through the file
// manager, and every way a file is refused while the caller's block stays.
#include "BareEngine.h"
#include "EngineTestFolder.h"
#include "files/FileManager.h"
#include "LogText.h"
#include "files/Md5.h"
#include "core/Plim.h"
#include "PretendDisk.h"
#include "files/ReplaceFile.h"
#include "core/RuntimeClass.h"
#include "files/SaveBlob.h"
#include "files/SaveFailures.h"
#include "files/UserNotices.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <dirent.h>
#include <set>
#include <string>
#include <sys/stat.h>
#include <vector>
#include <zlib.h>

namespace {

const char* const HST = "Corvana2demo.hst";
const char* const PRO = "Corvana2demo.pro";

// The names in a folder, "." and ".." left out.
std::set<std::string> listFolder(const std::string& folder) {
    std::set<std::string> names;
    if (DIR* d = opendir(folder.c_str())) {
        while (dirent* e = readdir(d))
            if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0) names.insert(e->d_name);
        closedir(d);
    }
    return names;
}

std::vector<uint8_t> block(size_t n, uint8_t seed) {
    std::vector<uint8_t> b(n);
    for (size_t i = 0; i < n; ++i) b[i] = uint8_t(seed + i * 7 + (i / 13));
    return b;
}

// Bytes that do not compress.
std::vector<uint8_t> noise(size_t n, uint32_t seed) {
    std::vector<uint8_t> b(n);
    for (uint8_t& x : b) x = uint8_t((seed = seed * 1103515245u + 12345u) >> 24);
    return b;
}

class SaveBlobTest : public ::testing::Test {
protected:
    std::string path(const char* name) const { return folder.root + "/" + name; }
    bool load(const char* name, std::vector<uint8_t>& out) {
        return FileManager::loadProtectedData(folder.root.c_str(), name, "2.60", out.data(),
                                              int(out.size()));
    }
    void save(const char* name, const std::vector<uint8_t>& data) {
        FileManager::saveProtectedData(folder.root.c_str(), name, "2.60", data.data(),
                                       int(data.size()));
    }
    EngineTestFolder folder;
};

TEST_F(SaveBlobTest, KeyValueHashesFileNameThenKeyString) {
    EXPECT_EQ(int(RuntimeClass::hashName("Corvana2demo.hst2.60")),
              SaveBlob::computeKeyValue(HST, "2.60"));
    EXPECT_EQ(int(RuntimeClass::hashName("\xE9x")), SaveBlob::computeKeyValue("\xE9", "x"));
}

TEST_F(SaveBlobTest, FileLayout) {
    const std::vector<uint8_t> data = block(2744, 3);
    save(HST, data);
    std::string file = EngineTestFolder::readFile(path(HST));
    ASSERT_GT(file.size(), 68u);
    EXPECT_EQ(std::string("Corvana2demo") + std::string(20, '\0'), file.substr(0, 32));
    EXPECT_EQ(std::string("2.60") + std::string(12, '\0'), file.substr(32, 16));
    EXPECT_EQ(std::string("\xB8\x0A\x00\x00", 4), file.substr(64, 4));  // 2744 little-endian

    uint8_t digest[16];
    md5DigestWithKey(digest, uint32_t(SaveBlob::computeKeyValue(HST, "2.60")), file.data() + 64,
                     int(file.size() - 64));
    EXPECT_EQ(0, memcmp(digest, file.data() + 48, 16));

    std::vector<uint8_t> inflated(2744);
    uLongf n = inflated.size();
    ASSERT_EQ(Z_OK, uncompress(inflated.data(), &n,
                               reinterpret_cast<const Bytef*>(file.data() + 68), file.size() - 68));
    EXPECT_EQ(data, inflated);
    EXPECT_EQ(std::set<std::string>{HST}, listFolder(folder.root));
}

TEST_F(SaveBlobTest, RoundTripsAndIgnoresTheHeader) {
    const std::vector<uint8_t> data = block(2744, 9);
    save(HST, data);
    std::vector<uint8_t> out(2744, 0);
    EXPECT_TRUE(load(HST, out));
    EXPECT_EQ(data, out);

    std::string file = EngineTestFolder::readFile(path(HST));
    for (int i = 0; i < 48; ++i) file[i] = 'h';
    EngineTestFolder::writeFile(path(HST), file);
    std::fill(out.begin(), out.end(), 0);
    EXPECT_TRUE(load(HST, out));
    EXPECT_EQ(data, out);

    // A block that grows under compression works the same.
    const std::vector<uint8_t> random = noise(1608, 99);
    save(PRO, random);
    EXPECT_GT(EngineTestFolder::readFile(path(PRO)).size(), 68u + 1608u);
    std::vector<uint8_t> back(1608, 0);
    EXPECT_TRUE(load(PRO, back));
    EXPECT_EQ(random, back);
}

TEST_F(SaveBlobTest, EveryEditFromTheDigestOnIsRefused) {
    const std::vector<uint8_t> data = block(300, 1);
    save(HST, data);
    const std::string good = EngineTestFolder::readFile(path(HST));
    const std::vector<uint8_t> defaults(300, 0xEE);
    for (size_t at = 48; at < good.size(); ++at) {
        std::string edited = good;
        edited[at] ^= 0x01;
        EngineTestFolder::writeFile(path(HST), edited);
        std::vector<uint8_t> out = defaults;
        EXPECT_FALSE(load(HST, out)) << "offset " << at;
        EXPECT_EQ(defaults, out) << "offset " << at;
    }
}

TEST_F(SaveBlobTest, RenamedShortAndMissingFilesAreRefused) {
    const std::vector<uint8_t> data = block(1608, 5);
    save(PRO, data);
    std::vector<uint8_t> out(1608, 0x11);
    EXPECT_TRUE(load(PRO, out));

    EngineTestFolder::writeFile(path(HST), EngineTestFolder::readFile(path(PRO)));
    std::vector<uint8_t> defaults(1608, 0x22), other = defaults;
    EXPECT_FALSE(load(HST, other));
    EXPECT_EQ(defaults, other);

    // A valid file of another block size.
    std::vector<uint8_t> wrongSize(2744, 0x33);
    EXPECT_FALSE(load(PRO, wrongSize));
    EXPECT_EQ(std::vector<uint8_t>(2744, 0x33), wrongSize);

    std::string file = EngineTestFolder::readFile(path(PRO));
    for (size_t n : {size_t(0), size_t(10), size_t(64)}) {
        EngineTestFolder::writeFile(path(PRO), file.substr(0, n));
        EXPECT_FALSE(load(PRO, other)) << n;
    }
    EXPECT_FALSE(load("nothing.pro", other));
    EXPECT_EQ(defaults, other);
}

TEST_F(SaveBlobTest, DecodeChecksLengthWordBeforeInflating) {
    const int key = 12345;
    // A correct digest over fewer than four bytes after it.
    std::string blob(66, '\0');
    md5DigestWithKey(reinterpret_cast<uint8_t*>(&blob[48]), key, blob.data() + 64, 2);
    SaveBlob b;
    EXPECT_FALSE(b.decode(blob.data(), int(blob.size()), key));
    EXPECT_FALSE(b.decode(blob.data(), 64, key));

    // A correct digest over a length word no small stream can inflate to.
    std::string huge(68, '\0');
    huge += std::string("\x78\x9c\x03\x00\x00\x00\x00\x01", 8);  // zlib of nothing
    for (uint32_t lengthWord : {0x7FFFFFFFu, 0xFFFFFFFFu, 100000u}) {
        for (int i = 0; i < 4; ++i) huge[64 + i] = char(lengthWord >> (8 * i));
        md5DigestWithKey(reinterpret_cast<uint8_t*>(&huge[48]), key, huge.data() + 64,
                         int(huge.size() - 64));
        EXPECT_FALSE(b.decode(huge.data(), int(huge.size()), key)) << lengthWord;
        EXPECT_EQ(nullptr, b.data);
        EXPECT_EQ(0, b.length);
    }

    ASSERT_TRUE(b.encode("abc", 3, key));
    EXPECT_FALSE(SaveBlob().decode(b.data, b.length, key, 4));  // expected size differs
    SaveBlob d;
    ASSERT_TRUE(d.decode(b.data, b.length, key, 3));
    EXPECT_EQ(0, memcmp("abc", d.data, 3));
    EXPECT_FALSE(d.encode("", 0, key));
    EXPECT_EQ(nullptr, d.data);
}

TEST_F(SaveBlobTest, SizeZeroWritesAndReadsNothing) {
    FileManager::saveProtectedData(folder.root.c_str(), HST, "2.60", "x", 0);
    EXPECT_FALSE(EngineTestFolder::exists(path(HST)));
    EXPECT_TRUE(FileManager::loadProtectedData(folder.root.c_str(), HST, "2.60", nullptr, 0));
    EXPECT_TRUE(FileManager::fileExistsOnDisk(folder.root.c_str()) == false);
    EngineTestFolder::writeFile(path("f"), "x");
    EXPECT_TRUE(FileManager::fileExistsOnDisk(path("f").c_str()));
}

TEST_F(SaveBlobTest, FailedSaveKeepsThePreviousFile) {
    const std::vector<uint8_t> old = block(2744, 1);
    save(HST, old);
    const std::string before = EngineTestFolder::readFile(path(HST));
    const std::vector<uint8_t> big = noise(200000, 5);

    EXPECT_EXIT(
        {
            EngineTestFolder::limitFileSize(8192);
            save(HST, big);
            exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(before, EngineTestFolder::readFile(path(HST)));
    EXPECT_EQ(std::set<std::string>{HST}, listFolder(folder.root));
    std::vector<uint8_t> out(2744);
    EXPECT_TRUE(load(HST, out));
    EXPECT_EQ(old, out);
}

// The temporary file of a save has a name of its own: a file that happens to
// be called like the old fixed name is left alone, and a new file gets the
// mode an ordinary create would.
TEST_F(SaveBlobTest, SavesNeverTouchAnotherFileOfTheFolder) {
    EngineTestFolder::writeFile(path(HST) + ".tmp", "someone else's");
    mode_t mask = umask(022);
    save(HST, block(2744, 2));
    umask(mask);
    EXPECT_EQ("someone else's", EngineTestFolder::readFile(path(HST) + ".tmp"));
    EXPECT_EQ((std::set<std::string>{HST, std::string(HST) + ".tmp"}), listFolder(folder.root));
    struct stat info;
    ASSERT_EQ(0, stat(path(HST).c_str(), &info));
    EXPECT_EQ(0644u, info.st_mode & 07777);

    // A temporary file made for a later rename (the archive tool's) has its
    // final mode from the start: an ordinary create's, or the old file's.
    mask = umask(027);
    UString temp = makeTempFileFor(path("x").c_str());
    ASSERT_FALSE(temp.isEmpty());
    EXPECT_EQ(path("x").size() + 11, temp.length());
    EXPECT_EQ(0, temp.find(path("x.tmp-").c_str()));
    ASSERT_EQ(0, stat(temp.c_str(), &info));
    EXPECT_EQ(0640u, info.st_mode & 07777);
    ASSERT_EQ(0, chmod(path(HST).c_str(), 0604));
    UString replacing = makeTempFileFor(path(HST).c_str());
    ASSERT_EQ(0, stat(replacing.c_str(), &info));
    EXPECT_EQ(0604u, info.st_mode & 07777);
    save(HST, block(2744, 3));
    ASSERT_EQ(0, stat(path(HST).c_str(), &info));
    EXPECT_EQ(0604u, info.st_mode & 07777);
    umask(mask);
    EXPECT_NE(temp, makeTempFileFor(path("x").c_str()));
    UString why;
    EXPECT_TRUE(makeTempFileFor(path("missing/x").c_str(), &why).isEmpty());
    EXPECT_EQ(UString("No such file or directory"), why);

    // What a killed save leaves is removed at the next start; nothing else is,
    // not even a player's file named like one of six letters after a dot.
    EngineTestFolder::writeFile(path(HST) + ".tmp-a1B2c3", "left by a kill");
    EngineTestFolder::writeFile(path(HST) + ".bad", "kept");
    EngineTestFolder::writeFile(path(HST) + ".a1B2c3", "the player's");
    EngineTestFolder::writeFile(path(HST) + ".backup", "the player's");
    EngineTestFolder::writeFile(path(HST) + ".BACKUP", "the player's");
    EngineTestFolder::writeFile(path(HST) + ".tmp-a1B2c", "not a temporary name");
    EXPECT_EQ(2, removeStaleTempFiles(path(HST).c_str()));  // with the one made above
    EXPECT_EQ(2, removeStaleTempFiles(path("x").c_str()));
    EXPECT_EQ((std::set<std::string>{HST, std::string(HST) + ".tmp", std::string(HST) + ".bad",
                                     std::string(HST) + ".a1B2c3", std::string(HST) + ".backup",
                                     std::string(HST) + ".BACKUP", std::string(HST) + ".tmp-a1B2c"}),
              listFolder(folder.root));
}

// A save that fails says so in the log and to the player, with the file and
// the system's reason, and leaves nothing behind.
TEST_F(SaveBlobTest, FailedSaveIsLoggedToldAndLeavesNoFile) {
    Plim* engine = BareEngine::withFiles();
    UserNotices::take();
    const std::string nowhere = folder.root + "/missing";
    EXPECT_FALSE(FileManager::saveProtectedData(nowhere.c_str(), HST, "2.60", "abc", 3));
    std::vector<UString> notices = UserNotices::take();
    ASSERT_EQ(1u, notices.size());
    EXPECT_EQ(UString("Could not save '" + nowhere + "/" + HST +
                      "': No such file or directory. Your latest changes are not kept."),
              notices[0]);
    // Foreseen at start: the same file and reason is not told again, and the
    // probe of a folder that takes files leaves nothing.
    SaveFailures::foresee((nowhere + "/" + HST).c_str());
    SaveFailures::foresee(path(HST).c_str());
    EXPECT_TRUE(UserNotices::take().empty());
    // The last run's list: only its well-formed lines are told, once it is gone.
    const std::string kept = SaveFailures::keptListPath((folder.root + "/").c_str()).str();
    EngineTestFolder::writeFile(kept, "no tab\n/a\tb\x1b[2J\n/x.hst\tDisk quota exceeded\n");
    SaveFailures::tellKept((folder.root + "/").c_str());
    EXPECT_EQ(UserNotices::take(), std::vector<UString>{"Could not save '/x.hst' when the game last ended: Disk quota "
                                                        "exceeded. The changes of that game were not kept."});
    // A cause that persists is told for both: that game's changes were lost, this game's will not be kept.
    const std::string readOnly = path("data/ro.hst");
    EngineTestFolder::writeFile(readOnly, "old");
    chmod(readOnly.c_str(), 0444);
    EngineTestFolder::writeFile(kept, readOnly + "\tit is read-only\n");
    SaveFailures::tellKept((folder.root + "/").c_str());
    SaveFailures::foresee(readOnly.c_str());
    notices = UserNotices::take();
    ASSERT_EQ(2u, notices.size());
    EXPECT_EQ(notices[1], UString(("The file '" + readOnly + "' cannot be saved (it is read-only). The changes made "
                                   "in this game will not be kept.").c_str()));

    // The user folder fills up in the middle of the write.
    const std::vector<uint8_t> old = block(2744, 1);
    save(HST, old);
    const std::string before = EngineTestFolder::readFile(path(HST));
    const std::vector<uint8_t> big = noise(200000, 5);
    EXPECT_EXIT(
        {
            EngineTestFolder::limitFileSize(65536);
            bool saved = FileManager::saveProtectedData(folder.root.c_str(), HST, "2.60", big.data(),
                                                        int(big.size()));
            std::vector<UString> told = UserNotices::take();
            exit(!saved && told.size() == 1 && told[0].str().find("': File too large.") != std::string::npos ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    BareEngine::shutDown(engine);

    EXPECT_EQ(before, EngineTestFolder::readFile(path(HST)));
    EXPECT_EQ((std::set<std::string>{HST, "data"}), listFolder(folder.root));
    LogText log(EngineTestFolder::readFile(folder.logPath()));
    EXPECT_EQ(1, log.count("save(): Cannot save '" + nowhere + "/" + HST + "': No such file or directory"));
}

// Short of room, a save may fail: the start says so. A failure that a later
// save of the file mends is neither said at exit nor kept for the next start;
// one that stands is said once, and kept when the player never saw it.
TEST_F(SaveBlobTest, OnlyTheChangesThatAreLostAreSaidAtExit) {
    Plim* engine = BareEngine::withFiles();
    UserNotices::take();
    const std::string flag = path("free");
    PretendDisk disk(flag);
    DiskAccess::use(&disk);
    EngineTestFolder::writeFile(flag, std::to_string(560 * 1024));
    SaveFailures::foresee(path(HST).c_str(), 2000);
    EXPECT_EQ(UserNotices::take(), std::vector<UString>{("The file '" + path(HST) + "' may not be saved (its disk "
                                                         "has only 560 KiB free). The changes made in this game may "
                                                         "not be kept.").c_str()});

    EngineTestFolder::writeFile(flag, "");
    save(HST, block(2744, 1));
    save(PRO, block(1608, 2));
    unlink(flag.c_str());
    save(HST, block(2744, 3));
    std::vector<UString> unseen = UserNotices::take();
    EXPECT_EQ(unseen.size(), 2u);
    unseen.push_back("Something else.");
    testing::internal::CaptureStderr();
    EXPECT_EQ(SaveFailures::sayLostAtExit((folder.root + "/").c_str(), unseen),
              std::vector<UString>{"Something else."});
    const std::string said = testing::internal::GetCapturedStderr(),
                      lost = "Could not save '" + path(PRO) + "': No space left on device. Your latest changes "
                             "are not kept.\n";
    EXPECT_TRUE(said.find(lost) != std::string::npos && said.find(lost) == said.rfind(lost)) << said;
    EXPECT_EQ(said.find(path(HST)), std::string::npos) << said;
    EXPECT_EQ(EngineTestFolder::readFile(SaveFailures::keptListPath((folder.root + "/").c_str()).str()),
              path(PRO) + "\tNo space left on device\n");
    DiskAccess::use(nullptr);
    BareEngine::shutDown(engine);
}

// A file that is there but refused is renamed aside (never saved over), with
// one log line and one notice; when it cannot be renamed, nothing is saved
// over it for the rest of the run.
TEST_F(SaveBlobTest, DamagedFilesAreKeptAside) {
    Plim* engine = BareEngine::withFiles();
    UserNotices::take();
    std::vector<uint8_t> out(1608, 7);
    UString problem = "unset";
    EXPECT_FALSE(FileManager::loadProtectedData(folder.root.c_str(), PRO, "2.60", out.data(), 1608, &problem));
    EXPECT_EQ(UString(), problem) << "a missing file is no problem";

    const std::string damaged(300, 'x');
    for (const char* suffix : {".bad", ".bad.2"}) {
        EngineTestFolder::writeFile(path(PRO), damaged);
        EXPECT_FALSE(FileManager::loadProtectedData(folder.root.c_str(), PRO, "2.60", out.data(), 1608, &problem));
        EXPECT_EQ(UString("it fails its digest check"), problem);
        EXPECT_EQ(UString(path(PRO) + suffix), FileManager::keepDamagedFile(path(PRO).c_str(), problem));
        EXPECT_EQ(damaged, EngineTestFolder::readFile(path(PRO) + suffix));
        EXPECT_FALSE(EngineTestFolder::exists(path(PRO)));
    }
    EXPECT_EQ(std::vector<uint8_t>(1608, 7), out);
    save(PRO, block(1608, 1));
    EXPECT_FALSE(FileManager::loadProtectedData(folder.root.c_str(), PRO, "2.60", out.data(), 2744, &problem));
    EXPECT_EQ(UString("it holds 1608 bytes, not 2744"), problem);
    EngineTestFolder::writeFile(path(PRO), std::string(64, 'x'));
    EXPECT_FALSE(FileManager::loadProtectedData(folder.root.c_str(), PRO, "2.60", out.data(), 1608, &problem));
    EXPECT_EQ(UString("it is too short"), problem);

    // No room for the ".bad" suffix in the name: the file stays and is never saved over.
    const std::string longName = std::string(252, 'p');
    const std::string longPath = path(longName.c_str());
    EngineTestFolder::writeFile(longPath, damaged);
    EXPECT_EQ(UString(), FileManager::keepDamagedFile(longPath.c_str(), "it fails its digest check"));
    EXPECT_TRUE(FileManager::isSaveBlocked(longPath.c_str()));
    EXPECT_FALSE(FileManager::saveProtectedData(folder.root.c_str(), longName.c_str(), "2.60", out.data(), 1608));
    EXPECT_EQ(damaged, EngineTestFolder::readFile(longPath));

    std::vector<UString> notices = UserNotices::take();
    ASSERT_EQ(3u, notices.size());
    EXPECT_EQ(UString("The file '" + path(PRO) + "' was damaged and has been kept as '" + path(PRO) +
                      ".bad'. The game starts from the defaults."),
              notices[0]);
    EXPECT_EQ(0, notices[2].find(("The file '" + longPath + "' is damaged and could not be set aside (File name too long).").c_str()));
    BareEngine::shutDown(engine);
    LogText log(EngineTestFolder::readFile(folder.logPath()));
    EXPECT_EQ(1, log.count("keepDamagedFile(): File '" + path(PRO) +
                           "' is damaged (it fails its digest check); kept as '" + path(PRO) + ".bad'."));
    EXPECT_EQ(1, log.count("save(): Not saving '" + longPath + "': the damaged file there is kept."));
}

} // namespace
