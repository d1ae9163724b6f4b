#include "AddressReply.h"

namespace {

// Reads 1 to maxDigits decimal digits at text into value; false when none
// or when the value passes limit.
bool readNumber(const char*& text, int maxDigits, uint32_t limit, uint32_t& value) {
    value = 0;
    int digits = 0;
    while (*text >= '0' && *text <= '9') {
        if (++digits > maxDigits) return false;
        value = value * 10 + uint32_t(*text++ - '0');
    }
    return digits > 0 && value <= limit;
}

}  // namespace

bool parseAddressReply(const char* text, uint32_t* ip, uint16_t* port) {
    if (!text) return false;
    uint32_t address = 0;
    for (int i = 0; i < 4; ++i) {
        uint32_t octet;
        if (!readNumber(text, 3, 255, octet)) return false;
        address = address << 8 | octet;
        if (*text++ != (i < 3 ? '.' : ':')) return false;
    }
    uint32_t number;
    if (!readNumber(text, 5, 65535, number) || number == 0 || *text != 0) return false;
    *ip = address;
    *port = uint16_t(number);
    return true;
}
