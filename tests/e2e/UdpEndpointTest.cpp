// SPDX-License-Identifier: MIT
// The real endpoint on loopback only: the port is chosen by the system, the PC's address list is
// given, and "broadcasts" go to 127.0.0.1, so every request comes back to the endpoint itself as
// the tool's own broadcasts do on a LAN.

#include "net/UdpEndpoint.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace rv {
namespace {

using namespace std::chrono_literals;

constexpr Ipv4Address kLoopback = 0x7F000001;  // 127.0.0.1
constexpr Ipv4Address kLoopback2 = 0x7F000002; // 127.0.0.2
constexpr Ipv4Address kNotOurs = 0xC0000201;   // 192.0.2.1, documentation range: bind fails
constexpr auto kSafetyNet = 5s;                // only reached when a datagram is lost

// Everything the endpoint hands over and reports, with a wait on a condition variable.
class Inbox
{
public:
    void push(Bytes datagram)
    {
        {
            std::lock_guard lock(m_mutex);
            m_datagrams.push_back(std::move(datagram));
        }
        m_cv.notify_all();
    }
    void fail(const std::string& text)
    {
        std::lock_guard lock(m_mutex);
        m_failures.push_back(text);
    }

    // Waits until the sentinel has arrived; returns the datagrams that came before it and removes
    // everything up to and including it.
    std::vector<Bytes> before(const Bytes& sentinel)
    {
        std::unique_lock lock(m_mutex);
        std::vector<Bytes> earlier;
        const bool seen = m_cv.wait_for(lock, kSafetyNet, [&] {
            return std::find(m_datagrams.begin(), m_datagrams.end(), sentinel) != m_datagrams.end();
        });
        EXPECT_TRUE(seen) << "sentinel never arrived";
        auto it = std::find(m_datagrams.begin(), m_datagrams.end(), sentinel);
        earlier.assign(m_datagrams.begin(), it);
        m_datagrams.erase(m_datagrams.begin(), it == m_datagrams.end() ? it : it + 1);
        return earlier;
    }

    std::vector<std::string> failures()
    {
        std::lock_guard lock(m_mutex);
        return std::exchange(m_failures, {});
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::vector<Bytes> m_datagrams;
    std::vector<std::string> m_failures;
};

// A plain socket standing in for a unit on the loopback interface.
class Peer
{
public:
    Peer()
    {
        m_socket = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_addr.s_addr = htonl(kLoopback);
        ::bind(m_socket, reinterpret_cast<const sockaddr*>(&sa), sizeof sa);
    }
    ~Peer() { ::close(m_socket); }
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;

    void send(ByteView bytes, Ipv4Address to, std::uint16_t port) const
    {
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_port = htons(port);
        sa.sin_addr.s_addr = htonl(to);
        ASSERT_EQ(::sendto(m_socket, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&sa), sizeof sa),
                  static_cast<ssize_t>(bytes.size()));
    }

private:
    int m_socket = -1;
};

Bytes pattern(std::size_t n, std::uint8_t seed)
{
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) {
        b[i] = static_cast<std::uint8_t>(seed + i * 7);
    }
    return b;
}

std::size_t openFileCount()
{
    std::size_t n = 0;
    if (DIR* d = ::opendir("/proc/self/fd")) {
        while (::readdir(d) != nullptr) {
            ++n;
        }
        ::closedir(d);
    }
    return n;
}

class UdpEndpointTest : public ::testing::Test
{
protected:
    void openWith(std::vector<Ipv4Address> addresses)
    {
        {
            std::lock_guard lock(m_addressMutex);
            m_addresses = std::move(addresses);
        }
        m_endpoint = std::make_unique<UdpEndpoint>(0, kLoopback, [this] {
            std::lock_guard lock(m_addressMutex);
            return m_addresses;
        });
        m_endpoint->open([this](Bytes d) { m_inbox.push(std::move(d)); },
                         [this](const std::string& text) { m_inbox.fail(text); });
        ASSERT_NE(m_endpoint->port(), 0);
    }
    void setAddresses(std::vector<Ipv4Address> addresses)
    {
        std::lock_guard lock(m_addressMutex);
        m_addresses = std::move(addresses);
    }

