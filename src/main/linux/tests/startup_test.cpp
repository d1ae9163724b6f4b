// The built game's start-up: every set-up problem ends the start in one line
// on standard error with status 1, before anything is written to the user
// folder; and what a start must get through: a stray archive where it is
// started, closed standard streams.
#include "GameRun.h"

#include "app/StartLimits.h"
#include "files/FileManager.h"
#include "files/WadDirectory.h"
#include "OggFixture.h"
#include "render/SkinList.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <fnmatch.h>
#include <string>
#include <vector>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace {

const std::string GAME = CORVANA2DEMO_PATH, BUILD = PLIM_TEST_BINARY_DIR;
const std::string LOADED = "initPostLoader(): Global initialization complete";

// Runs the shell lines, then the program, with a user folder that does not
// exist yet: status 1, nothing on standard output (where a crash reports), no
// user folder made (so no crash log either). Returns standard error.
std::string endedStart(GameRun& run, const std::string& setUp, const std::string& program) {
    const std::string script = run.folder + "/run.sh", fresh = run.folder + "/fresh";
    std::ofstream(script) << "#!/bin/sh\nexport U3_APP_DATA_PATH='" << fresh << "'\n" << setUp << "\nexec '" << program << "'\n";
    chmod(script.c_str(), 0755);
    run.start(script);
    EXPECT_EQ(run.wait(30), 1) << setUp;
    EXPECT_EQ(readFile(run.folder + "/output.txt"), "") << setUp;
    EXPECT_FALSE(exists(fresh)) << setUp;
    return run.errors();
}

// endedStart, with one line on standard error.
std::string oneLineEnd(GameRun& run, const std::string& setUp, const std::string& program) {
    const std::string errors = endedStart(run, setUp, program);
    EXPECT_TRUE(!errors.empty() && errors.find('\n') == errors.size() - 1) << errors;
    return errors;
}

