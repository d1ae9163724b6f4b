#include "EnetTransportEndpoint.h"

EnetTransportEndpoint::~EnetTransportEndpoint() {
    if (host)
        enet_host_destroy(host);
}

int EnetTransportEndpoint::listen() {
    ENetAddress a;
    a.host = ENET_HOST_ANY;
    a.port = 0;
    host = enet_host_create(&a, 1, 1, 0, 0);
    return host->address.port;
}

void EnetTransportEndpoint::connect(int port) {
    host = enet_host_create(nullptr, 1, 1, 0, 0);
    ENetAddress a;
    enet_address_set_host(&a, "127.0.0.1");
    a.port = uint16_t(port);
    enet_peer_timeout(enet_host_connect(host, &a, 1, 0), 0, timeoutMs(), timeoutMs());
}

void EnetTransportEndpoint::send(const std::vector<uint8_t>& message) {
    ENetPacket* p = enet_packet_create(message.data(), message.size(), ENET_PACKET_FLAG_RELIABLE);
    // A reliable packet is freed once every fragment is acknowledged.
    p->userData = this;
    p->freeCallback = [](ENetPacket* done) {
        static_cast<EnetTransportEndpoint*>(done->userData)->inFlightBytes -= long(done->dataLength);
    };
    inFlightBytes += long(message.size());
    enet_peer_send(peer, 0, p);
}

void EnetTransportEndpoint::service() {
    ENetEvent e;
    while (enet_host_service(host, &e, 0) > 0) {
        if (e.type == ENET_EVENT_TYPE_CONNECT) {
            peer = e.peer;
            enet_peer_timeout(peer, 0, timeoutMs(), timeoutMs());
            // Its throttle would shrink the window under a varying round
            // trip; ours has none, so both keep the whole window.
            enet_peer_throttle_configure(peer, ENET_PEER_PACKET_THROTTLE_INTERVAL, ENET_PEER_PACKET_THROTTLE_SCALE, 0);
        } else if (e.type == ENET_EVENT_TYPE_DISCONNECT) {
            peer = nullptr;
            lost = true;
        } else if (e.type == ENET_EVENT_TYPE_RECEIVE) {
            onMessage(e.packet->data, int(e.packet->dataLength));
            enet_packet_destroy(e.packet);
        }
    }
}
