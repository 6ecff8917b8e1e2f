// SPDX-License-Identifier: MIT
#pragma once

// The UDP endpoint as the session core uses it. UdpEndpoint is the real one; the tests use a fake
// that records what is sent and injects replies.

#include "protocol/ByteIo.h"

#include <functional>
#include <string>

namespace rv {

class Endpoint
{
public:
    // Called on the endpoint's receive thread with the bytes of one datagram (1 to 1024 bytes),
    // in order of arrival.
    using DatagramHandler = std::function<void(Bytes)>;
    // Called with the text of a network-layer failure; the host shows it in a message box with
    // the application's name as caption. Called on the thread that made the failing call.
    using FailureHandler = std::function<void(const std::string&)>;

    virtual ~Endpoint() = default;

    // Opens the main socket on the wildcard address and starts receiving. Failures are reported,
    // never thrown; the session goes on without a network then.
    virtual void open(DatagramHandler onDatagram, FailureHandler onFailure) = 0;
    // Rebuilds the interface socket table from the PC's addresses (each search does this).
    virtual void bindInterfaceSockets() = 0;
    // Sends one datagram on every bound interface socket, in index order, to the broadcast
    // address. Safe from the user-interface thread and the transfer thread at once.
    virtual void sendToAll(ByteView datagram) = 0;
    // Closes the bound interface sockets (the main window's close).
    virtual void closeInterfaceSockets() = 0;
    // Stops receiving and closes everything. Idempotent.
    virtual void close() = 0;
    // The PC's first IPv4 address as dotted text, or empty when it has none.
    virtual std::string firstLocalAddress() const = 0;
};

} // namespace rv
