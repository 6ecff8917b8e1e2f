// SPDX-License-Identifier: MIT
#pragma once

// A unit as the session tests need it: answers every parameter request of the selected MAC with a
// valid reply built from its own records, except the sub-commands told to stay silent or to answer
// with another unit version. Use it as a FakeEndpoint responder.

#include "protocol/ByteIo.h"
#include "protocol/HostFrame.h"
#include "protocol/Records.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <vector>

namespace rv::test {

inline constexpr MacAddress kUnitMac{0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x6F};
inline constexpr std::uint16_t kGoodVersion = 800;

// Reply datagram: HostFrame command 10 (or 11) carrying a ParamFrame reply for the code, with the
// payload taken from records for read codes.
Bytes ParamReplyDatagram(std::uint8_t code, const ParamRecords& records, std::uint16_t version = kGoodVersion,
                         std::uint8_t hostCommand = 10);

class FakeUnit
{
public:
    // Replies to one request (empty for requests it does not answer).
    std::vector<Bytes> answer(const Bytes& request);

    void silence(std::uint8_t code);
    void unsilence(std::uint8_t code);
    void answerWithVersion(std::uint8_t code, std::uint16_t version);
    ParamRecords records() const;
    void setRecords(const ParamRecords& records);

private:
    mutable std::mutex m_mutex;
    ParamRecords m_records;
    std::set<std::uint8_t> m_silent;
    std::map<std::uint8_t, std::uint16_t> m_versions;
};

} // namespace rv::test