// Gives the archive's directory record of name another name, as one changed
// byte would.
void renameEntry(const std::string& archive, const std::string& name, const std::string& newName) {
    FileManager files;
    std::vector<WadEntry> records;
    ASSERT_TRUE(files.readWadDirectory(archive.c_str(), records));
    for (size_t i = 0; i < records.size(); ++i) {
        if (records[i].fileName != name.c_str()) continue;
        records[i].fileName = newName.c_str();
        uint8_t record[WadDirectory::RECORD_SIZE];
        WadDirectory::encodeRecord(records[i], record);
        std::fstream file(archive, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(std::streamoff(WadDirectory::HEADER_SIZE + i * WadDirectory::RECORD_SIZE));
        file.write(reinterpret_cast<const char*>(record), sizeof record);
        return;
    }
    ADD_FAILURE() << name << " is not in " << archive;
}

// The archive's bytes with 32 bytes in the middle of the named entry's
// stored data changed.
std::string damagedEntry(const std::string& archive, const std::string& bytes, const std::string& entry) {
    FileManager files;
    std::vector<WadEntry> records;
    std::string damaged = bytes;
    if (files.readWadDirectory(archive.c_str(), records))
        for (const WadEntry& record : records)
            if (record.fileName == entry.c_str() && size_t(record.offset) + record.storedSize <= damaged.size()) {
                const size_t middle = record.offset + record.storedSize / 2;
                for (size_t i = middle; i < middle + 32; ++i) damaged[i] ^= 0x5a;
                return damaged;
            }
    ADD_FAILURE() << entry << " is not in " << archive;
    return damaged;
}

// Silence of frames frames from the installed Vorbis encoder: a long sound in
// a small file.
std::string silence(const std::string& folder, long frames) {
    const std::string path = folder + "/silence.ogg", bytes = std::to_string(2 * frames);
    EXPECT_EQ(system(("head -c " + bytes + " /dev/zero | oggenc --quiet --raw --raw-chan=1 -o '" + path + "' -").c_str()), 0);
    return readFile(path);
}


TEST(SetUp, AnArchiveThatCannotBeUsedIsOneLineNamingItAndWhy) {
    GameRun run;
    const std::string game = run.copyProgram(), archive = run.folder + "/bin/Corvana2demo.dat";
    const std::string corrupt = "Corvana2demo cannot use its data: File '" + archive + "' is a corrupt archive: ";
    const std::string advice = " Put the game's own archive there (bash tools/run-game.sh builds it).\n";
    const std::string original = readFile(archive);
    const std::pair<std::string, std::string> cases[] = {
        {"", "the file is shorter than the 8-byte header."},
        {std::string(5000, 'x'), "version 2021161080 (expected 2)."},
        {original.substr(0, original.size() / 2), "record "}};
    for (const auto& [contents, reason] : cases) {
        std::ofstream(archive, std::ios::binary | std::ios::trunc) << contents;
        const std::string errors = oneLineEnd(run, "", game);
        EXPECT_EQ(errors.compare(0, corrupt.size() + reason.size(), corrupt + reason), 0) << errors;
        EXPECT_EQ(errors.substr(errors.size() - advice.size()), advice);
    }
    std::ofstream(archive, std::ios::binary | std::ios::trunc) << original;
    unlink((run.folder + "/bin/Corvana2demo.cfg.static").c_str());
    EXPECT_EQ(oneLineEnd(run, "", game), "Corvana2demo cannot use its static settings '" + run.folder +
                                             "/bin/Corvana2demo.cfg.static': No such file or directory. "
                                             "Put the game's own file there (bash tools/run-game.sh builds it with the data).\n");
}

// An archive of records all pointing at one zlib stream of about 2 MB that
// inflates to 2047 MiB of zeros: a flushed deflate block of a MiB, repeated.
std::string crafted(int records) {
    std::string zeros(1 << 20, '\0'), block(1 << 16, '\0'), archive;
    z_stream z = {};
    deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    z.next_in = reinterpret_cast<Bytef*>(&zeros[0]), z.avail_in = uInt(zeros.size());
    z.next_out = reinterpret_cast<Bytef*>(&block[0]), z.avail_out = uInt(block.size());
    deflate(&z, Z_FULL_FLUSH);
    deflateEnd(&z);
    block.resize(block.size() - z.avail_out);
    const uint32_t stored = uint32_t(2 + 2047 * block.size() + 2 + 4), adler = ((2047u << 20) % 65521) << 16 | 1;
    auto put32 = [&](uint32_t v) { archive.append({char(v), char(v >> 8), char(v >> 16), char(v >> 24)}); };
    put32(2), put32(uint32_t(records));
    for (int i = 0; i < records; ++i) {
        std::string name = "big" + std::to_string(i);
        name.resize(80, '\0');
        for (char& c : name) archive += char(c ^ 0xB3);
        put32(uint32_t(8 + 92 * records)), put32(2047u << 20), put32(stored);
    }
    archive += "\x78\xda";
    for (int i = 0; i < 2047; ++i) archive += block;
    archive.append({'\x03', '\0', char(adler >> 24), char(adler >> 16), char(adler >> 8), char(adler)});
    return archive;
}

// The crafted archive, alone and under twenty records, ends the start at once
// with the limit it passes: seconds, not minutes, and megabytes, not gigabytes.
TEST(SetUp, AnArchiveThatWouldInflatePastTheLimitEndsAtOnce) {
    GameRun run;
    const std::string game = run.copyProgram(), archive = run.folder + "/bin/Corvana2demo.dat";
    run.environment = {{"U3_APP_DATA_PATH", run.folder + "/fresh"}};
    for (int records : {1, 20}) {
        const std::string bytes = crafted(records);
        std::ofstream(archive, std::ios::binary | std::ios::trunc) << bytes;
        const auto start = std::chrono::steady_clock::now();
        const pid_t pid = run.spawn(game, "");
        int status = -1;
        struct rusage usage = {};
        while (wait4(pid, &status, WNOHANG, &usage) == 0 &&
               std::chrono::steady_clock::now() - start < std::chrono::seconds(90))
            pause(20);
        if (kill(pid, SIGKILL) == 0) waitpid(pid, nullptr, 0);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_LT(seconds, 10) << records << " records";
        EXPECT_LT(usage.ru_maxrss, 200 * 1024) << "KiB at the peak";
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
        const size_t directory = 8 + 92 * records;
        EXPECT_EQ(run.errors(), "Corvana2demo cannot use its data: File '" + archive + "' is a corrupt archive: record 1 "
                                "('big0', offset " + std::to_string(directory) + ", size 2146435072, stored size " +
                                std::to_string(bytes.size() - directory) + ") is larger than the 64 MiB an entry may "
                                "hold. Put the game's own archive there (bash tools/run-game.sh builds it).\n");
        EXPECT_FALSE(exists(run.folder + "/fresh"));
    }
}

// An entry the start reads that does not inflate, in a picture's first bytes
// or further on, a side file, a sound or the music, ends the start in the
// archive's own line naming it; one that nothing reads is never inflated.
TEST(SetUp, ADamagedEntryEndsTheStartOnlyWhenItIsRead) {
    GameRun run;
    const std::string game = run.copyProgram(), archive = run.folder + "/bin/Corvana2demo.dat", files = run.folder + "/files";
    ASSERT_EQ(system(("'" WADTOOL_PATH "' extract '" + archive + "' '" + files + "' >/dev/null").c_str()), 0);
    std::ofstream(files + "/sfx/music/menu.ogg", std::ios::binary) << silence(run.folder, 220500);
    std::ofstream unread(files + "/unread.txt");
    for (int i = 0; i < 2000; ++i) unread << i << '\n';
    unread.close();
    ASSERT_EQ(system(("'" WADTOOL_PATH "' pack '" + archive + "' '" + files + "' --compress >/dev/null").c_str()), 0);
    const std::string original = readFile(archive), corrupt = "Corvana2demo cannot use its data: File '" + archive +
                                                              "' is a corrupt archive: entry '";
    for (const char* name : {"gfx/crate.tga", "gfx/biplane.tga", "gfx/biplane.tga.ini", "sfx/pop.ogg", "sfx/music/menu.ogg"}) {
        const std::string damaged = damagedEntry(archive, original, name);
        std::ofstream(archive, std::ios::binary | std::ios::trunc) << damaged;
        const std::string line = oneLineEnd(run, "", game);
        EXPECT_EQ(line.rfind(corrupt + name + "' ", 0), 0u) << line;
        std::ofstream(archive, std::ios::binary | std::ios::trunc) << original;
    }
    const std::string damaged = damagedEntry(archive, original, "unread.txt");
    std::ofstream(archive, std::ios::binary | std::ios::trunc) << damaged;
    EXPECT_EQ(oneLineEnd(run, "unset DISPLAY", game).rfind("Corvana2demo needs an X display", 0), 0u);
}

// Static settings the engine could not read whole, or an archive without a
// file the loader reads, end the start as a set-up problem, never as a crash.
TEST(SetUp, DamagedStaticSettingsOrAMissingEntryAreOneLineNotACrash) {
    GameRun run;
    const std::string game = run.copyProgram(), bin = run.folder + "/bin";
    const std::string settings = bin + "/Corvana2demo.cfg.static", original = readFile(settings);
    const std::string head = "Corvana2demo cannot use its static settings '" + settings + "': ";
    const std::string advice = ". Put the game's own file there (bash tools/run-game.sh builds it with the data).\n";
    std::string noise;
    for (uint32_t seed = 7; noise.size() < 300;) noise += char((seed = seed * 1103515245u + 12345u) >> 16);
    std::string badNumber = original;
    badNumber.replace(badNumber.find("ditherDepth=0"), 13, "ditherDepth=deep");
    std::string lowerCase = original;
    lowerCase.replace(lowerCase.find("bHoliday=No"), 11, "bHoliday=yes");
    const std::pair<std::string, std::string> cases[] = {
        {noise, "it is not text (byte 0x"},
        {"", "it is empty" + advice},
        {original.substr(0, original.find("bHoliday")), "it lacks the key 'bHoliday' of section [Edition]" + advice},
        {badNumber, "the key 'ditherDepth' of section [Graphics] on line 9 is 'deep', not a whole number" + advice},
        {lowerCase, "the key 'bHoliday' of section [Edition] on line 6 is 'yes', which the game reads as No; write Yes "
                    "or No" + advice}};
    for (const auto& [contents, reason] : cases) {
        std::ofstream(settings, std::ios::binary | std::ios::trunc) << contents;
        const std::string errors = oneLineEnd(run, "", game);
        EXPECT_EQ(errors.substr(0, head.size() + reason.size()), head + reason);
    }
    std::ofstream(settings, std::ios::binary | std::ios::trunc) << original;
    renameEntry(bin + "/Corvana2demo.dat", "gfx/biplane.tga", "gfx/biplane.tgb");
    EXPECT_EQ(oneLineEnd(run, "", game), "Corvana2demo cannot use its data: File 'gfx/biplane.tga' does not exist. It is "
                                         "not in archive '" + bin + "/Corvana2demo.dat'. Put the game's own archive "
                                         "there (bash tools/run-game.sh builds it).\n");
}

// A file the loader reads that is whole in the archive but cannot be read as
// what it is (a picture of random bytes, a side file of garbage, with a skin
// outside its picture or more than its font holds, a sound of random bytes,
// of 14,000 chained streams or cut short, music too long or of too large a
// code book, even one played only in a match),
// or files that pass a limit on what the start reads or decodes, alone or
// together (weighed before they are read or decoded: a picture by its
// header), end the start in one line naming the file, or the total and the
// files that weigh most in it: no crash, no crash log, and less than 90 MB
// more at the peak than a start refused at a small file (16 MB for a sound's headers).
TEST(SetUp, AnEntryWhoseContentsCannotBeReadIsOneLineNamingIt) {
    GameRun run;
    const std::string game = run.copyProgram(), archive = run.folder + "/bin/Corvana2demo.dat", files = run.folder + "/files";
    ASSERT_EQ(system(("'" WADTOOL_PATH "' extract '" + archive + "' '" + files + "' >/dev/null").c_str()), 0);
    std::string noise, skins, tga(18, '\0');
    for (uint32_t seed = 11; noise.size() < 4096;) noise += char((seed = seed * 1103515245u + 12345u) >> 16);
    for (int i = 0; i <= SkinList::MAX_SKINS; ++i) skins += "[Skin " + std::to_string(i) + "]\nleft=0\ntop=0\nwidth=1\nheight=1\n";
    tga[2] = 2, tga[13] = 0x10, tga[14] = 0x48, tga[15] = 0x0d, tga[16] = 32, tga[17] = 8; // 4096x3400, 32 bits
    const std::string pop = readFile(files + "/sfx/pop.ogg"), menu = readFile(files + "/sfx/music/menu.ogg"), longest = silence(run.folder, StartLimits::MAX_EFFECT_FRAMES);
    const std::string as = "' in archive '" + archive + "' cannot be read as ", from = " from archive '" + archive + "' come to ";
    // The program's peak counts the test's memory at the fork: large files
    // are made on the disk, of copies or followed by zeros.
    struct Entry {
        const char* name;
        std::string contents;
        int copies = 1;
        off_t zerosTo = 0;
    };
    const struct {
        std::vector<Entry> entries;
        std::string line;  // after "cannot use its data: ", '*' for any text (fnmatch)
        long peakMiB = 90;  // more at the peak than the first start
    } cases[] = {
        {{{"gfx/palm.tga", noise}}, "File 'gfx/palm.tga" + as + "a picture: Not a TGA picture."},
        {{{"gfx/font/font-tiny.tga.ini", "\x01\x02 garbage =[[\n"}}, "File 'gfx/font/font-tiny.tga.ini" + as +
                                                                  "the side file of a picture: it is not text (byte 0x01 on line 1)."},
        {{{"sfx/cymbalcrash.ogg", noise}}, "File 'sfx/cymbalcrash.ogg" + as + "a sound: it cannot be decoded (not Ogg Vorbis "
                                                                            "data, error -132)."},
        {{{"sfx/pop.ogg", OggFixture::chain(pop, 2), 7000}}, "File 'sfx/pop.ogg" + as + "a sound: it holds more than one Ogg stream "
                                                       "(a second begins at byte " + std::to_string(pop.size()) + "), and a sound may hold one."},
        {{{"sfx/pop.ogg", pop.substr(0, 3000)}}, "File 'sfx/pop.ogg" + as + "a sound: it is cut short: its last page, at byte "
                                                                           "58, is not whole."},
        {{{"sfx/music/menu.ogg", OggFixture::withLength(OggFixture::rewritten(menu, "", 1000000), INT32_MAX)}},
         "File 'sfx/music/menu.ogg" + as + "music: it lasts 2147483647 frames, more than the 67108864 music may last."},
        {{{"sfx/music/menu.ogg", OggFixture::withBooks(menu, {{1, 8388607, 0}}), 1, 48 << 20}}, "File 'sfx/music/menu.ogg" +
         as + "music: it declares a code book of 8388607 entries, more than the 65536 a sound may use.", 16},
        {{{"gfx/palm.tga.ini", "[Skin 0]\nleft=0\ntop=0\nwidth=55\nheight=74\n"}}, "File 'gfx/palm.tga.ini" + as +
             "the side file of a picture: Skin 0 (left 0, top 0, width 55, height 74) lies outside the 54x74 image 'gfx/palm.tga'."},
        {{{"gfx/palm.tga.ini", "[Skin 0]\nleft=0\ntop=0\nwidth=ten\nheight=74\n"}}, "File 'gfx/palm.tga.ini" + as +
             "the side file of a picture: the key 'width' of section \\[Skin 0] on line 4 is 'ten', not a whole number."},
        {{{"gfx/font/font-tiny.tga.ini", skins}}, "File 'gfx/font/font-tiny.tga.ini" + as + "the side file of a picture: it lists "
                                                                                  "4097 sub-images, more than the 4096 a side file may list."},
        {{{"gfx/font/font-tiny.tga.ini", skins.substr(0, skins.find("[Skin 992]"))}}, "File 'gfx/font/font-tiny.tga.ini" + as +
             "the side file of a picture: its 992 sub-images become symbols 33 to 1024 of a font, past the last it holds, 1023."},
        {{{"sfx/fx113.ogg", silence(run.folder, StartLimits::MAX_EFFECT_FRAMES + 1)}}, "File 'sfx/fx113.ogg" + as + "a sound: it lasts "
                                                                          "2097153 frames, more than the 2097152 a sound may last."},
        {{{"gfx/palm.tga", tga, 1, 18 + 4096 * 3400 * 4}}, "The pictures and sounds the start decodes" + from + "* bytes, past the "
                                                        "limit of 32 MiB; the largest: 'gfx/palm.tga' (55705600 bytes), *."},
        {{{"sfx/music/menu.ogg", "", 1, 64 << 20}}, "The files the start reads" + from + "* bytes, past the limit of 64 MiB; the "
                                                    "largest: 'sfx/music/menu.ogg' (67108864 bytes), *."},
        {{{"gfx/palm.tga.ini", "[Skin 0]\nleft=0\ntop=0\nwidth=1\nheight=1\n" + std::string(1 << 20, ';')}},
         "The side files the start reads" + from + "* bytes, past the limit of 1 MiB; the largest: 'gfx/palm.tga.ini' "
         "(1048615 bytes), *."},
        {{{"sfx/clickXP.ogg", longest}, {"sfx/pop.ogg", longest}, {"sfx/rot5loo1.ogg", longest}, {"sfx/ovrevlp1.ogg", longest}},
         "The pictures and sounds the start decodes" + from + "* bytes, past the limit of 32 MiB; the largest: 'sfx/clickXP.ogg' "
         "(8388608 bytes), 'sfx/pop.ogg' (8388608 bytes), 'sfx/rot5loo1.ogg' (8388608 bytes)."}};
    long smallest = 0;
    for (const auto& c : cases) {
        std::vector<std::string> originals;
        for (const Entry& entry : c.entries) {
            originals.push_back(readFile(files + "/" + entry.name));
            std::ofstream file(files + "/" + entry.name, std::ios::binary | std::ios::trunc);
            for (int i = 0; i < entry.copies; ++i) file << entry.contents;
            file.close();
            if (entry.zerosTo) {
                ASSERT_EQ(truncate((files + "/" + entry.name).c_str(), entry.zerosTo), 0);
            }
        }
        ASSERT_EQ(system(("'" WADTOOL_PATH "' pack '" + archive + "' '" + files + "' --compress >/dev/null").c_str()), 0);
        const std::string line = oneLineEnd(run, "", game);
        const std::string expected = "Corvana2demo cannot use its data: " + c.line +
                                     " Put the game's own archive there (bash tools/run-game.sh builds it).\n";
        EXPECT_EQ(fnmatch(expected.c_str(), line.c_str(), 0), 0) << line << expected;
        // Against the first start, refused at a small file: a sanitizer adds its own.
        if (&c == cases) smallest = run.usage.ru_maxrss;
        EXPECT_LT(run.usage.ru_maxrss - smallest, c.peakMiB * 1024) << "KiB more at the peak: " << c.line;
        for (size_t i = 0; i < originals.size(); ++i)
            std::ofstream(files + "/" + c.entries[i].name, std::ios::binary | std::ios::trunc) << originals[i];
    }
    // Music damaged past its first block passes: the stretch is skipped while it plays.
    std::string music = readFile(files + "/sfx/music/menu.ogg");
    for (size_t i = music.size() / 2; i < music.size() / 2 + 300; ++i) music[i] = char(music[i] ^ 0x5a);
    std::ofstream(files + "/sfx/music/menu.ogg", std::ios::binary | std::ios::trunc) << music;
    ASSERT_EQ(system(("'" WADTOOL_PATH "' pack '" + archive + "' '" + files + "' --compress >/dev/null").c_str()), 0);
    EXPECT_EQ(oneLineEnd(run, "unset DISPLAY", game).rfind("Corvana2demo needs an X display", 0), 0u);
}

// A side file cut to its first section, of a picture the game takes more
// sub-images from (a menu item's frames, a font's accents, the HUD's energy
// bars, a composite's cells), ends the start in one line naming it, how many
// it lists and how many the game uses, rather than the loading or a match.
TEST(SetUp, ASideFileListingFewerSubImagesThanTheGameUsesIsOneLine) {
    GameRun run;
    const std::string game = run.copyProgram(), archive = run.folder + "/bin/Corvana2demo.dat", files = run.folder + "/files";
    ASSERT_EQ(system(("'" WADTOOL_PATH "' extract '" + archive + "' '" + files + "' >/dev/null").c_str()), 0);
    const struct {
        std::string name, uses;
    } cases[] = {{"gfx/gui/game/button.tga.ini", "2"},
                 {"gfx/font/font-medium.tga.ini", "184 as a font's symbols from 0"},
                 {"gfx/hud-energybar.tga.ini", "2"},
                 {"gfx/island.tga.ini", "2"}};
    for (const auto& c : cases) {
        const std::string whole = readFile(files + "/" + c.name);
        std::ofstream(files + "/" + c.name, std::ios::binary | std::ios::trunc) << whole.substr(0, whole.find("[Skin 1]"));
        ASSERT_EQ(system(("'" WADTOOL_PATH "' pack '" + archive + "' '" + files + "' --compress >/dev/null").c_str()), 0);
        EXPECT_EQ(oneLineEnd(run, "", game), "Corvana2demo cannot use its data: File '" + c.name + "' in archive '" + archive +
                                                 "' cannot be read as the side file of a picture: it lists 1 sub-image, but "
                                                 "the game uses " + c.uses + ". Put the game's own archive there (bash "
                                                 "tools/run-game.sh builds it).\n");
        std::ofstream(files + "/" + c.name, std::ios::binary | std::ios::trunc) << whole;
    }
}

// A stray archive where the game is started is not taken for its own.
TEST(SetUp, TheArchiveBesideTheProgramComesBeforeTheWorkingFolders) {
    SKIP_WITHOUT_DISPLAY();
    keepDisplayOpen();
    GameRun run;
    unlink((run.folder + "/Corvana2demo.dat").c_str());
    std::ofstream(run.folder + "/Corvana2demo.dat") << "not an archive";
    run.start();
    EXPECT_TRUE(run.waitForLog(LOADED, 60)) << run.errors();
    kill(run.pid, SIGTERM);
    EXPECT_EQ(run.wait(30), 0) << run.errors();
}

TEST(SetUp, AUserFolderThatCannotBeMadeIsOneLine) {
    SKIP_WITHOUT_DISPLAY();
    keepDisplayOpen();
    GameRun run;
    std::ofstream(run.folder + "/afile") << "a file where a folder should be";
    const std::string advice = ". Set U3_APP_DATA_PATH (or HOME) to a folder you can write.\n";
    EXPECT_EQ(oneLineEnd(run, "export U3_APP_DATA_PATH=/proc/x", GAME),
              "Corvana2demo cannot make its user folder '/proc/x/2.60/': '/proc/x' cannot be made (No such file or "
              "directory)" + advice);
    EXPECT_EQ(oneLineEnd(run, "export U3_APP_DATA_PATH='" + run.folder + "/afile/sub'", GAME),
              "Corvana2demo cannot make its user folder '" + run.folder + "/afile/sub/2.60/': '" + run.folder +
                  "/afile' is there and is not a folder" + advice);
    EXPECT_EQ(oneLineEnd(run, "unset U3_APP_DATA_PATH XDG_DATA_HOME; export HOME='" + run.folder + "/nohome'", GAME),
              "Corvana2demo cannot make its user folder: the home folder '" + run.folder + "/nohome' does not exist" + advice);
    EXPECT_FALSE(exists(run.folder + "/nohome"));
}

// The line on an ignored variable comes before the problem it may explain;
// values from the environment reach the terminal escaped.
TEST(SetUp, AnIgnoredVariableIsSaidFirstAndValuesAreEscaped) {
    SKIP_WITHOUT_DISPLAY();
    keepDisplayOpen();
    GameRun run;
    std::ofstream(run.folder + "/home\x1b" "file") << "a file where the home folder should be";
    EXPECT_EQ(endedStart(run, "unset XDG_DATA_HOME; export U3_APP_DATA_PATH=\"$(printf 'rel\\033[31m')\" HOME=\"$(printf '" +
                                  run.folder + "/home\\033file')\"", GAME),
              "Corvana2demo: U3_APP_DATA_PATH='rel\\x1b[31m' is ignored, as it is not an absolute folder.\n"
              "Corvana2demo cannot make its user folder: the home folder '" + run.folder + "/home\\x1bfile' is not a "
              "folder. Set U3_APP_DATA_PATH (or HOME) to a folder you can write.\n");
}

// A copy that started before the runtime folder was made locks the user
// folder's path where a copy started after it looks too: the second copy
// ends, even once the user folder was removed and made again.
TEST(Start, ACopyStartedAfterTheRuntimeFolderWasMadeIsTheSecondCopy) {
    SKIP_WITHOUT_DISPLAY();
    keepDisplayOpen();
    GameRun run;
    const std::string runtime = run.folder + "/runtime";
    run.environment = {{"XDG_RUNTIME_DIR", runtime}};
    run.start();
    // The engine opens its log once the lock is held.
    for (int i = 0; i < 1200 && run.running() && !exists(run.userFolder + "Corvana2demo.log"); ++i) pause(50);
    ASSERT_TRUE(run.running()) << run.errors();
    ASSERT_EQ(mkdir(runtime.c_str(), 0700), 0);
    ASSERT_EQ(system(("rm -rf '" + run.folder + "/user'").c_str()), 0);
    EXPECT_EQ(GameRun::waitFor(run.spawn(GAME, "second-"), 30.0), 1);
    EXPECT_EQ(readFile(run.folder + "/second-errors.txt"),
              "Corvana2demo is already running (its user folder '" + run.userFolder + "' is in use).\n");
    kill(run.pid, SIGTERM);
    EXPECT_EQ(run.wait(30), 0) << run.errors();
}

// Another program holding a private lock folder is waited for, said after a
// moment, and given up on in one more line: a set-up problem, not a hang.
TEST(Start, ALockFolderHeldByAnotherProgramIsWaitedForABoundedWhile) {
    SKIP_WITHOUT_DISPLAY();
    keepDisplayOpen();
    GameRun run;
    const std::string runtime = run.folder + "/runtime", held = runtime + "/Corvana2demo-" + std::to_string(geteuid());
    ASSERT_EQ(system(("mkdir -m 700 '" + runtime + "' '" + held + "'").c_str()), 0);
    const int holder = open(held.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);
    run.environment = {{"XDG_RUNTIME_DIR", runtime}};
    run.start();
    EXPECT_EQ(run.wait(120), 1);
    close(holder);
    EXPECT_EQ(run.errors(), "Corvana2demo is waiting for its lock folder '" + held + "', which another program holds; it "
                            "gives up after 10 s.\nCorvana2demo gave up waiting for its lock folder '" + held + "': "
                            "another program has held it for 10 s. End that program.\n");
}

// A launcher that closes standard input, output and error: the game's files
// and its X connection never take their places.
TEST(Start, ClosedStandardStreamsAreReopenedOnDevNull) {
    SKIP_WITHOUT_DISPLAY();
    keepDisplayOpen();
    GameRun run;
    std::ofstream(run.folder + "/run.sh") << "#!/bin/sh\nexec '" << GAME << "' <&- >&- 2>&-\n";
    chmod((run.folder + "/run.sh").c_str(), 0755);
    run.start(run.folder + "/run.sh");
    ASSERT_TRUE(run.waitForLog(LOADED, 60)) << run.log();
    for (int fd = 0; fd <= 2; ++fd) {
        char target[256] = "";
        const std::string link = "/proc/" + std::to_string(run.pid) + "/fd/" + std::to_string(fd);
        EXPECT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
        EXPECT_STREQ(target, "/dev/null") << fd;
    }
    kill(run.pid, SIGTERM);
    EXPECT_EQ(run.wait(30), 0);
}

} // namespace
