#pragma once
// The player's country: a MenuInt over the positions 0..240 of the countries
// sorted by code ("--" first). A typed letter, in either case, jumps to the
// next country whose code starts with it; a key that starts none is no click. While its clicked flag is set it writes
// the country's code and its point on the unit sphere into the saved data.
#include "MenuInt.h"

class MenuCountry : public MenuInt {
public:
    enum { POSITIONS = 241 };

    // Caption above, 512 wide; rebuilds the display order.
    MenuCountry(float x, float y, float z, const UString& caption, const UString& description, int32_t* value);
    ~MenuCountry() override;

    void tick(double time, double dt) override;
    void renderValue(V3 position) override;

    // Table row shown at a display position; outside 0..240 gives row 0.
    static int rowAt(int position);
    // Shared by every country widget; the same after each rebuild.
    static void buildDisplayOrder();
    static int displayOrder[POSITIONS];
    // The next position after from (wrapping, from itself last) whose code
    // starts with the letter in either case; -1 when none does.
    static int nextStartingWith(int from, char letter);

private:
    int clampedValue() const;
};
