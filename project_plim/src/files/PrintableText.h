#pragma once
// Text from outside the program (an archive's entry names) made safe to print
// on a terminal.
#include "util/UString.h"

#include <string>

// Control bytes (C0, DEL, C1) and bytes that are not well-formed UTF-8 as
// "\xNN", so that no escape sequence passes; printable UTF-8 stays as it is.
std::string printableText(const std::string& text);
inline UString printableText(const UString& text) { return printableText(text.str()).c_str(); }
// Whether text holds a control character: a C0 byte, DEL, or a C1 control
// written as UTF-8.
bool holdsControlCharacter(const std::string& text);
// The offset of the first byte printableText escapes, tab, CR and LF aside
// (a control byte, or one not well-formed UTF-8); text.size() when none.
size_t firstNonTextByte(const std::string& text);
