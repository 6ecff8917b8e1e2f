// SPDX-License-Identifier: MIT
#include "net/UdpEndpoint.h"

#include "protocol/HostFrame.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <ctime>

#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace rv {

namespace {

// ---- A thin layer over the BSD sockets calls, the only place that names them ----

constexpr int kNoSocket = -1;

// A search on a big LAN brings hundreds of replies in one burst; the kernel doubles this value.
constexpr int kReceiveBufferBytes = 4 * 1024 * 1024;

// Datagrams read from one socket before the others get their turn.
constexpr int kMaxReadsPerSocket = 1024;

sockaddr_in socketAddress(Ipv4Address address, std::uint16_t port)
{
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    sa.sin_addr.s_addr = htonl(address);
    return sa;
}

int openUdpSocket()
{
    return ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
}

bool setSocketFlag(int socket, int option)
{
    int on = 1;
    return ::setsockopt(socket, SOL_SOCKET, option, &on, sizeof on) == 0;
}

void enlargeReceiveBuffer(int socket)
{
    int size = kReceiveBufferBytes;
    // Only a privileged process may go beyond net.core.rmem_max; everyone else gets that maximum.
    if (::setsockopt(socket, SOL_SOCKET, SO_RCVBUFFORCE, &size, sizeof size) != 0) {
        ::setsockopt(socket, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    }
}

// The kernel's receive time of each datagram, so that datagrams read from different sockets in
// one round are handed over in the order they arrived. Without it they keep the order per socket.
void enableReceiveTimestamps(int socket)
{
    setSocketFlag(socket, SO_TIMESTAMPNS);
}

bool bindSocket(int socket, Ipv4Address address, std::uint16_t port)
{
    auto sa = socketAddress(address, port);
    return ::bind(socket, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0;
}

std::uint16_t boundPort(int socket)
{
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    if (::getsockname(socket, reinterpret_cast<sockaddr*>(&sa), &len) != 0) {
        return 0;
    }
    return ntohs(sa.sin_port);
}

bool sendDatagram(int socket, ByteView datagram, const sockaddr_in& to)
{
    ssize_t sent;
    do {
        sent = ::sendto(socket, datagram.data(), datagram.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    } while (sent < 0 && errno == EINTR);
    return sent >= 0 && static_cast<std::size_t>(sent) == datagram.size();
}

void closeSocket(int& socket)
{
    if (socket != kNoSocket) {
        ::close(socket);
        socket = kNoSocket;
    }
}

} // namespace

struct UdpEndpoint::Datagram
{
    timespec arrival{};
    Bytes bytes;
};

namespace {

bool arrivedEarlier(const timespec& a, const timespec& b)
{
    return a.tv_sec != b.tv_sec ? a.tv_sec < b.tv_sec : a.tv_nsec < b.tv_nsec;
}

timespec arrivalTime(msghdr& msg)
{
    for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c != nullptr; c = CMSG_NXTHDR(&msg, c)) {
        if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_TIMESTAMPNS) {
            timespec ts{};
            std::copy_n(CMSG_DATA(c), sizeof ts, reinterpret_cast<unsigned char*>(&ts));
            return ts;
        }
    }
    return {};
}

} // namespace

// ---- Addresses ----

std::vector<Ipv4Address> LocalIpv4Addresses()
{
    std::vector<Ipv4Address> addresses;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) {
        return addresses;
    }
    for (const ifaddrs* ifa = list; ifa != nullptr; ifa = ifa->ifa_next) {
        if (ifa->ifa_addr == nullptr || ifa->ifa_addr->sa_family != AF_INET) {
            continue;
        }
        if ((ifa->ifa_flags & IFF_UP) == 0 || (ifa->ifa_flags & IFF_LOOPBACK) != 0) {
            continue;
        }
        sockaddr_in sa{};
        std::copy_n(reinterpret_cast<const unsigned char*>(ifa->ifa_addr), sizeof sa,
                    reinterpret_cast<unsigned char*>(&sa));
        addresses.push_back(ntohl(sa.sin_addr.s_addr));
    }
    ::freeifaddrs(list);
    return addresses;
}

std::optional<Ipv4Address> ParseIpv4(std::string_view text)
{
    std::string s(text);
    in_addr a{};
    if (::inet_pton(AF_INET, s.c_str(), &a) != 1) {
        return std::nullopt;
    }
    return ntohl(a.s_addr);
}

std::string FormatIpv4(Ipv4Address address)
{
    return std::to_string(address >> 24) + '.' + std::to_string((address >> 16) & 0xFF) + '.' +
           std::to_string((address >> 8) & 0xFF) + '.' + std::to_string(address & 0xFF);
}

// ---- The endpoint ----

