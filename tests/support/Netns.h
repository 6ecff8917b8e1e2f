// SPDX-License-Identifier: MIT
#pragma once

// Network namespaces for tests and benchmarks that put real broadcasts on a wire: a PC and one or
// more units, each in a namespace of its own, joined by veth pairs to a bridge in a hub
// namespace, so that they share one L2 segment as on a LAN. Nothing is ever sent outside the
// namespaces a lab made, and everything it made is removed when it is destroyed, also when a test
// fails. Namespaces left behind by a process that crashed are removed by the next lab.
//
// The unit simulator runs in its namespace as a child process (`ip netns exec`); the tool's side
// runs in-process, on a thread that has entered the PC's namespace before creating its sockets
// (a socket stays in the namespace it was created in, whichever thread uses it later).
//
// Needs root (CAP_SYS_ADMIN and CAP_NET_ADMIN) and the `ip` command; NetnsUnavailable() says why
// a lab cannot be made, and callers skip then.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <thread>
#include <vector>

namespace rv::test {

// Why network namespaces cannot be made here, or nothing when they can. Probes once per process.
std::optional<std::string> NetnsUnavailable();

// Runs argv (argv[0] is looked up in PATH) and waits; output collects its stdout and stderr.
// Returns the exit status, or -1 when it could not run or was killed.
int RunCommand(const std::vector<std::string>& argv, std::string* output = nullptr);

class NetnsLab
{
public:
    // Makes the hub namespace with its bridge. ok() tells whether that worked.
    NetnsLab();
    // Stops the simulators still running in the lab's namespaces, deletes every namespace (and
    // with them every veth end) and the lab's temporary directory.
    ~NetnsLab();
    NetnsLab(const NetnsLab&) = delete;
    NetnsLab& operator=(const NetnsLab&) = delete;

    bool ok() const { return m_error.empty(); }
    const std::string& error() const { return m_error; }

    // A new namespace with its loopback up; label only makes the name readable. Returns the
    // namespace's name, or an empty string (and ok() false) on failure.
    std::string addNamespace(std::string_view label);

    // A veth pair from namespace ns to the bridge: interface ifname inside ns, up, with cidr
    // ("10.77.0.1/24"). With defaultRoute the namespace also routes everything out of ifname, so
    // that a socket on the wildcard address can answer by broadcast.
    bool connect(const std::string& ns, const std::string& ifname, const std::string& cidr, bool defaultRoute = false);

    // A path in the lab's own temporary directory.
    std::string tempPath(std::string_view fileName) const;

private:
    bool run(const std::vector<std::string>& argv);

    std::string m_hub;
    std::vector<std::string> m_namespaces; // the hub first
    std::string m_tempDir;
    int m_veths = 0;
    std::string m_error;
};

// Puts the calling thread into a namespace until destroyed. Threads started meanwhile stay in it
// for good, sockets created meanwhile belong to it.
class NetnsScope
{
public:
    explicit NetnsScope(const std::string& ns);
    ~NetnsScope();
    NetnsScope(const NetnsScope&) = delete;
    NetnsScope& operator=(const NetnsScope&) = delete;

    bool ok() const { return m_error.empty(); }
    const std::string& error() const { return m_error; }

private:
    int m_previous = -1;
    std::string m_error;
};

// A program running in a namespace as a child process, with its standard output and error read
// continuously (so that a talkative program never blocks on a full pipe) and kept.
class NetnsProcess
{
public:
    using Clock = std::chrono::steady_clock;

    // Starts `ip netns exec ns program args...`. `ip` replaces itself by the program, so pid() is
    // the program's own.
    NetnsProcess(const std::string& ns, const std::string& program, const std::vector<std::string>& args);
    // stop()
    ~NetnsProcess();
    NetnsProcess(const NetnsProcess&) = delete;
    NetnsProcess& operator=(const NetnsProcess&) = delete;

    bool started() const { return m_pid > 0; }
    pid_t pid() const { return m_pid; }

    // Waits until the output holds text (or the program ended, or the time-out passed).
    bool waitForOutput(std::string_view text, Clock::duration timeout);
    // Waits until pred(output) holds, tested after each piece of output.
    bool waitUntil(const std::function<bool(const std::string&)>& pred, Clock::duration timeout);
    std::string output() const;

    // Sends SIGTERM (SIGKILL after a grace time) and waits for the end. Returns the exit status,
    // -1 when it was killed by a signal or never started. Idempotent.
    int stop(Clock::duration grace = std::chrono::seconds(5));

private:
    void readOutput(int fd);

    pid_t m_pid = -1;
    int m_status = -1;
    bool m_stopped = false;
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    std::string m_output;
    bool m_eof = false;
    std::thread m_reader;
};

} // namespace rv::test
