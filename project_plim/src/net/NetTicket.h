#pragma once
// What a server's accept gives a client and the client shows again to be
// admitted: its connection's identifier and secret, its request's nonce and
// the slot the ticket was given in. Every datagram that carries a ticket (an
// accept, a confirmation, a client's refusal of an accept) carries it whole,
// in this one order of fields.
#include <cstdint>

class Packet;

struct NetTicket {
    enum { BYTES = 4 + 8 + 8 + 4, UNVERSIONED_REFUSAL_BYTES = 4 + 8 + 4 };
    uint32_t id = 0;
    uint64_t secret = 0;
    uint64_t nonce = 0;
    uint32_t slot = 0; // when it was given, in the admission's slots
    // Writes the fields, or reads them, as the packet is.
    void serialize(Packet* p);
    // The unversioned wire's layouts (before NetHost::WIRE_VERSION): an
    // accept carried id, nonce, secret, slot; a refusal of one carried the
    // secret as its token and after it id, nonce, slot.
    void serializeUnversionedAccept(Packet* p);
    void serializeUnversionedRefusal(Packet* p);
};
