#pragma once
// What a server's accept gives a client and the client shows again to be
// admitted: its connection's identifier and secret, its request's nonce and
// the slot the ticket was given in. Every datagram that carries a ticket (an
// accept, a confirmation, a client's refusal of an accept) carries it whole,
// in this one order of fields.
#include <cstdint>

class Packet;

struct NetTicket {
    // Where an accept carries the nonce. Ours, and the earlier wire's since
    // the ticket became one type: third (identifier, secret, nonce, slot).
    // The first wire's: second (identifier, nonce, secret, slot), and its
    // refusal of an accept carried the identifier, nonce and slot after the
    // secret as its token. Both earlier wires say 2.60.
    enum Layout { NONCE_THIRD, NONCE_SECOND };
    enum { BYTES = 4 + 8 + 8 + 4, NONCE_SECOND_REFUSAL_BYTES = 4 + 8 + 4 };
    uint32_t id = 0;
    uint64_t secret = 0;
    uint64_t nonce = 0;
    uint32_t slot = 0; // when it was given, in the admission's slots
    // Writes the fields, or reads them, as the packet is.
    void serialize(Packet* p);
    // An earlier wire's accept read as ours: the layout whose nonce is the
    // one expected, its fields put in place; false when neither's is.
    bool findLayout(uint64_t expectedNonce, Layout& layout);
    // What a refusal of the accept carries after its token, in the layout.
    void serializeRefusal(Packet* p, Layout layout);
    static int refusalBytes(Layout layout) { return layout == NONCE_SECOND ? NONCE_SECOND_REFUSAL_BYTES : BYTES; }
};
