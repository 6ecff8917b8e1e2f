// SPDX-License-Identifier: MIT
#include "support/Netns.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <linux/if.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <poll.h>
#include <sched.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace rv::test {

namespace {

namespace fs = std::filesystem;

// Every namespace a lab makes is called rvt-<pid>-<n>-<label>: unique among the test processes
// running at once, and recognisable as ours when a crashed process left it behind.
constexpr std::string_view kPrefix = "rvt-";
const fs::path kNetnsDir = "/run/netns";

std::atomic<unsigned> g_nextId{0};

std::string uniqueName(std::string_view label)
{
    return std::string(kPrefix) + std::to_string(::getpid()) + '-' + std::to_string(g_nextId++) + '-' +
           std::string(label);
}

// Starts argv with stdout and stderr on outFd (or inherited when outFd is -1). Returns the pid.
pid_t spawn(const std::vector<std::string>& argv, int outFd)
{
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (outFd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, outFd, STDERR_FILENO);
    }
    pid_t pid = -1;
    if (::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) {
        pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

int exitStatus(int status)
{
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int waitForChild(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    return exitStatus(status);
}

// Kills what still runs in one of our namespaces (a simulator whose test failed before stopping
// it): the namespace cannot go away while a process holds it.
void killProcessesIn(const std::string& ns)
{
    std::string pids;
    if (RunCommand({"ip", "netns", "pids", ns}, &pids) != 0) {
        return;
    }
    std::istringstream in(pids);
    for (long pid = 0; in >> pid;) {
        if (pid > 1 && pid != ::getpid()) {
            ::kill(static_cast<pid_t>(pid), SIGKILL);
        }
    }
}

// Namespaces of earlier test processes that died without cleaning up.
void removeStaleNamespaces()
{
    static std::once_flag once;
    std::call_once(once, [] {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(kNetnsDir, ec)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind(kPrefix, 0) != 0) {
                continue;
            }
            const long owner = std::strtol(name.c_str() + kPrefix.size(), nullptr, 10);
            if (owner <= 0 || ::kill(static_cast<pid_t>(owner), 0) == 0 || errno != ESRCH) {
                continue;
            }
            killProcessesIn(name);
            RunCommand({"ip", "netns", "del", name});
        }
    });
}

// The netlink macros are C casts.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wold-style-cast"

// A veth end carries traffic only once the kernel's link watcher has seen its carrier: until
// then its queue drops every frame and a bridge port stays disabled, and the watcher may take up
// to a second. Waits, on a route netlink socket, until ifname in ns is operationally up.
bool waitUntilOperUp(const std::string& ns, const std::string& ifname, std::chrono::milliseconds timeout)
{
    int fd = -1;
    {
        NetnsScope scope(ns);
        if (!scope.ok()) {
            return false;
        }
        fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
    }
    if (fd < 0) {
        return false;
    }
    sockaddr_nl local{};
    local.nl_family = AF_NETLINK;
    local.nl_groups = RTMGRP_LINK; // every later change of a link arrives as RTM_NEWLINK
    struct
    {
        nlmsghdr header;
        ifinfomsg info;
    } request{};
    request.header.nlmsg_len = sizeof request;
    request.header.nlmsg_type = RTM_GETLINK;
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.info.ifi_family = AF_UNSPEC;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
        ::send(fd, &request, sizeof request, 0) < 0) {
        ::close(fd);
        return false;
    }

