// SPDX-License-Identifier: MIT
#pragma once

// An Endpoint without sockets: it records every datagram sent, can answer each one through a
// responder (as a unit on the LAN would), and injects datagrams as if the receive thread had
// received them.

#include "net/Endpoint.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace rv::test {

class FakeEndpoint : public Endpoint
{
public:
    // Given one sent datagram, the datagrams that come back. Called on the sending thread with no
    // lock held; its answers are delivered there at once, as the receive thread would.
    using Responder = std::function<std::vector<Bytes>(const Bytes& sent)>;

    void open(DatagramHandler onDatagram, FailureHandler onFailure) override;
    void bindInterfaceSockets() override;
    void sendToAll(ByteView datagram) override;
    void closeInterfaceSockets() override;
    void close() override;
    std::string firstLocalAddress() const override { return "10.77.0.1"; }

    void setResponder(Responder responder);
    // Every later send reports this failure text instead of sending (empty: sends again).
    void setSendFailure(std::string text);

    // Hands a datagram to the session as received, on the calling thread.
    void inject(const Bytes& datagram);
    // Reports a network-layer failure, on the calling thread.
    void fail(const std::string& text);

    std::vector<Bytes> sent() const;
    std::size_t sentCount() const;
    // The sub-commands of the ParamFrames sent in HostFrames of command 10, in order.
    std::vector<std::uint8_t> paramCodesSent() const;
    // Waits until at least n datagrams have been sent.
    bool waitForSent(std::size_t n, std::chrono::milliseconds timeout) const;
    void clearSent();

    int bindCount() const;
    int closeInterfaceCount() const;
    bool isOpen() const;

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_cv;
    DatagramHandler m_onDatagram;
    FailureHandler m_onFailure;
    Responder m_responder;
    std::string m_sendFailure;
    std::vector<Bytes> m_sent;
    int m_binds = 0;
    int m_closeInterfaces = 0;
    bool m_open = false;
};

// The ParamFrame sub-command of a command-10 request, or nothing for any other datagram.
std::optional<std::uint8_t> ParamCodeOf(ByteView request);

} // namespace rv::test
