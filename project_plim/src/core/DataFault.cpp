#include "DataFault.h"

#include "ErrorManager.h"
#include "util/PlimUtil.h"
#include "util/UString.h"

#include <cstdarg>

void DataFault::raise(const char* format, ...) {
    va_list args;
    va_start(args, format);
    UString why;
    formatStringV(why, format, args);
    va_end(args);
    const char* stop = why.isEmpty() || why.str().back() == '.' ? "" : ".";
    ErrorManager::cannotStart("%s cannot use its data: %s%s", PLIM_BUILD_NAME, why.c_str(), stop);
}
