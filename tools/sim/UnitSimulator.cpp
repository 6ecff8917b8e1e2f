// SPDX-License-Identifier: MIT
#include "sim/UnitSimulator.h"

#include "protocol/DeviceRecord.h"
#include "protocol/HostFrame.h"
#include "protocol/ParamFrame.h"
#include "protocol/TextConv.h"

#include <algorithm>
#include <utility>

namespace rv::sim {
namespace {

std::string SubCommandText(std::uint8_t code)
{
    const SubCommandInfo info = DescribeSubCommand(code);
    const std::string n = std::to_string(info.index + 1);
    switch (info.kind) {
    case ParamKind::BaseRead:
        return "read base";
    case ParamKind::BaseWrite:
        return "write base";
    case ParamKind::GprsRead:
        return "read GPRS";
    case ParamKind::GprsWrite:
        return "write GPRS";
    case ParamKind::ChannelRead:
        return "read channel " + n;
    case ParamKind::ChannelWrite:
        return "write channel " + n;
    case ParamKind::RelayRead:
        return "read relay " + n;
    case ParamKind::RelayWrite:
        return "write relay " + n;
    case ParamKind::SlotRead:
        return "read slot " + n;
    case ParamKind::SlotWrite:
        return "write slot " + n;
    case ParamKind::LedWrite:
        return "write LED";
    case ParamKind::LedRead:
        return "read LED";
    case ParamKind::None:
        break;
    }
    return "unknown";
}

std::string CommandText(HostCommand command)
{
    switch (command) {
    case HostCommand::HC_DISCOVER:
        return "discover";
    case HostCommand::HC_READ_NET:
        return "read net";
    case HostCommand::HC_WRITE_NET:
        return "write net";
    case HostCommand::HC_NET_DEFAULTS:
        return "net defaults";
    case HostCommand::HC_PARAM:
    case HostCommand::HC_PARAM_ALT:
        return "param";
    case HostCommand::HC_WRITE_MAC:
        return "write MAC";
    }
    return "command " + std::to_string(static_cast<unsigned>(command));
}

} // namespace

UnitSimulator::UnitSimulator(std::vector<SimUnit> units, SimOptions options)
    : m_units(std::move(units)), m_options(options), m_random(options.seed),
      m_drop(std::clamp(options.dropProbability, 0.0, 1.0)), m_discoveryCache(m_units.size())
{}

HandleResult UnitSimulator::handleDatagram(ByteView datagram)
{
    HandleResult result;
    const std::optional<HostRequest> request = ReadHostRequest(datagram);
    if (!request) {
        // Our own replies, broadcast back to us, land here too.
        if (m_describing) {
            result.log = "ignored " + std::to_string(datagram.size()) + " bytes: not a request";
        }
        return result;
    }

    std::string what;
    if (m_describing) {
        what = CommandText(request->command);
        if (request->command == HostCommand::HC_PARAM && request->payload.size() >= 2) {
            const std::uint8_t code = request->payload[1];
            what += " sub " + std::to_string(code) + " (" + SubCommandText(code) + ")";
        }
    }

    std::size_t matched = 0;
    if (request->command == HostCommand::HC_DISCOVER) {
        discover(result);
        matched = m_units.size();
    } else {
        for (std::size_t i = 0; i < m_units.size(); ++i) {
            if (m_units[i].mac != request->mac) {
                continue;
            }
            ++matched;
            switch (request->command) {
            case HostCommand::HC_READ_NET:
                readNet(i, result);
                break;
            case HostCommand::HC_WRITE_NET:
                result.stateChanged |= writeNet(i, request->payload);
                break;
            case HostCommand::HC_NET_DEFAULTS:
                netDefaults(i);
                result.stateChanged = true;
                break;
            case HostCommand::HC_WRITE_MAC:
                result.stateChanged |= writeMac(i, request->payload);
                break;
            case HostCommand::HC_PARAM:
                result.stateChanged |= param(i, request->payload, result);
                break;
            case HostCommand::HC_DISCOVER:
            case HostCommand::HC_PARAM_ALT: // a reply command; no unit acts on it
            default:
                break;
            }
        }
    }

    if (m_describing) {
        result.log = what;
        if (request->command != HostCommand::HC_DISCOVER) {
            result.log += " for " + FormatMacDashed(request->mac);
            if (matched == 0) {
                result.log += ": no such unit";
                return result;
            }
        }
        result.log +=
            ": " + std::to_string(result.replies.size()) + " repl" + (result.replies.size() == 1 ? "y" : "ies");
        if (result.dropped > 0) {
            result.log += ", " + std::to_string(result.dropped) + " dropped";
        }
        if (result.stateChanged) {
            result.log += ", settings changed";
        }
    }
    return result;
}

void UnitSimulator::discover(HandleResult& result)
{
    result.replies.reserve(m_units.size());
    for (std::size_t i = 0; i < m_units.size(); ++i) {
        emit(i, discoveryReply(i), result);
    }
}

const Bytes& UnitSimulator::discoveryReply(std::size_t unit)
{
    Bytes& cached = m_discoveryCache[unit];
    if (cached.empty()) {
        const SimUnit& u = m_units[unit];
        DeviceRecord device;
        device.ip = u.ip;
        device.mac = u.mac;
        device.firmware = u.firmware;
        device.name = u.name;
        cached = EncodeDiscoveryReply(device);
    }
    return cached;
}

void UnitSimulator::readNet(std::size_t unit, HandleResult& result)
{
    Bytes record;
    ByteWriter w(record);
    m_units[unit].net.encode(w);
    emit(unit, BuildHostReply(static_cast<std::uint8_t>(HostCommand::HC_READ_NET), m_units[unit].mac, record), result);
}

bool UnitSimulator::writeNet(std::size_t unit, ByteView payload)
{
    if (payload.size() != NetRecord::kSize) {
        return false;
    }
    SimUnit& u = m_units[unit];
    ByteReader r(payload);
    NetRecord written;
    written.decode(r);
    const SimUnit before = u;
    u.net = written;
    AdoptNetSettings(u);
    m_discoveryCache[unit].clear();
    return !(u == before);
}

void UnitSimulator::netDefaults(std::size_t unit)
{
    SimUnit& u = m_units[unit];
    u.net = FactoryNetRecord(u.number);
    AdoptNetSettings(u);
    m_discoveryCache[unit].clear();
}

bool UnitSimulator::writeMac(std::size_t unit, ByteView payload)
{
    if (payload.size() != 6) {
        return false;
    }
    SimUnit& u = m_units[unit];
    MacAddress mac{};
    std::copy(payload.begin(), payload.end(), mac.begin());
    if (mac == u.mac) {
        return false;
    }
    u.mac = mac;
    m_discoveryCache[unit].clear();
    return true;
}

bool UnitSimulator::param(std::size_t unit, ByteView frame, HandleResult& result)
{
    if (frame.size() < 2) {
        return false;
    }
    const std::uint8_t code = frame[1];
    if (m_options.neverAnswer.test(code)) {
        return false;
    }
    const SubCommandInfo info = DescribeSubCommand(code);
    if (info.kind == ParamKind::None) {
        return false;
    }

    SimUnit& u = m_units[unit];
    const ParamRecords before = u.params;
    if (!ApplyParamRequest(frame, u.params)) {
        return false;
    }

    // A read is answered with the record, a write with an acknowledgement that carries only the
    // trailer.
    Bytes reply = info.isWrite ? BuildParamReply(code, {}, m_options.unitVersion)
                               : BuildParamReply(code, EncodeParamPayload(code, u.params), m_options.unitVersion);
    if (m_options.corruptCheck) {
        reply.back() ^= 0xFF;
    }
    emit(unit, BuildHostReply(m_options.replyCommand, u.mac, reply), result);
    return !(u.params == before);
}

void UnitSimulator::emit(std::size_t unit, Bytes datagram, HandleResult& result)
{
    if (m_options.dropProbability > 0.0 && m_drop(m_random)) {
        ++result.dropped;
        return;
    }
    result.replies.push_back({unit, std::move(datagram)});
}

} // namespace rv::sim
