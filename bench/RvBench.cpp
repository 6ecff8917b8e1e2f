// SPDX-License-Identifier: MIT
// Figures of the session with the real UDP endpoint against rvunit-sim, each in a network
// namespace of its own on one bridged segment (as the end-to-end tests set them up):
//
//   read    a full read of every set of one unit that answers at once (75 records)
//   search  one search answered by many units at once (1000 by default)
//   idle    the CPU time of a session that has nothing to do
//
// Prints figures only; it judges nothing. Needs root for the namespaces; without them the read
// and search figures are skipped with a message and the idle figure is taken on loopback.

#include "net/EventQueue.h"
#include "net/Session.h"
#include "net/UdpEndpoint.h"
#include "protocol/TextConv.h"
#include "sim/SimUnit.h"
#include "support/Netns.h"
#include "support/RecordingView.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using rv::test::NetnsLab;
using rv::test::NetnsProcess;
using rv::test::NetnsScope;

constexpr auto kSafetyNet = 30s;
constexpr std::size_t kRecordsPerFullRead = 1 + 1 + rv::kChannelCount + rv::kRelayCount + rv::kModbusSlotCount + 1;

struct Settings
{
    std::string what = "all";
    int rounds = 20;
    int units = 1000;
    int idleSeconds = 30;
};

double cpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

struct Stats
{
    double min = 0, median = 0, max = 0;
};

Stats statsOf(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? Stats{} : Stats{v.front(), v[v.size() / 2], v.back()};
}

// One PC namespace and one unit namespace running rvunit-sim with the given options, and the
// session with the real endpoint on this thread, inside the PC's namespace.
class Bench
{
public:
    explicit Bench(const std::vector<std::string>& simOptions)
    {
        if (!m_lab.ok()) {
            m_error = m_lab.error();
            return;
        }
        m_pc = m_lab.addNamespace("pc");
        const std::string unitNs = m_lab.addNamespace("units");
        if (m_pc.empty() || unitNs.empty() || !m_lab.connect(m_pc, "eth0", "10.77.0.1/24") ||
            !m_lab.connect(unitNs, "eth0", "10.77.0.11/24", true)) {
            m_error = m_lab.error();
            return;
        }
        m_sim = std::make_unique<NetnsProcess>(unitNs, RV_SIM_PATH, simOptions);
        if (!m_sim->waitForOutput("replies to", kSafetyNet)) {
            m_error = "rvunit-sim did not start: " + m_sim->output();
            return;
        }
        m_scope = std::make_unique<NetnsScope>(m_pc);
        if (!m_scope->ok()) {
            m_error = m_scope->error();
            return;
        }
        session = std::make_unique<rv::Session>(view, std::make_unique<rv::UdpEndpoint>());
        session->start();
    }

    ~Bench()
    {
        session.reset();
        m_scope.reset();
        if (m_sim) {
            m_sim->stop();
        }
    }

    bool ok() const { return m_error.empty(); }
    const std::string& error() const { return m_error; }

    bool runUntil(const std::function<bool()>& pred) { return queue.runUntil(pred, kSafetyNet); }

    // Search, select the first unit, wait for its network settings.
    bool selectFirstUnit(const rv::MacAddress& mac)
    {
        session->OnSearch();
        if (!runUntil([&] { return !view.deviceRows.empty(); })) {
            return false;
        }
        session->OnDblclkDeviceList(rv::FormatMacPlain(mac));
        return runUntil([&] { return session->m_bUnitSelected != 0; });
    }

    rv::EventQueue queue;
    rv::test::RecordingView view{queue};
    std::unique_ptr<rv::Session> session;

private:
    NetnsLab m_lab;
    std::string m_pc;
    std::unique_ptr<NetnsProcess> m_sim;
    std::unique_ptr<NetnsScope> m_scope;
    std::string m_error;
};

