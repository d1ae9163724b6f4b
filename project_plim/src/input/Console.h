#pragma once
// Developer console: a scroll-back of printed lines and a one-line command
// field, toggled with left Shift + grave accent, drawn in the debug font.
#include "core/PlimBase.h"
#include "util/UString.h"

#include <vector>

class Console : public PlimBase {
public:
    Console();
    ~Console() override;
    RuntimeClass* getClass() override;
    static RuntimeClass runtimeClass;

    // printf-style; appends one line and logs it ("> %s").
    void print(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Keyboard handling; the arguments are not used.
    void tick(double time, double dt) override;
    void render() override;

    virtual void executeCommand(const UString& line);

    std::vector<UString> lines; // never trimmed
    int bottomLine = -1;        // index of the lowest line drawn; -1 when empty
    UString inputLine;
    bool bVisible = false;
    int maxLines = 40;
};
