#pragma once
// The connection test's answer: the address the web service saw us at, as
// "a.b.c.d:port". Anything else, or a number out of range, is no address.
#include <cstdint>

// On success fills ip (host order, a in the top byte) and port.
bool parseAddressReply(const char* text, uint32_t* ip, uint16_t* port);
