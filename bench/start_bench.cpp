// The built game's start (run under Xvfb, on one core with taskset): the time
// from its launch to the log line that ends the loading, "Global
// initialization complete", and its peak resident memory then, on one archive
// at a time; an archive the start refuses is timed to its exit. The archives
// are built once with wadtool, from the game's own, and kept in
// start-archives/ beside this program (removed, they are built anew):
//   own      the game's own
//   limits   every limit on what the start reads, at once: two sound effects
//            of stereo noise bring what it decodes to 32 MiB, side files of
//            23,000 more sub-images to 1 MiB, the menu music (noise, with a
//            comment header of 64 KiB) what it reads to 64 MiB
//   full     limits, with entries nothing reads up to 512 MiB in all (63 MiB
//            ones of text that inflates slowly) and 65,536 records, whose
//            names have one hash, that of a picture the start reads
//   records  65,537 records: past a limit, as the rest
//   decoded  full, with one sound effect longer: decodes past 32 MiB
//   reads    decoded, with the game music as long as the menu's (and a large
//            unread entry less): reads past 64 MiB
//   comment  limits, with the game's own menu music padded by a comment
//            header to the size of the noise it replaces
//   empty    the game's own, with 190,000 pages of 255 packets that decode to
//            nothing after the menu music's first sound and a last page that
//            claims 2^31-1 frames
//   books    limits, with the menu music's code book one of 8,388,607
//            entries (an entry the start inflates)
//
//   start_bench [--game PROGRAM] [--runs N] [ARCHIVE...]
// PROGRAM (default: the build's) runs with the build's static settings; each
// archive starts N times (default: 10 for the game's own, 5 for the others)
// and the medians are printed, with their difference to the game's own.
#include "BuildFolder.h"
#include "EngineTestFolder.h"
#include "OggFixture.h"
#include "app/Loader.h"
#include "app/StartLimits.h"
#include "audio/MixerOGGstatic.h"
#include "core/Plim.h"
#include "files/FileManager.h"
#include "files/MemoryFile.h"
#include "files/WadDirectory.h"
#include "render/MemoryImageFile.h"
#include "render/Texture.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <signal.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int64_t MIB = 1 << 20;
const std::string DONE = "Global initialization complete";

void run(const std::string& command) {
    if (system(command.c_str()) != 0) {
        fprintf(stderr, "start_bench: failed: %s\n", command.c_str());
        exit(1);
    }
}

// The same noise every time (xorshift: every bit as random as the others).
uint32_t noise(uint32_t& seed) {
    seed ^= seed << 13;
    seed ^= seed >> 17;
    return seed ^= seed << 5;
}

// Stereo noise of frames frames at 44,100 Hz, at the encoder's best quality,
// or at a fixed bit rate (kbps) when given.
void encodeNoise(const std::string& path, int64_t frames, int kbps = 0) {
    const std::string rate = kbps ? "--managed -b " + std::to_string(kbps) + " -m " + std::to_string(kbps) + " -M " +
                                        std::to_string(kbps)
                                  : std::string("-q 10");
    FILE* encoder = popen(("oggenc --quiet --raw --raw-chan=2 --raw-rate=44100 " + rate + " -o '" + path + "' -").c_str(), "w");
    uint32_t seed = uint32_t(frames) | 1;
    std::vector<uint32_t> block(4096);
    for (int64_t done = 0; encoder && done < frames; done += int64_t(block.size())) {
        for (uint32_t& sample : block) sample = noise(seed);
        fwrite(block.data(), 4, size_t(std::min<int64_t>(int64_t(block.size()), frames - done)), encoder);
    }
    if (!encoder || pclose(encoder) != 0) run("false oggenc " + path);
}

// What the start weighs in the extracted files: the decoded bytes of each
// picture and sound effect, read as the start reads them.
struct Weights {
    std::map<std::string, int64_t> decoded;
    int64_t decodedTotal = 0;
};

