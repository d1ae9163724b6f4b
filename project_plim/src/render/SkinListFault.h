#pragma once
// Why a side file lacks a key SkinList reads, said as the static settings'
// check says it: its line and section, and the cause when an editor would
// show the key (not text, a byte-order mark, CR line ends, a section outside
// [Skin 0] to [Skin n-1], blanks around "=").
#include "util/UString.h"

class SkinListFault {
public:
    // Reads the file again through the file manager; the reader's own words
    // when it cannot.
    static UString missingKey(const UString& fileName, const UString& section, const char* key);
};
