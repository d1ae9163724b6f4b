#include "Language.h"

#include "core/ErrorManager.h"
#include "core/Plim.h"
#include "input/PlimInput.h"
#include "util/PlimUtil.h"

#include <cstdint>

namespace {

// Key codes of the key-name identifiers, in identifier order from DIK_ESCAPE:
// keyboard scan codes, then the joystick's and the mouse's pseudo-keys.
const uint16_t NAMED_KEY_CODES[] = {
    // DIK_ESCAPE to DIK_DECIMAL
    0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10,
    0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F, 0x20,
    0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x2D, 0x2E, 0x2F, 0x30,
    0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3A, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40,
    0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F, 0x50,
    0x51, 0x52, 0x53,
    // DIK_OEM_102 to DIK_MEDIASELECT
    0x56, 0x57, 0x58, 0x64, 0x65, 0x66, 0x70, 0x73, 0x79, 0x7B, 0x7D, 0x7E,
    0x8D, 0x90, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x99, 0x9C, 0x9D,
    0xA0, 0xA1, 0xA2, 0xA4, 0xAE, 0xB0, 0xB2, 0xB3, 0xB5, 0xB7, 0xB8,
    0xC5, 0xC7, 0xC8, 0xC9, 0xCB, 0xCD, 0xCF, 0xD0, 0xD1, 0xD2, 0xD3,
    0xDB, 0xDC, 0xDD, 0xDE, 0xDF, 0xE3, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED,
    // DIK_JOYUP to DIK_JOYRIGHT
    256, 257, 258, 259,
    // DIK_JOYBUTTON0 to DIK_JOYBUTTON31
    272, 273, 274, 275, 276, 277, 278, 279, 280, 281, 282, 283, 284, 285, 286, 287,
    288, 289, 290, 291, 292, 293, 294, 295, 296, 297, 298, 299, 300, 301, 302, 303,
    // DIK_MOUSEUP to DIK_MOUSERIGHT, DIK_MOUSEBUTTON0 to DIK_MOUSEBUTTON3
    304, 305, 306, 307, 308, 309, 310, 311,
};

static_assert(sizeof NAMED_KEY_CODES / sizeof NAMED_KEY_CODES[0] ==
                  Language::STR_DIK_MOUSEBUTTON3 - Language::STR_DIK_ESCAPE + 1,
              "one key code per key-name identifier");
static_assert(int(Language::KEY_NAME_COUNT) == int(KEY_COUNT), "the input part's key table");

const char EMPTY_TEXT[] = "";

} // namespace

Language::Language() : Language(englishRows, englishRowCount) {}

Language::Language(const TextRow* rows, int rowCount) : currentLanguage(-1) {
    for (auto& row : strings)
        for (const char*& slot : row) slot = nullptr;
    build(rows, rowCount);

    for (int language = 0; language < LANGUAGE_MAX; ++language)
        for (int id = 0; id < STRINGS_MAX; ++id)
            if (!strings[language][id])
                PLIM_ERROR("String %d is missing from language %d.", id, language);
}

Language::~Language() {}

// Names first, then texts, each pass in row order.
void Language::build(const TextRow* rows, int rowCount) {
    for (int i = 0; i < rowCount; ++i)
        if (rows[i].name) stringIdentifiers.insert(rows[i].name, rows[i].id);
    for (int i = 0; i < rowCount; ++i)
        if (rows[i].id >= 0 && rows[i].id < STRINGS_MAX) strings[0][rows[i].id] = rows[i].text;
}

const char* Language::getTextByString(const char* name, bool fatalIfUnknown) {
    if (const int32_t* id = stringIdentifiers.find(UString(name))) return getText(*id);
    if (fatalIfUnknown)
        PLIM_ERROR("Unknown string identifier '%s'", name ? name : "");
    return EMPTY_TEXT;
}

void Language::setCurrentLanguage(int language) {
    currentLanguage = language;
    PLIM_ASSERT(currentLanguage>=0);
    PLIM_ASSERT(currentLanguage<LANGUAGE_MAX);
    rebuildKeyNames();
}

// A bare engine without an input part has no key names to rebuild.
void Language::rebuildKeyNames() {
    if (!PLIM || !PLIM->input) return;
    UString* names = PLIM->input->keyNames;
    for (int code = 0; code < KEY_NAME_COUNT; ++code)
        formatStringInto(names[code], "%s-%d", getText(STR_DIK_UNKNOWN), code);
    names[0] = EMPTY_TEXT;
    for (int id = STR_DIK_ESCAPE; id <= STR_DIK_MOUSEBUTTON3; ++id)
        names[NAMED_KEY_CODES[id - STR_DIK_ESCAPE]] = UString(getText(id));
}