Weights weigh(const std::string& folder) {
    const fs::path back = fs::current_path();
    fs::current_path(folder);
    new Plim(Plim::Bare{});
    PLIM->fileManager = new FileManager();
    PLIM->fileManager->bUseWad = false;
    Weights w;
    const Loader::NeededFiles needed = Loader::neededFilesByUse();
    for (const UString& name : needed.pictures) {
        MemoryImageFile header(name, true);
        w.decoded[name.str()] = int64_t(header.width) * header.height * 4;
    }
    for (const UString& name : needed.sounds) {
        MemoryFile file(name);
        MixerOGGstatic sound(&file, false, 1, nullptr, MixerOGGstatic::Decoding::LATER);
        w.decoded[name.str()] = sound.decodedBytes();
    }
    for (const auto& d : w.decoded) w.decodedTotal += d.second;
    delete PLIM;  // and its file manager
    PLIM = nullptr;
    fs::current_path(back);
    return w;
}

int64_t readBytes(const std::string& folder) {
    int64_t total = 0;
    for (const UString& name : Loader::neededFiles())
        if (fs::exists(folder + "/" + name.str())) total += int64_t(fs::file_size(folder + "/" + name.str()));
    return total;
}

// 1x1 sub-images appended to the side files, up to 4,096 in each and 1 MiB
// in all of them; not to the fonts', whose sub-images are their characters.
void fillSideFiles(const std::string& folder) {
    int64_t total = 0;
    std::vector<std::string> sideFiles;
    for (const UString& name : Loader::neededFilesByUse().pictures) {
        const std::string path = folder + "/" + Texture::sideFileName(name).str();
        if (!fs::exists(path)) continue;
        total += int64_t(fs::file_size(path));
        if (name.find("/font/") < 0) sideFiles.push_back(path);
    }
    for (const std::string& path : sideFiles) {
        std::ifstream in(path);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        int count = 0;
        for (size_t at = text.find("[Skin "); at != std::string::npos; at = text.find("[Skin ", at + 1)) ++count;
        std::ofstream out(path, std::ios::app);
        for (; count < 4096; ++count) {
            const std::string skin = "[Skin " + std::to_string(count) + "]\nleft=0\ntop=0\nwidth=1\nheight=1\n";
            if (total + int64_t(skin.size()) > MIB - 1024) return;
            out << skin;
            total += int64_t(skin.size());
        }
    }
}

// Entries nothing reads: 63 MiB ones of sixteen letters at random (they
// inflate slowly) up to 512 MiB in all, then one-byte ones up to 65,536 records.
void addUnread(const std::string& folder) {
    int64_t total = 0, count = 0;
    for (const auto& file : fs::recursive_directory_iterator(folder))
        if (file.is_regular_file()) total += int64_t(file.file_size()), ++count;
    fs::create_directories(folder + "/unread");
    uint32_t seed = 1;
    std::string text(size_t(63 * MIB), ' ');
    for (int i = 0; total + 4 * MIB < 512 * MIB; ++i, ++count) {
        text.resize(size_t(std::min<int64_t>(63 * MIB, 512 * MIB - 4 * MIB - total)));
        for (char& c : text) c = char('a' + noise(seed) % 16);
        std::ofstream(folder + "/unread/large-" + std::to_string(i), std::ios::binary) << text;
        total += int64_t(text.size());
    }
    for (int64_t i = 0; count < WadDirectory::MAX_RECORDS; ++i, ++count)
        std::ofstream(folder + "/unread/" + std::to_string(i)) << "1";
}