    const auto deadline = std::chrono::steady_clock::now() + timeout;
    alignas(nlmsghdr) char buffer[32768];
    bool up = false;
    while (!up) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd p{fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) {
            break;
        }
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            break;
        }
        auto length = static_cast<unsigned>(n);
        for (auto* h = reinterpret_cast<nlmsghdr*>(buffer); NLMSG_OK(h, length); h = NLMSG_NEXT(h, length)) {
            if (h->nlmsg_type != RTM_NEWLINK) {
                continue;
            }
            auto* info = static_cast<ifinfomsg*>(NLMSG_DATA(h));
            std::string name;
            int operState = -1;
            auto attrLength = static_cast<unsigned>(IFLA_PAYLOAD(h));
            for (auto* a = IFLA_RTA(info); RTA_OK(a, attrLength); a = RTA_NEXT(a, attrLength)) {
                if (a->rta_type == IFLA_IFNAME) {
                    name = static_cast<const char*>(RTA_DATA(a));
                } else if (a->rta_type == IFLA_OPERSTATE) {
                    operState = *static_cast<const unsigned char*>(RTA_DATA(a));
                }
            }
            if (name == ifname && operState == IF_OPER_UP) {
                up = true;
            }
        }
    }
    ::close(fd);
    return up;
}

#pragma GCC diagnostic pop
} // namespace

int RunCommand(const std::vector<std::string>& argv, std::string* output)
{
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        return -1;
    }
    const pid_t pid = spawn(argv, pipeFds[1]);
    ::close(pipeFds[1]);
    if (pid < 0) {
        ::close(pipeFds[0]);
        if (output != nullptr) {
            *output = "cannot run " + argv.front();
        }
        return -1;
    }
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
        if (n > 0) {
            text.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    ::close(pipeFds[0]);
    if (output != nullptr) {
        *output = std::move(text);
    }
    return waitForChild(pid);
}

std::optional<std::string> NetnsUnavailable()
{
    static const std::optional<std::string> reason = []() -> std::optional<std::string> {
        if (::geteuid() != 0) {
            return "network namespaces need root (CAP_SYS_ADMIN); run as root to include these";
        }
        const std::string probe = uniqueName("probe");
        std::string output;
        if (RunCommand({"ip", "netns", "add", probe}, &output) != 0) {
            return "cannot create a network namespace with `ip netns add`: " + output;
        }
        RunCommand({"ip", "netns", "del", probe});
        return std::nullopt;
    }();
    return reason;
}

// ---- NetnsLab ----

NetnsLab::NetnsLab()
{
    if (auto why = NetnsUnavailable()) {
        m_error = *why;
        return;
    }
    removeStaleNamespaces();

    char dir[] = "/tmp/rvt-lab-XXXXXX";
    if (::mkdtemp(dir) == nullptr) {
        m_error = "cannot make a temporary directory";
        return;
    }
    m_tempDir = dir;

    m_hub = addNamespace("hub");
    if (m_hub.empty()) {
        return;
    }
    // Forward delay and STP off: a port forwards as soon as it is up.
    if (!run({"ip", "-n", m_hub, "link", "add", "br0", "type", "bridge", "stp_state", "0", "forward_delay", "0"}) ||
        !run({"ip", "-n", m_hub, "link", "set", "br0", "up"})) {
        return;
    }
}

NetnsLab::~NetnsLab()
{
    // Units first, the hub last: each veth pair goes with whichever end goes first.
    for (auto it = m_namespaces.rbegin(); it != m_namespaces.rend(); ++it) {
        killProcessesIn(*it);
        RunCommand({"ip", "netns", "del", *it});
    }
    if (!m_tempDir.empty()) {
        std::error_code ec;
        fs::remove_all(m_tempDir, ec);
    }
}

std::string NetnsLab::addNamespace(std::string_view label)
{
    const std::string name = uniqueName(label);
    if (!run({"ip", "netns", "add", name})) {
        return {};
    }
    m_namespaces.push_back(name);
    if (!run({"ip", "-n", name, "link", "set", "lo", "up"})) {
        return {};
    }
    return name;
}

