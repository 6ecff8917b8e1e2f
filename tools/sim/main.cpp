// SPDX-License-Identifier: MIT
// rvunit-sim: any number of simulated monitoring hosts answering on one UDP port, as peers for
// the configuration tool's tests, benchmarks and demos.
//
// One socket bound to the wildcard address (or --bind) receives every request; the simulator
// works out which units it concerns and the replies go back to the sender or as broadcasts.
// The loop blocks in poll() on the socket, a signalfd and the deadline of the next delayed reply,
// so an idle simulator uses no CPU and a delay never holds up other units.

#include "protocol/TextConv.h"
#include "sim/StateFile.h"
#include "sim/UnitSimulator.h"

#include <CLI/CLI.hpp>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <iostream>
#include <mutex>
#include <optional>
#include <queue>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using rv::sim::SimUnit;

struct Settings
{
    int port = rv::kUnitPort;
    std::string bindAddress = "0.0.0.0";
    unsigned units = 1;
    std::string namePrefix;
    int unitVersion = 1000;
    int replyCommand = 10;
    std::string replyTo = "sender";
    std::string broadcastAddress = "255.255.255.255";
    double drop = 0.0;
    std::vector<int> neverAnswer;
    int delayMs = 0;
    bool corruptCheck = false;
    std::string stateFile;
    std::string loadFile;
    std::uint64_t seed = 1;
    bool verbose = false;
};

// Writes the state file on a thread of its own, so that serialising a thousand units never holds
// up a reply. Only the newest snapshot is written; older ones that were not written yet are
// superseded.
class StateSaver
{
public:
    explicit StateSaver(std::string path) : m_path(std::move(path)), m_thread([this] { run(); }) {}

    ~StateSaver() { finish(); }

    StateSaver(const StateSaver&) = delete;
    StateSaver& operator=(const StateSaver&) = delete;

    void submit(std::vector<SimUnit> snapshot)
    {
        {
            std::lock_guard lock(m_mutex);
            m_pending = std::move(snapshot);
        }
        m_wake.notify_one();
    }

    // Writes what is still pending, stops the thread and tells whether the last write succeeded.
    bool finish()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_one();
        if (m_thread.joinable()) {
            m_thread.join();
        }
        return m_lastOk;
    }

private:
    void run()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_stopping || m_pending; });
            if (!m_pending) {
                return; // stopping with nothing left to write
            }
            std::vector<SimUnit> units = std::move(*m_pending);
            m_pending.reset();
            lock.unlock();
            std::string error;
            const bool ok = rv::sim::SaveStateFile(m_path, units, error);
            if (!ok) {
                std::cerr << "rvunit-sim: " << error << '\n';
            }
            lock.lock();
            m_lastOk = ok;
        }
    }

    std::string m_path;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<std::vector<SimUnit>> m_pending;
    bool m_stopping = false;
    bool m_lastOk = true;
    std::thread m_thread; // last: starts once the members above exist
};

struct DelayedReply
{
    Clock::time_point due;
    std::uint64_t sequence; // keeps replies with the same deadline in the order they were made
    sockaddr_in to;
    rv::Bytes datagram;

    bool operator>(const DelayedReply& other) const
    {
        return due != other.due ? due > other.due : sequence > other.sequence;
    }
};

std::string AddressText(const sockaddr_in& a)
{
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &a.sin_addr, text, sizeof text);
    return std::string(text) + ":" + std::to_string(ntohs(a.sin_port));
}

std::optional<sockaddr_in> MakeAddress(const std::string& text, int port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    if (inet_pton(AF_INET, text.c_str(), &a.sin_addr) != 1) {
        return std::nullopt;
    }
    return a;
}

void SetBuffer(int fd, int forceOption, int option, int bytes)
{
    // The forcing variant passes the system's limit but needs privileges; the plain one is capped.
    if (setsockopt(fd, SOL_SOCKET, forceOption, &bytes, sizeof bytes) != 0) {
        setsockopt(fd, SOL_SOCKET, option, &bytes, sizeof bytes);
    }
}