    // Sends the sentinel to to:port from a peer; what arrived on the same socket before it did
    // arrived before it was sent.
    std::vector<Bytes> receivedUpTo(Ipv4Address to = kLoopback)
    {
        const Bytes sentinel{0x5E, m_sentinels++, 0x5E};
        m_peer.send(sentinel, to, m_endpoint->port());
        return m_inbox.before(sentinel);
    }

    Inbox m_inbox;
    Peer m_peer;
    std::mutex m_addressMutex;
    std::vector<Ipv4Address> m_addresses;
    std::unique_ptr<UdpEndpoint> m_endpoint;
    std::uint8_t m_sentinels = 0;
};

// 127.0.0.1 reaches the interface socket bound to it (as a reply to the sender's address does);
// 127.0.0.2 reaches only the main socket on the wildcard address (as a broadcast reply does).
TEST_F(UdpEndpointTest, HandsOverWholeDatagramsUpTo1024BytesOnEverySocket)
{
    openWith({kLoopback});
    m_endpoint->bindInterfaceSockets();
    ASSERT_EQ(m_endpoint->boundAddresses(), std::vector<Ipv4Address>{kLoopback});

    for (Ipv4Address to : {kLoopback, kLoopback2}) {
        SCOPED_TRACE(FormatIpv4(to));
        const Bytes whole = pattern(1024, 3);
        const Bytes one{0x55};
        m_peer.send(Bytes{}, to, m_endpoint->port());
        m_peer.send(pattern(1025, 9), to, m_endpoint->port());
        m_peer.send(whole, to, m_endpoint->port());
        m_peer.send(pattern(4000, 1), to, m_endpoint->port());
        m_peer.send(one, to, m_endpoint->port());
        EXPECT_EQ(receivedUpTo(to), (std::vector<Bytes>{whole, one}));
    }
    EXPECT_TRUE(m_inbox.failures().empty());
}

TEST_F(UdpEndpointTest, KeepsTheOrderOfArrival)
{
    openWith({kLoopback});
    m_endpoint->bindInterfaceSockets();
    std::vector<Bytes> sent;
    for (int i = 0; i < 500; ++i) {
        sent.push_back(pattern(static_cast<std::size_t>(1 + i % 300), static_cast<std::uint8_t>(i)));
        m_peer.send(sent.back(), kLoopback, m_endpoint->port());
    }
    EXPECT_EQ(receivedUpTo(), sent);
}

// What one search binds and how often each request then leaves: once per bound entry.
TEST_F(UdpEndpointTest, BindsOneEntryPerAddressAndSendsOncePerEntry)
{
    const std::vector<Ipv4Address> twelve = [] {
        std::vector<Ipv4Address> v;
        for (Ipv4Address a = kLoopback; a < kLoopback + 12; ++a) {
            v.push_back(a);
        }
        return v;
    }();
    struct Case
    {
        const char* name;
        bool search;
        std::vector<Ipv4Address> addresses;
        std::vector<std::string> failures;
        std::size_t sends;
    };
    const std::vector<Case> cases = {
        {"no search yet", false, {kLoopback}, {}, 0},
        {"no address", true, {}, {}, 0},
        {"one address", true, {kLoopback}, {}, 1},
        {"two addresses", true, {kLoopback, kLoopback2}, {}, 2},
        {"same address twice", true, {kLoopback, kLoopback}, {"已经绑定过此IP,无需再次绑定"}, 1},
        {"address not on this PC", true, {kNotOurs, kLoopback}, {"绑定SOCKET出错"}, 1},
        {"more than ten", true, twelve, {}, 10},
    };
    openWith({});
    const Bytes request{0xAA, 0x00, 0x01, 0x02, 0x02};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        setAddresses(c.addresses);
        m_endpoint->closeInterfaceSockets();
        if (c.search) {
            m_endpoint->bindInterfaceSockets();
        }
        EXPECT_EQ(m_inbox.failures(), c.failures);
        // Every entry sends to 127.0.0.1, where the entry bound to it (or the main socket) reads.
        m_endpoint->sendToAll(request);
        EXPECT_EQ(receivedUpTo(), std::vector<Bytes>(c.sends, request));
        EXPECT_TRUE(m_inbox.failures().empty());
    }
}

