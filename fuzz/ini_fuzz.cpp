// The settings-file parser on arbitrary text: whatever it reads, saving it and
// reading the saved text again gives the same sections, keys and values.
#include "core/ErrorManager.h"
#include "files/FileManager.h"
#include "files/MemoryIniFile.h"
#include "core/Plim.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
std::vector<std::string> sortedLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    std::sort(lines.begin(), lines.end());
    return lines;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Plim* engine = [] {
        Plim* p = new Plim(Plim::Bare{});
        p->errorManager = new ErrorManager();
        p->fileManager = new FileManager();
        p->fileManager->bForceDisk = true;
        return p;
    }();
    (void)engine;
    if (size > 1 << 20) return 0;

    MemoryIniFile ini("/nonexistent/fuzz.ini");
    ini.parse(reinterpret_cast<const char*>(data), int(size));
    const std::string text = ini.toText().str();

    MemoryIniFile again("/nonexistent/fuzz.ini");
    again.parse(text.data(), int(text.size()));
    if (sortedLines(again.toText().str()) != sortedLines(text)) abort();

    if (!again.hasKey("Plim", "k")) again.setInt("Plim", "k", int(size));
    again.getInt("Plim", "k");
    again.getDouble("Plim", "k");
    again.getBool("Plim", "k");
    again.removeKey("Plim", "k");
    return 0;
}