int OpenSocket(const sockaddr_in& bindTo)
{
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        std::cerr << "rvunit-sim: socket: " << std::strerror(errno) << '\n';
        return -1;
    }
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    // A search of a thousand units, or a tool that sends from several interfaces at once, comes
    // in bursts; large buffers keep them whole.
    constexpr int kBufferBytes = 8 * 1024 * 1024;
    SetBuffer(fd, SO_RCVBUFFORCE, SO_RCVBUF, kBufferBytes);
    SetBuffer(fd, SO_SNDBUFFORCE, SO_SNDBUF, kBufferBytes);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&bindTo), sizeof bindTo) != 0) {
        std::cerr << "rvunit-sim: cannot bind " << AddressText(bindTo) << ": " << std::strerror(errno) << '\n';
        close(fd);
        return -1;
    }
    return fd;
}

class Sender
{
public:
    Sender(int fd, bool verbose) : m_fd(fd), m_verbose(verbose) {}

    void send(const sockaddr_in& to, const rv::Bytes& datagram)
    {
        for (;;) {
            const ssize_t n =
                sendto(m_fd, datagram.data(), datagram.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
            if (n >= 0) {
                return;
            }
            if (errno == EINTR) {
                continue;
            }
            // Report each kind of failure once (every time with --verbose): a namespace without a
            // default route refuses every broadcast, which would otherwise flood the terminal.
            if (m_verbose || m_reported.insert(errno).second) {
                std::cerr << "rvunit-sim: send to " << AddressText(to) << ": " << std::strerror(errno);
                if (errno == ENETUNREACH && to.sin_addr.s_addr == htonl(INADDR_BROADCAST)) {
                    std::cerr << " (no default route here: give the subnet's broadcast address with "
                                 "--broadcast-address, or add a default route)";
                }
                std::cerr << '\n';
            }
            return;
        }
    }

private:
    int m_fd;
    bool m_verbose;
    std::set<int> m_reported;
};

int Run(const Settings& s)
{
    // Units: from a state file, or fresh from the factory.
    std::vector<SimUnit> units;
    if (!s.loadFile.empty()) {
        std::string error;
        auto loaded = rv::sim::LoadStateFile(s.loadFile, error);
        if (!loaded) {
            std::cerr << "rvunit-sim: " << error << '\n';
            return 1;
        }
        units = std::move(*loaded);
    } else {
        units.reserve(s.units);
        for (std::uint32_t n = 1; n <= s.units; ++n) {
            units.push_back(rv::sim::MakeFactoryUnit(n, s.namePrefix));
        }
    }

    rv::sim::SimOptions options;
    options.unitVersion = static_cast<std::uint16_t>(s.unitVersion);
    options.replyCommand = static_cast<std::uint8_t>(s.replyCommand);
    options.dropProbability = s.drop;
    for (int code : s.neverAnswer) {
        options.neverAnswer.set(static_cast<std::size_t>(code));
    }
    options.corruptCheck = s.corruptCheck;
    options.seed = s.seed;
    rv::sim::UnitSimulator simulator(std::move(units), options);
    simulator.setDescribing(s.verbose);

    const std::optional<sockaddr_in> bindTo = MakeAddress(s.bindAddress, s.port);
    const std::optional<sockaddr_in> broadcastTo = MakeAddress(s.broadcastAddress, s.port);
    if (!bindTo || !broadcastTo) {
        std::cerr << "rvunit-sim: not an IPv4 address: " << (bindTo ? s.broadcastAddress : s.bindAddress) << '\n';
        return 1;
    }
    const bool toSender = s.replyTo == "sender";

    // SIGINT and SIGTERM arrive through a descriptor that poll() watches; block them before the
    // saver thread starts so that it inherits the mask and never takes them itself.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    const int signalFd = signalfd(-1, &signals, SFD_CLOEXEC);
    if (signalFd < 0) {
        std::cerr << "rvunit-sim: signalfd: " << std::strerror(errno) << '\n';
        return 1;
    }

    const int fd = OpenSocket(*bindTo);
    if (fd < 0) {
        close(signalFd);
        return 1;
    }

    std::optional<StateSaver> saver;
    if (!s.stateFile.empty()) {
        saver.emplace(s.stateFile);
        saver->submit(simulator.units()); // the state we start from
    }

    const auto& all = simulator.units();
    std::cerr << "rvunit-sim: " << all.size() << (all.size() == 1 ? " unit" : " units") << " on "
              << AddressText(*bindTo) << ", MAC " << rv::FormatMacDashed(all.front().mac)
              << (all.size() > 1 ? " .. " + rv::FormatMacDashed(all.back().mac) : std::string()) << ", unit version "
              << s.unitVersion << ", replies to " << (toSender ? std::string("the sender") : AddressText(*broadcastTo))
              << '\n';

    Sender sender(fd, s.verbose);
    std::priority_queue<DelayedReply, std::vector<DelayedReply>, std::greater<>> delayed;
    std::uint64_t sequence = 0;
    const auto delay = std::chrono::milliseconds(s.delayMs);
    bool dirty = false;
    bool stopping = false;
    std::vector<std::uint8_t> buffer(64 * 1024);

    while (!stopping) {
        if (dirty && saver) {
            // Once per burst of requests: the socket is drained when we get here.
            saver->submit(simulator.units());
            dirty = false;
        }

        int timeoutMs = -1;
        if (!delayed.empty()) {
            const auto wait = delayed.top().due - Clock::now();
            // Rounded up, so that we never wake before the deadline and spin.
            timeoutMs = wait <= Clock::duration::zero()
                            ? 0
                            : static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(wait).count());
        }
        pollfd fds[2] = {{fd, POLLIN, 0}, {signalFd, POLLIN, 0}};
        if (poll(fds, 2, timeoutMs) < 0 && errno != EINTR) {
            std::cerr << "rvunit-sim: poll: " << std::strerror(errno) << '\n';
            break;
        }
        if ((fds[1].revents & POLLIN) != 0) {
            signalfd_siginfo info{};
            if (read(signalFd, &info, sizeof info) > 0) {
                std::cerr << "rvunit-sim: " << strsignal(static_cast<int>(info.ssi_signo)) << ", stopping\n";
            }
            stopping = true;
            break;
        }

        if ((fds[0].revents & POLLIN) != 0) {
            // Take what has queued up, but come back to the timers now and then.
            for (int taken = 0; taken < 256; ++taken) {
                sockaddr_in from{};
                socklen_t fromLength = sizeof from;
                const ssize_t n = recvfrom(fd, buffer.data(), buffer.size(), MSG_DONTWAIT | MSG_TRUNC,
                                           reinterpret_cast<sockaddr*>(&from), &fromLength);
                if (n < 0) {
                    break; // EAGAIN: drained
                }
                if (static_cast<std::size_t>(n) > buffer.size()) {
                    continue; // no request is that long
                }
                rv::sim::HandleResult result =
                    simulator.handleDatagram(rv::ByteView(buffer.data(), static_cast<std::size_t>(n)));
                if (s.verbose) {
                    std::cerr << AddressText(from) << " " << result.log << '\n';
                }
                dirty |= result.stateChanged;
                const sockaddr_in& to = toSender ? from : *broadcastTo;
                for (rv::sim::SimReply& reply : result.replies) {
                    if (s.delayMs == 0) {
                        sender.send(to, reply.datagram);
                    } else {
                        delayed.push({Clock::now() + delay, sequence++, to, std::move(reply.datagram)});
                    }
                }
            }
        }

        const auto now = Clock::now();
        while (!delayed.empty() && delayed.top().due <= now) {
            sender.send(delayed.top().to, delayed.top().datagram);
            delayed.pop();
        }
    }

