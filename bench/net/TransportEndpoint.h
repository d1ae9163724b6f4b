#pragma once
// One end of a transport under the transport benchmark: connect or listen,
// service, send whole messages, and say how many message bytes are in flight.
// Both transports are held to the same window and connection time-out.
#include <cstdint>
#include <functional>
#include <vector>

class TransportEndpoint {
public:
    // Message bytes sent and not yet acknowledged, at most ENet's fixed
    // reliable window.
    static constexpr long WINDOW_BYTES = 65536;
    // A connection is given up after this long without progress (ours:
    // nothing new from the peer; ENet: its oldest reliable command unacknowledged).
    static constexpr double CONNECTION_TIMEOUT = 5.0;
    // A message's first byte; an idle message only carries what the transport adds.
    static constexpr uint8_t IDLE_KIND = 'I';

    virtual ~TransportEndpoint() = default;
    virtual int listen() = 0; // returns the bound port
    virtual void connect(int port) = 0;
    virtual bool connected() = 0;
    // Message bytes sent and not yet acknowledged by the other side.
    virtual long unacknowledged() = 0;
    virtual void send(const std::vector<uint8_t>& message) = 0;
    // Receives and hands over what came; the owner then sends its replies,
    // and flush sends what is still due, so that a reply carries the
    // acknowledgements as a game's update each interval would.
    virtual void service() = 0;
    virtual void flush() = 0;
    virtual long datagrams() = 0;
    // A message longer than the window may start alone; what of it passes
    // the window then waits for acknowledgements (ENet's fragments, our pieces).
    bool canSend(int length) {
        long held = connected() ? unacknowledged() : 0;
        return connected() && (held == 0 || held + length <= WINDOW_BYTES);
    }
    std::function<void(const uint8_t*, int)> onMessage;
    // Had a connection and lost it.
    bool lost = false;
};