TEST_F(UdpEndpointTest, ReportsEachFailedSend)
{
    openWith({kLoopback, kLoopback2});
    m_endpoint->bindInterfaceSockets();
    m_endpoint->sendToAll(Bytes(70000, 0xAA)); // larger than any UDP datagram
    EXPECT_EQ(m_inbox.failures(), (std::vector<std::string>{"端口被占用", "端口被占用"}));
}

// Searches rebuild the table while the transfer thread keeps sending and the receive thread waits
// on the sockets: no socket may leak, and nothing may be used after it was closed.
TEST_F(UdpEndpointTest, RebuildsTheTableWhileOthersSendAndReceive)
{
    openWith({kLoopback, kLoopback2});
    m_endpoint->bindInterfaceSockets();
    const std::size_t filesAfterFirstSearch = openFileCount();

    std::atomic<bool> done{false};
    std::thread sender([&] {
        const Bytes request{0xAA, 0x00, 0x01, 0x02, 0x02};
        while (!done) {
            m_endpoint->sendToAll(request);
            std::this_thread::sleep_for(100us);
        }
    });
    for (int i = 0; i < 100; ++i) {
        m_endpoint->bindInterfaceSockets();
    }
    done = true;
    sender.join();

    EXPECT_EQ(openFileCount(), filesAfterFirstSearch);
    EXPECT_EQ(m_endpoint->boundAddresses(), (std::vector<Ipv4Address>{kLoopback, kLoopback2}));
    EXPECT_TRUE(m_inbox.failures().empty());
    receivedUpTo(); // still receiving on the new table
    m_endpoint->closeInterfaceSockets();
    EXPECT_TRUE(m_endpoint->boundAddresses().empty());
}

TEST_F(UdpEndpointTest, CloseStopsEverythingAndMayBeRepeated)
{
    const std::size_t filesBefore = openFileCount();
    openWith({kLoopback});
    m_endpoint->bindInterfaceSockets();
    m_endpoint->close();
    m_endpoint->close();
    EXPECT_EQ(openFileCount(), filesBefore);
    m_endpoint->bindInterfaceSockets(); // a late search after the close binds nothing
    EXPECT_TRUE(m_endpoint->boundAddresses().empty());
    EXPECT_EQ(openFileCount(), filesBefore);
}

TEST(LocalAddresses, FirstAddressAndNoLoopback)
{
    EXPECT_EQ(UdpEndpoint(1901, kLimitedBroadcast,
                          [] {
                              return std::vector<Ipv4Address>{0x0A4D0005, kLoopback};
                          })
                  .firstLocalAddress(),
              "10.77.0.5");
    EXPECT_EQ(UdpEndpoint(1901, kLimitedBroadcast, [] { return std::vector<Ipv4Address>{}; }).firstLocalAddress(), "");
    for (Ipv4Address a : LocalIpv4Addresses()) {
        EXPECT_NE(a >> 24, 127u) << FormatIpv4(a);
    }
    EXPECT_EQ(ParseIpv4("192.168.0.9"), 0xC0A80009u);
    EXPECT_EQ(ParseIpv4("192.168.0"), std::nullopt);
    EXPECT_EQ(FormatIpv4(0xC0A80009u), "192.168.0.9");
}

} // namespace
} // namespace rv
