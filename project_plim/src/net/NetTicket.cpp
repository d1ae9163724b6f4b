#include "NetTicket.h"

#include "serial/Packet.h"

#include <utility>

void NetTicket::serialize(Packet* p) {
    p->doBytes(&id, 4);
    p->doBytes(&secret, 8);
    p->doBytes(&nonce, 8);
    p->doBytes(&slot, 4);
}

bool NetTicket::findLayout(uint64_t expectedNonce, Layout& layout) {
    if (nonce == expectedNonce) {
        layout = NONCE_THIRD;
        return true;
    }
    // Both fields are eight bytes: read in our order, the first wire's nonce is our secret.
    if (secret != expectedNonce)
        return false;
    std::swap(secret, nonce);
    layout = NONCE_SECOND;
    return true;
}

void NetTicket::serializeRefusal(Packet* p, Layout layout) {
    if (layout == NONCE_THIRD) {
        serialize(p);
        return;
    }
    p->doBytes(&id, 4);
    p->doBytes(&nonce, 8);
    p->doBytes(&slot, 4);
}
