#pragma once
// A one-line text field bound to a caller's character buffer (maximum length
// + 1 bytes): while the mouse is over it, typed characters from the allowed
// set are appended up to the maximum length and Backspace removes the last
// one; the buffer follows the text. A blinking underscore marks the end.
#include "MenuItem.h"

#include <cstdint>

class MenuString : public MenuItem {
public:
    // "!" to "}" without the backquote, and the blank.
    static const char* const DEFAULT_ALLOWED;

    // The text starts as the buffer's string, cut to maximumLength.
    MenuString(float x, float y, float z, const UString& caption, const UString& description, char* buffer,
               int maximumLength);
    ~MenuString() override;

    void tick(double time, double dt) override;
    void renderValue(V3 position) override;

    // After every typed character other than Backspace, taken or not.
    virtual void onTextChanged();

    UString allowed;
    UString text;
    int32_t maximumLength;
    char* buffer; // the caller's
    bool bCursorVisible = false;

private:
    bool isAllowed(char c) const;
};