bool NetnsLab::connect(const std::string& ns, const std::string& ifname, const std::string& cidr, bool defaultRoute)
{
    if (m_hub.empty()) {
        return false;
    }
    // The pair is made inside the hub, so the host's own namespace never sees either end.
    const std::string port = "p" + std::to_string(m_veths++);
    if (!run({"ip", "-n", m_hub, "link", "add", port, "type", "veth", "peer", "name", ifname, "netns", ns}) ||
        !run({"ip", "-n", m_hub, "link", "set", port, "master", "br0", "up"}) ||
        !run({"ip", "-n", ns, "addr", "add", cidr, "dev", ifname}) ||
        !run({"ip", "-n", ns, "link", "set", ifname, "up"}) ||
        (defaultRoute && !run({"ip", "-n", ns, "route", "add", "default", "dev", ifname}))) {
        return false;
    }
    for (const auto& [where, name] : {std::pair{m_hub, port}, std::pair{ns, ifname}}) {
        if (!waitUntilOperUp(where, name, std::chrono::seconds(10))) {
            m_error = name + " in " + where + " did not come up";
            return false;
        }
    }
    return true;
}

std::string NetnsLab::tempPath(std::string_view fileName) const
{
    return (fs::path(m_tempDir) / fileName).string();
}

bool NetnsLab::run(const std::vector<std::string>& argv)
{
    std::string output;
    if (RunCommand(argv, &output) == 0) {
        return true;
    }
    std::string command;
    for (const std::string& a : argv) {
        command += (command.empty() ? "" : " ") + a;
    }
    if (m_error.empty()) {
        m_error = command + ": " + output;
    }
    return false;
}

// ---- NetnsScope ----

NetnsScope::NetnsScope(const std::string& ns)
{
    m_previous = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    const int target = ::open((kNetnsDir / ns).c_str(), O_RDONLY | O_CLOEXEC);
    if (m_previous < 0 || target < 0) {
        m_error = "cannot open the namespace " + ns;
    } else if (::setns(target, CLONE_NEWNET) != 0) {
        m_error = std::string("setns: ") + std::strerror(errno);
    }
    if (target >= 0) {
        ::close(target);
    }
}

NetnsScope::~NetnsScope()
{
    if (m_previous >= 0) {
        ::setns(m_previous, CLONE_NEWNET);
        ::close(m_previous);
    }
}

// ---- NetnsProcess ----

NetnsProcess::NetnsProcess(const std::string& ns, const std::string& program, const std::vector<std::string>& args)
{
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        return;
    }
    std::vector<std::string> argv{"ip", "netns", "exec", ns, program};
    argv.insert(argv.end(), args.begin(), args.end());
    m_pid = spawn(argv, pipeFds[1]);
    ::close(pipeFds[1]);
    if (m_pid < 0) {
        ::close(pipeFds[0]);
        return;
    }
    m_reader = std::thread(&NetnsProcess::readOutput, this, pipeFds[0]);
}

NetnsProcess::~NetnsProcess()
{
    stop();
}

void NetnsProcess::readOutput(int fd)
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        std::lock_guard lock(m_mutex);
        if (n <= 0) {
            m_eof = true;
            m_cv.notify_all();
            break;
        }
        m_output.append(buffer, static_cast<std::size_t>(n));
        m_cv.notify_all();
    }
    ::close(fd);
}

bool NetnsProcess::waitForOutput(std::string_view text, Clock::duration timeout)
{
    return waitUntil([text](const std::string& out) { return out.find(text) != std::string::npos; }, timeout);
}

bool NetnsProcess::waitUntil(const std::function<bool(const std::string&)>& pred, Clock::duration timeout)
{
    std::unique_lock lock(m_mutex);
    m_cv.wait_for(lock, timeout, [&] { return m_eof || pred(m_output); });
    return pred(m_output);
}

std::string NetnsProcess::output() const
{
    std::lock_guard lock(m_mutex);
    return m_output;
}

int NetnsProcess::stop(Clock::duration grace)
{
    if (m_stopped || m_pid <= 0) {
        return m_status;
    }
    m_stopped = true;
    ::kill(m_pid, SIGTERM);
    // The program's output ends when it does; wait for that on the pipe, not by polling.
    {
        std::unique_lock lock(m_mutex);
        if (!m_cv.wait_for(lock, grace, [this] { return m_eof; })) {
            ::kill(m_pid, SIGKILL);
        }
    }
    m_status = waitForChild(m_pid);
    if (m_reader.joinable()) {
        m_reader.join();
    }
    return m_status;
}

} // namespace rv::test
