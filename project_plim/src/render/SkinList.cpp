#include "SkinList.h"

#include "SkinListFault.h"
#include "core/ErrorManager.h"
#include "files/MemoryIniFile.h"
#include "util/PlimUtil.h"

#include <cstdint>

namespace {

// A fault: a fatal error (in the words of fatal) without a problem sink, else
// said there; false.
bool refuse(UString* problem, const UString& why, const UString& fatal) {
    if (!problem) PLIM_ERROR("%s", fatal.c_str());
    *problem = why;
    return false;
}

// The key's value; a missing one is said with its line and cause, fatal
// without a problem sink.
bool readKey(MemoryIniFile& ini, const UString& section, const char* key, int& value, UString* problem) {
    if (!ini.hasKey(section, key)) {
        const UString why = SkinListFault::missingKey(ini.fileName, section, key);
        return refuse(problem, why,
                      formatString("The side file '%s' cannot be used: %s.", ini.fileName.c_str(), why.c_str()));
    }
    value = ini.getInt(section, key);
    return true;
}

} // namespace

bool SkinList::read(MemoryIniFile& ini, const UString& picture, int width, int height, std::vector<SkinRect>& skins,
                    UString* problem) {
    const int count = ini.getNumSections();
    if (count > MAX_SKINS) {
        const UString why = formatString("it lists %d sub-images, more than the %d a side file may list", count, MAX_SKINS);
        return refuse(problem, why, formatString("The side file of '%s': %s.", picture.c_str(), why.c_str()));
    }
    for (int i = 0; i < count; ++i) {
        const UString section = formatString("Skin %d", i);
        SkinRect r;
        if (!readKey(ini, section, "left", r.left, problem) || !readKey(ini, section, "top", r.top, problem) ||
            !readKey(ini, section, "width", r.width, problem) || !readKey(ini, section, "height", r.height, problem))
            return false;
        if (ini.hasKey(section, "origin_adjust_x")) r.adjustX = ini.getInt(section, "origin_adjust_x");
        if (ini.hasKey(section, "origin_adjust_y")) r.adjustY = ini.getInt(section, "origin_adjust_y");
        if (r.left < 0 || r.top < 0 || r.width <= 0 || r.height <= 0 || int64_t(r.left) + r.width > width ||
            int64_t(r.top) + r.height > height) {
            const UString why = formatString("Skin %d (left %d, top %d, width %d, height %d) lies outside the %dx%d image '%s'.",
                                             i, r.left, r.top, r.width, r.height, width, height, picture.c_str());
            return refuse(problem, why, why);
        }
        skins.push_back(r);
    }
    return true;
}
