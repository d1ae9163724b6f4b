#include "MenuCountry.h"

#include "app/CountryTable.h"
#include "app/Global.h"
#include "language/Language.h"
#include "core/Plim.h"
#include "util/PlimMath.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

int MenuCountry::displayOrder[MenuCountry::POSITIONS];

MenuCountry::MenuCountry(float x, float y, float z, const UString& caption, const UString& description,
                         int32_t* bound)
    : MenuInt(x, y, z, caption, description, bound, 0, POSITIONS - 1, 1) {
    captionLocation = 8;
    setWidth(512);
    buildDisplayOrder();
}

MenuCountry::~MenuCountry() {}

void MenuCountry::buildDisplayOrder() {
    for (int i = 0; i < POSITIONS; i++) displayOrder[i] = i;
    std::sort(displayOrder + 1, displayOrder + POSITIONS, [](int a, int b) {
        return std::strcmp(CountryTable::rows[a].code, CountryTable::rows[b].code) < 0;
    });
}

int MenuCountry::rowAt(int position) {
    if (position < 0 || position >= POSITIONS) return 0;
    return displayOrder[position];
}

int MenuCountry::nextStartingWith(int from, char letter) {
    // Shift gives a capital: either case is the same letter.
    const int wanted = std::tolower(static_cast<unsigned char>(letter));
    for (int step = 1; step <= POSITIONS; step++) {
        const int p = (from + step) % POSITIONS;
        if (std::tolower(static_cast<unsigned char>(CountryTable::rows[displayOrder[p]].code[0])) == wanted) return p;
    }
    return -1;
}

int MenuCountry::clampedValue() const { return std::min(std::max(*value, 0), POSITIONS - 1); }

void MenuCountry::tick(double time, double dt) {
    MenuInt::tick(time, dt);

    const char c = typedChar();
    if (bHovered && c != 0) {
        const int found = nextStartingWith(clampedValue(), c);
        if (found >= 0) {
            *value = found;
            bClicked = true;
        }
    }

    if (bClicked) {
        const CountryRecord& row = CountryTable::rows[rowAt(clampedValue())];
        SaveData& data = gGlobal->saveData;
        data.countryCode[0] = row.code[0];
        data.countryCode[1] = row.code[1];
        data.countryPoint = Global::lonLatToPoint(float(degreesToRadians(row.longitude)),
                                                  float(degreesToRadians(row.latitude)));
    }
}

void MenuCountry::renderValue(V3 at) {
    const int row = rowAt(clampedValue());
    const char* name = PLIM->language ? PLIM->language->getText(CountryTable::FIRST_TEXT + row) : "";
    drawValueText(at, UString::format("%s (%s)", CountryTable::rows[row].code, name));
}