// The one-byte entries renamed in place, each name of one hash, and that hash
// in the bucket of a picture the start reads: every look-up of the picture
// passes them all. Two-letter blocks of one weight ("aF" and "bA") give
// 65,536 names of 16 blocks; a tail of eight letters picks the bucket.
void collideNames(const std::string& archive) {
    const uint32_t buckets = 98317;  // the directory's, for 65,537 names
    const uint32_t target = UString::hash("gfx/biplane.tga") % buckets;
    std::string head = "unread/";
    for (int b = 0; b < 16; ++b) head += "bA";
    // A letter j places from the end adds 5^j to the hash for each step past 'a'.
    std::string tail(8, 'a');
    const uint32_t base = UString::hash((head + tail).c_str());
    uint32_t add = 0;
    while ((base + add) % buckets != target) ++add;
    for (int j = 7, weight = 78125; j >= 0; --j, weight /= 5) {
        const uint32_t steps = std::min<uint32_t>(25, add / uint32_t(weight));
        tail[size_t(7 - j)] = char('a' + steps);
        add -= steps * uint32_t(weight);
    }
    if (UString::hash((head + tail).c_str()) % buckets != target) run("false no tail for the bucket");
    FileManager files;
    std::vector<WadEntry> records;
    if (!files.readWadDirectory(archive.c_str(), records)) run("false " + archive);
    std::fstream out(archive, std::ios::in | std::ios::out | std::ios::binary);
    uint32_t next = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        if (records[i].size != 1 || records[i].fileName.find("unread/") != 0) continue;
        std::string name = "unread/";
        for (int b = 0; b < 16; ++b) name += next >> b & 1 ? "aF" : "bA";
        ++next;
        records[i].fileName = (name + tail).c_str();
        uint8_t record[WadDirectory::RECORD_SIZE];
        WadDirectory::encodeRecord(records[i], record);
        out.seekp(std::streamoff(WadDirectory::HEADER_SIZE + i * WadDirectory::RECORD_SIZE));
        out.write(reinterpret_cast<const char*>(record), sizeof record);
    }
}

// A comment header of one comment of random letters (they inflate slowly),
// bytes long in all.
std::string commentHeader(int64_t bytes) {
    const std::string vendor = "start_bench";
    std::string text = "PADDING=";
    uint32_t seed = 1;
    while (int64_t(text.size()) < bytes - 31) text += char('a' + noise(seed) % 16);
    std::string packet("\x03vorbis", 7);
    auto put32 = [&](size_t value) {
        for (int i = 0; i < 4; ++i) packet += char(value >> (8 * i));
    };
    put32(vendor.size()), packet += vendor, put32(1), put32(text.size()), packet += text, packet += '\x01';
    return packet;
}

// The Ogg file with such a comment header, as long as it takes for the file
// to have size bytes, or up to 300 fewer.
std::string paddedComments(const std::string& ogg, int64_t size) {
    std::string padded = ogg;
    int64_t bytes = size - int64_t(ogg.size());
    for (int tries = 0; tries < 8; ++tries) {
        padded = OggFixture::rewritten(ogg, commentHeader(bytes), 0, 2);
        const int64_t missing = size - int64_t(padded.size());
        if (missing >= 0 && missing < 300) break;
        bytes += missing < 0 ? missing - 150 : missing;
    }
    return padded;
}

void pack(const std::string& archives, const std::string& folder, const std::string& name) {
    const std::string archive = archives + "/" + name + ".dat";
    run("'" + buildFolder() + "/wadtool' pack '" + archive + "' '" + folder + "' --compress >/dev/null");
    if (fs::exists(folder + "/unread")) collideNames(archive);
}

// 65,537 empty records.
void writeTooManyRecords(const std::string& archive) {
    std::ofstream out(archive, std::ios::binary);
    uint8_t header[WadDirectory::HEADER_SIZE], record[WadDirectory::RECORD_SIZE];
    WadDirectory::encodeHeader(WadDirectory::MAX_RECORDS + 1, header);
    out.write(reinterpret_cast<char*>(header), sizeof header);
    for (int i = 0; i <= WadDirectory::MAX_RECORDS; ++i) {
        WadEntry entry;
        entry.fileName = ("e" + std::to_string(i)).c_str();
        WadDirectory::encodeRecord(entry, record);
        out.write(reinterpret_cast<char*>(record), sizeof record);
    }
}