    close(fd);
    close(signalFd);
    if (saver) {
        // The state at exit; it supersedes any snapshot not yet written.
        saver->submit(simulator.units());
        if (!saver->finish()) {
            return 1;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    Settings s;
    CLI::App app{"rvunit-sim: simulated RV-7640-MQD-250 monitoring hosts for trying out the configuration tool.\n"
                 "Every unit answers discovery, network-settings and parameter requests on one UDP port\n"
                 "and keeps its own settings: what the tool writes, it reads back.",
                 "rvunit-sim"};

    app.add_option("--port", s.port, "UDP port to listen on; broadcast replies go to this port too")
        ->type_name("PORT")
        ->check(CLI::Range(1, 65535))
        ->capture_default_str();
    app.add_option("--bind", s.bindAddress, "local IPv4 address to listen on")
        ->type_name("ADDRESS")
        ->capture_default_str();
    auto* unitsOption =
        app.add_option("--units", s.units, "number of simulated units; unit n has MAC 02-3C-7A plus n in 3 bytes")
            ->type_name("N")
            ->check(CLI::Range(1u, rv::sim::kMaxUnits))
            ->capture_default_str();
    auto* nameOption = app.add_option("--name", s.namePrefix,
                                      "unit names: PREFIX followed by the unit number "
                                      "(default: 一号机房监控主机, 二号配电室监控主机, ...)")
                           ->type_name("PREFIX");
    app.add_option("--version", s.unitVersion, "unit version in every parameter reply (the tool accepts 703 to 1099)")
        ->type_name("V")
        ->check(CLI::Range(0, 25599))
        ->capture_default_str();
    app.add_option("--reply-command", s.replyCommand, "host command of parameter replies: 10 or 11")
        ->type_name("CMD")
        ->check(CLI::IsMember({10, 11}))
        ->capture_default_str();
    app.add_option("--reply-to", s.replyTo, "where replies go: sender (the request's source) or broadcast")
        ->type_name("WHERE")
        ->check(CLI::IsMember({"sender", "broadcast"}))
        ->capture_default_str();
    app.add_option("--broadcast-address", s.broadcastAddress, "destination of broadcast replies")
        ->type_name("ADDRESS")
        ->capture_default_str();
    app.add_option("--drop", s.drop, "probability, 0 to 1, that a reply is lost (the request still takes effect)")
        ->type_name("P")
        ->check(CLI::Range(0.0, 1.0))
        ->capture_default_str();
    app.add_option("--never-answer", s.neverAnswer, "parameter sub-commands the units ignore entirely, e.g. 71,5")
        ->type_name("LIST")
        ->delimiter(',')
        ->check(CLI::Range(1, 255));
    app.add_option("--delay", s.delayMs, "milliseconds before each reply is sent, without holding up other replies")
        ->type_name("MS")
        ->check(CLI::Range(0, 600000))
        ->capture_default_str();
    app.add_flag("--corrupt-check", s.corruptCheck, "send parameter replies with a wrong check");
    app.add_option("--state", s.stateFile, "save every unit's state as JSON to FILE after each change and at exit")
        ->type_name("FILE");
    auto* loadOption = app.add_option("--load", s.loadFile, "start from the units in a state FILE (written by --state)")
                           ->type_name("FILE")
                           ->check(CLI::ExistingFile);
    loadOption->excludes(unitsOption);
    loadOption->excludes(nameOption);
    app.add_option("--seed", s.seed, "seed of the random reply losses")->type_name("N")->capture_default_str();
    app.add_flag("-v,--verbose", s.verbose, "one line per request on standard error");
    app.footer("Examples:\n"
               "  rvunit-sim --units 1000\n"
               "  rvunit-sim --port 19999 --bind 127.0.0.1 --units 3 --verbose\n"
               "  rvunit-sim --state units.json            (later: --load units.json --state units.json)\n"
               "  rvunit-sim --drop 0.2 --never-answer 71 --delay 50\n"
               "Stop with Ctrl+C (SIGINT) or SIGTERM; the state file is written before the program ends.");

    CLI11_PARSE(app, argc, argv);
    return Run(s);
}