UdpEndpoint::UdpEndpoint(std::uint16_t port, Ipv4Address broadcastAddress, AddressProvider addresses)
    : m_port(port), m_broadcastAddress(broadcastAddress),
      m_addresses(addresses ? std::move(addresses) : AddressProvider(LocalIpv4Addresses))
{}

UdpEndpoint::~UdpEndpoint()
{
    close();
}

void UdpEndpoint::open(DatagramHandler onDatagram, FailureHandler onFailure)
{
    std::vector<std::string> failures;
    {
        std::lock_guard lock(m_mutex);
        if (m_opened || m_stop) {
            return;
        }
        m_opened = true;
        m_onDatagram = std::move(onDatagram);
        m_onFailure = std::move(onFailure);

        // As on the unit's own tool of old: a socket that cannot be created makes both option
        // calls fail as well, and each failure is shown; a failed bind is silent.
        m_mainSocket = openUdpSocket();
        if (m_mainSocket == kNoSocket) {
            failures.emplace_back("套接字错误,请检查错误并重新打开软件");
        }
        if (!setSocketFlag(m_mainSocket, SO_BROADCAST)) {
            failures.emplace_back("设置规则失败1");
        }
        if (!setSocketFlag(m_mainSocket, SO_REUSEADDR)) {
            failures.emplace_back("设置规则失败2");
        }
        if (m_mainSocket != kNoSocket) {
            enlargeReceiveBuffer(m_mainSocket);
            enableReceiveTimestamps(m_mainSocket);
            if (bindSocket(m_mainSocket, INADDR_ANY, m_port) && m_port == 0) {
                m_port = boundPort(m_mainSocket);
            }
        }

        int wake[2];
        if (::pipe2(wake, O_NONBLOCK | O_CLOEXEC) == 0) {
            m_wakeRead = wake[0];
            m_wakeWrite = wake[1];
            m_receiver = std::thread(&UdpEndpoint::receiveLoop, this);
        }
    }
    report(failures);
}

void UdpEndpoint::bindInterfaceSockets()
{
    const std::vector<Ipv4Address> addresses = m_addresses();
    changeTable([&](std::vector<std::string>& failures) {
        closeTableLocked();
        if (m_stop) {
            return; // closed for good: nothing may be left open
        }
        const std::size_t count = std::min(addresses.size(), kMaxInterfaceSockets);
        for (std::size_t i = 0; i < count; ++i) {
            const Ipv4Address a = addresses[i];
            const bool taken = std::any_of(m_ifSockets.begin(), m_ifSockets.begin() + static_cast<std::ptrdiff_t>(i),
                                           [a](const InterfaceSocket& e) { return e.bound && e.address == a; });
            if (taken) {
                failures.emplace_back("已经绑定过此IP,无需再次绑定");
                continue;
            }
            InterfaceSocket& entry = m_ifSockets[i];
            entry.socket = openUdpSocket();
            if (entry.socket == kNoSocket) {
                failures.emplace_back("套接字创建失败");
                continue;
            }
            // An entry that is given up closes its socket at once: nothing would ever use it.
            if (!setSocketFlag(entry.socket, SO_BROADCAST)) {
                failures.emplace_back("设置socket规则失败");
                closeSocket(entry.socket);
                continue;
            }
            if (!setSocketFlag(entry.socket, SO_REUSEADDR)) {
                failures.emplace_back("设置socket规则失败2");
                closeSocket(entry.socket);
                continue;
            }
            entry.address = a;
            if (!bindSocket(entry.socket, a, m_port)) {
                failures.emplace_back("绑定SOCKET出错");
                closeSocket(entry.socket);
                continue;
            }
            // Units that answer the sender's address reach this socket, not the main one.
            enlargeReceiveBuffer(entry.socket);
            enableReceiveTimestamps(entry.socket);
            entry.bound = true;
        }
    });
}

void UdpEndpoint::sendToAll(ByteView datagram)
{
    int failed = 0;
    {
        std::lock_guard lock(m_mutex);
        const sockaddr_in to = socketAddress(m_broadcastAddress, m_port);
        for (const InterfaceSocket& entry : m_ifSockets) {
            if (entry.bound && !sendDatagram(entry.socket, datagram, to)) {
                ++failed;
            }
        }
    }
    report(std::vector<std::string>(static_cast<std::size_t>(failed), "端口被占用"));
}

void UdpEndpoint::closeInterfaceSockets()
{
    changeTable([this](std::vector<std::string>&) { closeTableLocked(); });
}

void UdpEndpoint::close()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_stop) {
            return;
        }
        m_stop = true;
        wake();
    }
    m_changed.notify_all();
    if (m_receiver.joinable()) {
        m_receiver.join();
    }
    std::lock_guard lock(m_mutex);
    closeTableLocked();
    closeSocket(m_mainSocket);
    closeSocket(m_wakeRead);
    closeSocket(m_wakeWrite);
}