void buildArchives(const std::string& archives) {
    bool built = true;
    for (const char* name : {"records", "comment", "empty", "books"}) built = built && fs::exists(archives + "/" + name + ".dat");
    if (built) return;
    fprintf(stderr, "Building the archives in %s (once; a few minutes)...\n", archives.c_str());
    const std::string files = archives + "/files";
    fs::remove_all(files);
    run("'" + buildFolder() + "/wadtool' extract '" + buildFolder() + "/Corvana2demo.dat' '" + files + "' >/dev/null");
    const std::vector<UString> sounds = Loader::neededFilesByUse().sounds;
    const std::string first = sounds[0].str(), second = sounds[1].str();
    Weights w = weigh(files);
    const int64_t noiseFrames = (32 * MIB - 64 * 1024 - w.decodedTotal + w.decoded[first] + w.decoded[second]) / 16;
    encodeNoise(files + "/" + first, noiseFrames);
    encodeNoise(files + "/" + second, noiseFrames);
    fillSideFiles(files);
    const std::string menu = files + "/sfx/music/menu.ogg";
    const std::string ownMenu = EngineTestFolder::readFile(menu);
    const std::string empty = OggFixture::rewritten(ownMenu, "", 190000 * 255, 3, 4);
    EngineTestFolder::writeFile(menu, OggFixture::withLength(empty, INT32_MAX));
    pack(archives, files, "empty");
    EngineTestFolder::writeFile(menu, ownMenu);
    const int64_t room = 64 * MIB - 64 * 1024 - (readBytes(files) - int64_t(fs::file_size(menu)));
    for (double share = 0.98; share > 0.5; share -= 0.02) {
        encodeNoise(menu, int64_t(double(room) * share * 8 / 499000 * 44100), 499);
        if (int64_t(fs::file_size(menu)) <= room) break;
    }
    // Its comment header as large as a sound's may be, within the room kept for it.
    EngineTestFolder::writeFile(menu, OggFixture::rewritten(EngineTestFolder::readFile(menu),
                                                            commentHeader(StartLimits::MAX_COMMENT_BYTES), 0, 2));
    w = weigh(files);
    fprintf(stderr, "limits: reads %lld bytes, decodes %lld bytes\n", (long long)readBytes(files), (long long)w.decodedTotal);
    pack(archives, files, "limits");
    const std::string noiseMenu = EngineTestFolder::readFile(menu);
    const std::string padded = paddedComments(ownMenu, int64_t(noiseMenu.size()));
    EngineTestFolder::writeFile(menu, padded);
    pack(archives, files, "comment");
    EngineTestFolder::writeFile(menu, OggFixture::withBooks(noiseMenu, {{1, 8388607, 0}}));
    pack(archives, files, "books");
    EngineTestFolder::writeFile(menu, noiseMenu);
    addUnread(files);
    pack(archives, files, "full");
    encodeNoise(files + "/" + first, noiseFrames + 65536);
    pack(archives, files, "decoded");
    // A large unread entry makes room for the second copy of the music.
    fs::remove(files + "/unread/large-0");
    fs::copy_file(menu, files + "/sfx/music/game.ogg", fs::copy_options::overwrite_existing);
    pack(archives, files, "reads");
    writeTooManyRecords(archives + "/records.dat");
    fs::remove_all(files);
}

struct Start {
    double seconds = 0;
    double peakMB = 0;
    std::string ending;  // the log line, or the exit status and the first line of standard error
};

long statusKiB(pid_t pid, const char* key) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.compare(0, strlen(key), key) == 0) return atol(line.c_str() + strlen(key));
    return 0;
}

