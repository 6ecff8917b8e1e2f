// SPDX-License-Identifier: MIT
#include "support/FakeUnit.h"

#include "protocol/ParamFrame.h"

namespace rv::test {

Bytes ParamReplyDatagram(std::uint8_t code, const ParamRecords& records, std::uint16_t version,
                         std::uint8_t hostCommand)
{
    return BuildHostReply(hostCommand, kUnitMac, BuildParamReply(code, EncodeParamPayload(code, records), version));
}

std::vector<Bytes> FakeUnit::answer(const Bytes& request)
{
    const std::optional<HostRequest> parsed = ReadHostRequest(request);
    if (!parsed || parsed->command != HostCommand::HC_PARAM || parsed->mac != kUnitMac) {
        return {};
    }
    std::lock_guard lock(m_mutex);
    const std::optional<std::uint8_t> code = ApplyParamRequest(parsed->payload, m_records);
    if (!code || m_silent.count(*code) != 0) {
        return {};
    }
    const auto version = m_versions.find(*code);
    return {ParamReplyDatagram(*code, m_records, version == m_versions.end() ? kGoodVersion : version->second)};
}

void FakeUnit::silence(std::uint8_t code)
{
    std::lock_guard lock(m_mutex);
    m_silent.insert(code);
}

void FakeUnit::unsilence(std::uint8_t code)
{
    std::lock_guard lock(m_mutex);
    m_silent.erase(code);
}

void FakeUnit::answerWithVersion(std::uint8_t code, std::uint16_t version)
{
    std::lock_guard lock(m_mutex);
    m_versions[code] = version;
}

ParamRecords FakeUnit::records() const
{
    std::lock_guard lock(m_mutex);
    return m_records;
}

void FakeUnit::setRecords(const ParamRecords& records)
{
    std::lock_guard lock(m_mutex);
    m_records = records;
}

} // namespace rv::test