std::string UdpEndpoint::firstLocalAddress() const
{
    const std::vector<Ipv4Address> addresses = m_addresses();
    return addresses.empty() ? std::string() : FormatIpv4(addresses.front());
}

std::uint16_t UdpEndpoint::port() const
{
    std::lock_guard lock(m_mutex);
    return m_port;
}

std::vector<Ipv4Address> UdpEndpoint::boundAddresses() const
{
    std::lock_guard lock(m_mutex);
    std::vector<Ipv4Address> bound;
    for (const InterfaceSocket& entry : m_ifSockets) {
        if (entry.bound) {
            bound.push_back(entry.address);
        }
    }
    return bound;
}

void UdpEndpoint::changeTable(const std::function<void(std::vector<std::string>&)>& change)
{
    std::vector<std::string> failures;
    {
        std::unique_lock lock(m_mutex);
        ++m_changesWaiting;
        wake();
        m_changed.wait(lock, [this] { return !m_receiverBusy; });
        change(failures);
        --m_changesWaiting;
    }
    m_changed.notify_all();
    report(failures);
}

void UdpEndpoint::closeTableLocked()
{
    for (InterfaceSocket& entry : m_ifSockets) {
        closeSocket(entry.socket);
        entry = InterfaceSocket{};
    }
}

void UdpEndpoint::wake()
{
    if (m_wakeWrite != kNoSocket) {
        const char byte = 1;
        // A full pipe already wakes the thread; nothing is lost when this write fails.
        [[maybe_unused]] ssize_t n = ::write(m_wakeWrite, &byte, 1);
    }
}

void UdpEndpoint::report(const std::vector<std::string>& failures) const
{
    if (!m_onFailure) {
        return;
    }
    for (const std::string& text : failures) {
        m_onFailure(text);
    }
}

void UdpEndpoint::receiveLoop()
{
    std::vector<pollfd> watched;
    std::vector<Datagram> arrived;
    // One byte more than the largest datagram handed over; MSG_TRUNC reports the true length of
    // longer ones, which are dropped whole.
    std::array<std::uint8_t, kMaxDatagram + 1> buffer{};
    alignas(cmsghdr) std::array<char, CMSG_SPACE(sizeof(timespec))> control{};

    for (;;) {
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_stop || m_changesWaiting == 0; });
            if (m_stop) {
                return;
            }
            watched.clear();
            watched.push_back({m_wakeRead, POLLIN, 0});
            if (m_mainSocket != kNoSocket) {
                watched.push_back({m_mainSocket, POLLIN, 0});
            }
            for (const InterfaceSocket& entry : m_ifSockets) {
                if (entry.bound) {
                    watched.push_back({entry.socket, POLLIN, 0});
                }
            }
            m_receiverBusy = true;
        }

        // The sockets stay open while m_receiverBusy is set: a table change waits for it.
        arrived.clear();
        if (::poll(watched.data(), watched.size(), -1) > 0) {
            if (watched[0].revents != 0) {
                char drain[64];
                while (::read(m_wakeRead, drain, sizeof drain) > 0) {
                }
            }
            for (std::size_t i = 1; i < watched.size(); ++i) {
                if ((watched[i].revents & (POLLIN | POLLERR)) == 0) {
                    continue;
                }
                for (int reads = 0; reads < kMaxReadsPerSocket; ++reads) {
                    iovec iov{buffer.data(), buffer.size()};
                    msghdr msg{};
                    msg.msg_iov = &iov;
                    msg.msg_iovlen = 1;
                    msg.msg_control = control.data();
                    msg.msg_controllen = control.size();
                    const ssize_t n = ::recvmsg(watched[i].fd, &msg, MSG_DONTWAIT | MSG_TRUNC);
                    if (n < 0) {
                        if (errno == EINTR) {
                            continue;
                        }
                        break; // drained, or an error that this read has consumed
                    }
                    const auto length = static_cast<std::size_t>(n);
                    if (length == 0 || length > kMaxDatagram || (msg.msg_flags & MSG_TRUNC) != 0) {
                        continue;
                    }
                    arrived.push_back(Datagram{arrivalTime(msg), Bytes(buffer.begin(), buffer.begin() + n)});
                }
            }
        }

        {
            std::lock_guard lock(m_mutex);
            m_receiverBusy = false;
        }
        m_changed.notify_all();

        std::stable_sort(arrived.begin(), arrived.end(),
                         [](const Datagram& a, const Datagram& b) { return arrivedEarlier(a.arrival, b.arrival); });
        if (m_onDatagram) {
            for (Datagram& d : arrived) {
                m_onDatagram(std::move(d.bytes));
            }
        }
    }
}

} // namespace rv