// One start in a fresh folder: the program and the archive beside each other.
Start start(const std::string& game, const std::string& archive) {
    char pattern[] = "/tmp/start-bench-XXXXXX";
    const std::string folder = mkdtemp(pattern);
    fs::create_directories(folder + "/bin");
    fs::create_directories(folder + "/user/2.60");
    fs::copy_file(game, folder + "/bin/corvana2demo");
    fs::create_symlink(fs::absolute(archive), folder + "/bin/Corvana2demo.dat");
    fs::copy_file(buildFolder() + "/Corvana2demo.cfg.static", folder + "/bin/Corvana2demo.cfg.static");
    std::ofstream(folder + "/user/2.60/Corvana2demo.cfg") << "[PlimGraphics]\nbFullScreen=No\n";
    const std::string log = folder + "/user/2.60/Corvana2demo.log";
    const auto began = std::chrono::steady_clock::now();
    fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(folder.c_str()) != 0) _exit(99);
        setenv("U3_APP_DATA_PATH", (folder + "/user").c_str(), 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("SDL_VIDEODRIVER", "x11", 1);
        setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
        if (!freopen("output.txt", "w", stdout) || !freopen("errors.txt", "w", stderr)) _exit(99);
        execl((folder + "/bin/corvana2demo").c_str(), "corvana2demo", (char*)nullptr);
        _exit(98);
    }
    Start s;
    std::string seen;
    int status = 0;
    struct rusage usage = {};
    // The peak of the program's own memory, polled: the one its end reports
    // counts the pages of this process that it was forked from.
    long peakKiB = 0;
    for (;;) {
        peakKiB = std::max(peakKiB, statusKiB(pid, "VmHWM:"));
        std::ifstream in(log);
        in.seekg(std::streamoff(seen.size()));
        seen.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (seen.find(DONE) != std::string::npos) {
            s.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
            s.peakMB = double(std::max(peakKiB, statusKiB(pid, "VmHWM:"))) / 1024;
            s.ending = "menu";
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            break;
        }
        if (wait4(pid, &status, WNOHANG, &usage) == pid) {
            s.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
            s.peakMB = double(peakKiB > 0 ? peakKiB : usage.ru_maxrss) / 1024;
            std::ifstream errors(folder + "/errors.txt");
            std::getline(errors, s.ending);
            s.ending = "status " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + ": " + s.ending;
            break;
        }
        usleep(2000);
    }
    fs::remove_all(folder);
    return s;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    std::string game = buildFolder() + "/corvana2demo";
    int runs = 0;
    std::vector<std::string> names;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--game" && i + 1 < argc) game = fs::absolute(argv[++i]).string();
        else if (a == "--runs" && i + 1 < argc) runs = atoi(argv[++i]);
        else names.push_back(a);
    }
    if (!getenv("DISPLAY")) {
        fprintf(stderr, "start_bench: needs an X server (xvfb-run)\n");
        return 2;
    }
    const std::string archives = buildFolder() + "/bench/start-archives";
    fs::create_directories(archives);
    buildArchives(archives);
    if (names.empty()) names = {"own", "limits", "full", "records", "decoded", "reads", "comment", "empty", "books"};
    printf("%-8s %5s %9s %9s %9s %9s  %s\n", "archive", "runs", "median s", "above s", "peak MB", "above MB", "ending");
    double ownSeconds = 0, ownMB = 0;
    for (const std::string& name : names) {
        const std::string archive = name == "own" ? buildFolder() + "/Corvana2demo.dat" : archives + "/" + name + ".dat";
        const int n = runs > 0 ? runs : name == "own" ? 10 : 5;
        std::vector<double> seconds, peaks;
        std::string ending;
        for (int i = 0; i < n; ++i) {
            const Start s = start(game, archive);
            seconds.push_back(s.seconds);
            peaks.push_back(s.peakMB);
            ending = s.ending;
        }
        const double t = median(seconds), mb = median(peaks);
        if (name == "own") ownSeconds = t, ownMB = mb;
        printf("%-8s %5d %9.3f %9.3f %9.1f %9.1f  %s\n", name.c_str(), n, t, t - ownSeconds, mb, mb - ownMB,
               ending.substr(0, 160).c_str());
        fflush(stdout);
    }
    return 0;
}