bool benchFullRead(const Settings& s)
{
    std::printf("== read: every set of one unit (%zu records), %d rounds ==\n", kRecordsPerFullRead, s.rounds);
    Bench b({"--units", "1", "--reply-to", "sender"});
    if (!b.ok()) {
        std::printf("cannot set up: %s\n", b.error().c_str());
        return false;
    }
    if (!b.selectFirstUnit(rv::sim::FactoryMac(1))) {
        std::printf("the unit did not answer\n");
        return false;
    }
    rv::Session& session = *b.session;

    std::vector<double> wall;
    std::vector<double> cpu;
    for (int round = 0; round < s.rounds; ++round) {
        session.m_bBaseRead = 0;
        session.m_bGprsRead = 0;
        session.m_bLedRead = 0;
        session.m_bChannelRead = 0;
        b.view.reset();
        const auto progressShown = [&](const char* text) { return [&b, text] { return b.view.hasProgress(text); }; };

        const auto t0 = Clock::now();
        const double c0 = cpuSeconds();
        bool ok = session.readBase() && b.runUntil([&] { return session.m_bBaseRead != 0; });
        ok = ok && session.readGprs() && b.runUntil([&] { return session.m_bGprsRead != 0; });
        ok = ok && session.readLed() && b.runUntil([&] { return session.m_bLedRead != 0; });
        ok = ok && session.armBatch(rv::BatchKind::ChannelRead) && b.runUntil(progressShown("---通道参数读取成功!---"));
        ok = ok && session.armBatch(rv::BatchKind::RelayRead) && b.runUntil(progressShown("---继电器参数读取成功!---"));
        ok = ok && session.armBatch(rv::BatchKind::SlotRead) && b.runUntil(progressShown("---ModBus参数读取成功!---"));
        const double c1 = cpuSeconds();
        const auto t1 = Clock::now();
        if (!ok) {
            std::printf("round %d: a set was not read completely\n", round + 1);
            return false;
        }
        wall.push_back(ms(t1 - t0));
        cpu.push_back((c1 - c0) * 1000.0);
    }
    const Stats w = statsOf(wall);
    const Stats c = statsOf(cpu);
    const double records = static_cast<double>(kRecordsPerFullRead);
    std::printf("total time           min %.1f ms, median %.1f ms, max %.1f ms\n", w.min, w.median, w.max);
    std::printf("  per record         median %.3f ms (includes the 1 ms pause after each of the 32 channel "
                "records)\n",
                w.median / records);
    std::printf("tool CPU time        min %.2f ms, median %.2f ms, max %.2f ms per full read\n", c.min, c.median,
                c.max);
    std::printf("  per record         median %.4f ms (goal < 0.5 ms)\n", c.median / records);
    return true;
}

bool benchSearch(const Settings& s, const char* replyTo)
{
    const int rounds = std::max(1, s.rounds / 4);
    std::printf("== search: %d units answering by %s, %d rounds ==\n", s.units,
                std::string_view(replyTo) == "sender" ? "unicast to the sender" : "broadcast", rounds);
    Bench b({"--units", std::to_string(s.units), "--reply-to", replyTo});
    if (!b.ok()) {
        std::printf("cannot set up: %s\n", b.error().c_str());
        return false;
    }
    const auto expected = static_cast<std::size_t>(s.units);
    std::vector<double> lastRow;
    std::size_t worstLost = 0;
    for (int round = 0; round < rounds; ++round) {
        b.view.reset();
        std::size_t seen = 0;
        Clock::time_point last{};
        const auto t0 = Clock::now();
        b.session->OnSearch();
        // Wait until every row is in, or until no row has come for a second.
        const auto track = [&] {
            if (b.view.deviceRows.size() != seen) {
                seen = b.view.deviceRows.size();
                last = Clock::now();
            }
            return seen >= expected;
        };
        for (;;) {
            if (b.queue.runUntil(track, std::max(last, t0) + 1s) || std::max(last, t0) + 1s <= Clock::now()) {
                break;
            }
        }
        std::set<rv::MacAddress> macs;
        for (const rv::DeviceRecord& d : b.view.deviceRows) {
            macs.insert(d.mac);
        }
        const std::size_t lost = expected - std::min(expected, macs.size());
        worstLost = std::max(worstLost, lost);
        lastRow.push_back(seen == 0 ? 0.0 : ms(last - t0));
        std::printf("round %d: rows %zu, distinct units %zu, lost %zu, last row after %.1f ms\n", round + 1, seen,
                    macs.size(), lost, lastRow.back());
    }
    const Stats l = statsOf(lastRow);
    std::printf("time to the last row min %.1f ms, median %.1f ms, max %.1f ms (goal: all within 1 s)\n", l.min,
                l.median, l.max);
    std::printf("rows lost            at most %zu of %d\n", worstLost, s.units);
    return true;
}

