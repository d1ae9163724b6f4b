#include "StartLine.h"

#include "files/PrintableText.h"
#include "util/PlimUtil.h"

std::string startLine(const std::string& text) { return PLIM_BUILD_NAME + text + "\n"; }

std::string quotedValue(const std::string& value) { return "'" + printableText(value) + "'"; }
