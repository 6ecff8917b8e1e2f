// SPDX-License-Identifier: MIT
#pragma once

// Many simulated units behind one UDP port, as a pure state machine: one request datagram in,
// the replies of every unit it concerns out. No sockets and no clock, so tests and benchmarks
// drive it directly; rvunit-sim adds the socket, the reply delay and the state file.
//
// Every unit hears every request, as on a LAN where requests are broadcast. Discovery concerns
// all units; every other request names its unit by the MAC in bytes 4–9 and is ignored by the
// others (several units with the same MAC all act on it).

#include "protocol/ByteIo.h"
#include "sim/SimUnit.h"

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace rv::sim {

struct SimOptions
{
    // Sent in every ParamFrame trailer as the bytes version / 100 and version % 100.
    std::uint16_t unitVersion = 1000;
    // The HostFrame command of ParamFrame replies: 10, or 11 (which the tool treats alike).
    std::uint8_t replyCommand = 10;
    // Chance, 0 to 1, that a reply is lost on its way; the request has taken effect all the same.
    double dropProbability = 0.0;
    // ParamFrame sub-commands the units do not know: such requests are neither applied nor answered.
    std::bitset<256> neverAnswer;
    // ParamFrame replies go out with a wrong check (the tool drops them silently).
    bool corruptCheck = false;
    // Seeds the reply losses.
    std::uint64_t seed = 1;
};

struct SimReply
{
    std::size_t unit = 0; // index into units()
    Bytes datagram;
};

struct HandleResult
{
    std::vector<SimReply> replies;
    std::size_t dropped = 0;   // replies lost by dropProbability
    bool stateChanged = false; // some unit took over written settings
    std::string log;           // one line on the request, when describing is on
};

class UnitSimulator
{
public:
    UnitSimulator(std::vector<SimUnit> units, SimOptions options);

    // One received datagram. Anything that is not a valid request (bad marker, count, checksum,
    // a reply of another unit, an unknown command, a payload of the wrong size, a ParamFrame
    // that fails its check) is ignored.
    HandleResult handleDatagram(ByteView datagram);

    const std::vector<SimUnit>& units() const { return m_units; }
    const SimOptions& options() const { return m_options; }

    // Fill HandleResult::log.
    void setDescribing(bool on) { m_describing = on; }

private:
    void discover(HandleResult& result);
    void readNet(std::size_t unit, HandleResult& result);
    bool writeNet(std::size_t unit, ByteView payload);
    void netDefaults(std::size_t unit);
    bool writeMac(std::size_t unit, ByteView payload);
    bool param(std::size_t unit, ByteView frame, HandleResult& result);

    void emit(std::size_t unit, Bytes datagram, HandleResult& result);
    const Bytes& discoveryReply(std::size_t unit);

    std::vector<SimUnit> m_units;
    SimOptions m_options;
    std::mt19937_64 m_random;
    std::bernoulli_distribution m_drop;
    bool m_describing = false;
    // The discovery reply of each unit, built once; emptied when the unit's MAC, address or
    // name change.
    std::vector<Bytes> m_discoveryCache;
};

} // namespace rv::sim