bool benchIdle(const Settings& s)
{
    std::printf("== idle: CPU time of a session with nothing to do, %d s ==\n", s.idleSeconds);
    std::unique_ptr<Bench> lab;
    rv::EventQueue loopbackQueue;
    rv::test::RecordingView loopbackView{loopbackQueue};
    std::unique_ptr<rv::Session> loopbackSession;
    rv::EventQueue* queue = nullptr;

    if (!rv::test::NetnsUnavailable()) {
        lab = std::make_unique<Bench>(std::vector<std::string>{"--units", "1"});
        if (!lab->ok() || !lab->selectFirstUnit(rv::sim::FactoryMac(1))) {
            std::printf("cannot set up: %s\n", lab->error().c_str());
            return false;
        }
        queue = &lab->queue;
        std::printf("(in namespaces, after a search and a selection)\n");
    } else {
        // Loopback only: the port is chosen by the system, requests go to 127.0.0.1.
        loopbackSession = std::make_unique<rv::Session>(
            loopbackView,
            std::make_unique<rv::UdpEndpoint>(0, 0x7F000001, [] { return std::vector<rv::Ipv4Address>{0x7F000001}; }));
        loopbackSession->start();
        loopbackSession->OnSearch();
        loopbackQueue.runFor(100ms);
        queue = &loopbackQueue;
        std::printf("(on loopback: %s)\n", rv::test::NetnsUnavailable()->c_str());
    }

    const auto t0 = Clock::now();
    const double c0 = cpuSeconds();
    queue->runFor(std::chrono::seconds(s.idleSeconds));
    const double c1 = cpuSeconds();
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    std::printf("CPU time             %.3f ms in %.1f s = %.4f %% of one core (goal < 0.1 %%)\n", (c1 - c0) * 1000.0,
                wall, (c1 - c0) / wall * 100.0);
    return true;
}

int usage()
{
    std::printf("usage: rv_bench [all|read|search|idle] [--rounds N] [--units N] [--idle-seconds S]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    Settings s;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const auto value = [&]() -> int { return i + 1 < argc ? std::atoi(argv[++i]) : 0; };
        if (arg == "all" || arg == "read" || arg == "search" || arg == "idle") {
            s.what = arg;
        } else if (arg == "--rounds") {
            s.rounds = value();
        } else if (arg == "--units") {
            s.units = value();
        } else if (arg == "--idle-seconds") {
            s.idleSeconds = value();
        } else {
            return usage();
        }
    }
    if (s.rounds < 1 || s.units < 1 || s.idleSeconds < 1) {
        return usage();
    }

    const auto unavailable = rv::test::NetnsUnavailable();
    if (unavailable) {
        std::printf("network namespaces unavailable (%s): read and search figures skipped\n", unavailable->c_str());
    }
    bool ok = true;
    if (!unavailable && (s.what == "all" || s.what == "read")) {
        ok = benchFullRead(s) && ok;
    }
    if (!unavailable && (s.what == "all" || s.what == "search")) {
        ok = benchSearch(s, "sender") && ok;
        ok = benchSearch(s, "broadcast") && ok;
    }
    if (s.what == "all" || s.what == "idle") {
        ok = benchIdle(s) && ok;
    }
    return ok ? 0 : 1;
}
