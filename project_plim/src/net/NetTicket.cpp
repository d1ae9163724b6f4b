#include "NetTicket.h"

#include "serial/Packet.h"

void NetTicket::serialize(Packet* p) {
    p->doBytes(&id, 4);
    p->doBytes(&secret, 8);
    p->doBytes(&nonce, 8);
    p->doBytes(&slot, 4);
}

void NetTicket::serializeUnversionedAccept(Packet* p) {
    p->doBytes(&id, 4);
    p->doBytes(&nonce, 8);
    p->doBytes(&secret, 8);
    p->doBytes(&slot, 4);
}

void NetTicket::serializeUnversionedRefusal(Packet* p) {
    p->doBytes(&id, 4);
    p->doBytes(&nonce, 8);
    p->doBytes(&slot, 4);
}
