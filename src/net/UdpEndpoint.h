// SPDX-License-Identifier: MIT
#pragma once

// The real UDP endpoint. One main socket on the wildcard address (port 1901) and a table of up to
// ten interface sockets, one per IPv4 address of the PC, rebuilt by every search. Requests leave
// on every bound interface socket, to the broadcast address. One receive thread waits on all
// sockets at once: a unit that answers by broadcast reaches the main socket, a unit that answers
// the sender's address reaches that address's interface socket, and both kinds are handed over.
//
// Addresses are 32-bit values with the first dotted octet in the most significant byte
// (127.0.0.1 is 0x7F000001), the same convention the unit uses on the wire.

#include "net/Endpoint.h"

#include <array>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace rv {

using Ipv4Address = std::uint32_t;

inline constexpr Ipv4Address kLimitedBroadcast = 0xFFFFFFFFu;

// The IPv4 addresses of the interfaces that are up, loopback excluded, in interface order.
std::vector<Ipv4Address> LocalIpv4Addresses();

// "a.b.c.d"; nothing for text that is not a dotted quad.
std::optional<Ipv4Address> ParseIpv4(std::string_view text);
std::string FormatIpv4(Ipv4Address address);

class UdpEndpoint final : public Endpoint
{
public:
    using AddressProvider = std::function<std::vector<Ipv4Address>()>;

    static constexpr std::size_t kMaxInterfaceSockets = 10;

    // port 0 lets the system choose the main socket's port on open(); the interface sockets and
    // the destination of every request then use that same port (tests on loopback do this).
    // An empty provider means LocalIpv4Addresses.
    explicit UdpEndpoint(std::uint16_t port = 1901, Ipv4Address broadcastAddress = kLimitedBroadcast,
                         AddressProvider addresses = {});
    ~UdpEndpoint() override; // close()
    UdpEndpoint(const UdpEndpoint&) = delete;
    UdpEndpoint& operator=(const UdpEndpoint&) = delete;

    // Creates the main socket and starts the receive thread. A second call does nothing.
    void open(DatagramHandler onDatagram, FailureHandler onFailure) override;
    // Closes the old table's sockets, then binds one socket per address (the first ten). Each
    // failing address leaves its entry unbound and reports its text.
    void bindInterfaceSockets() override;
    void sendToAll(ByteView datagram) override;
    void closeInterfaceSockets() override;
    // Stops the receive thread and closes every socket. Must not be called from the datagram
    // handler.
    void close() override;
    std::string firstLocalAddress() const override;

    // The port in use: the constructor's, or the one chosen when it was 0 (after open()).
    std::uint16_t port() const;
    // The addresses of the bound entries, in index order.
    std::vector<Ipv4Address> boundAddresses() const;

private:
    struct InterfaceSocket
    {
        Ipv4Address address = 0;
        int socket = -1;
        bool bound = false;
    };
    struct Datagram;

    void receiveLoop();
    // Waits until the receive thread holds no socket of the table, then runs change with the lock
    // held; the receive thread picks up the new table afterwards.
    void changeTable(const std::function<void(std::vector<std::string>&)>& change);
    void closeTableLocked();
    void wake();
    void report(const std::vector<std::string>& failures) const;

    std::uint16_t m_port;
    const Ipv4Address m_broadcastAddress;
    const AddressProvider m_addresses;

    DatagramHandler m_onDatagram;
    FailureHandler m_onFailure;

    // Guards the table, the main socket and the hand-over with the receive thread. The receive
    // thread polls and reads with the mutex released while m_receiverBusy is set; a table change
    // waits until it is clear, so a socket is never closed (and its number never reused) while
    // the receive thread may still read it.
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::array<InterfaceSocket, kMaxInterfaceSockets> m_ifSockets{};
    int m_mainSocket = -1;
    int m_wakeRead = -1;
    int m_wakeWrite = -1;
    bool m_opened = false;
    bool m_stop = false;
    bool m_receiverBusy = false;
    int m_changesWaiting = 0;
    std::thread m_receiver;
};

} // namespace rv
