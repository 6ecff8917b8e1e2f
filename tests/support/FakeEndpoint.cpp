// SPDX-License-Identifier: MIT
#include "support/FakeEndpoint.h"

#include "protocol/HostFrame.h"

#include <utility>

namespace rv::test {

void FakeEndpoint::open(DatagramHandler onDatagram, FailureHandler onFailure)
{
    std::lock_guard lock(m_mutex);
    m_onDatagram = std::move(onDatagram);
    m_onFailure = std::move(onFailure);
    m_open = true;
}

void FakeEndpoint::bindInterfaceSockets()
{
    std::lock_guard lock(m_mutex);
    ++m_binds;
}

void FakeEndpoint::sendToAll(ByteView datagram)
{
    Bytes copy(datagram.begin(), datagram.end());
    Responder responder;
    FailureHandler onFailure;
    std::string failure;
    {
        std::lock_guard lock(m_mutex);
        if (!m_sendFailure.empty()) {
            failure = m_sendFailure;
            onFailure = m_onFailure;
        } else {
            m_sent.push_back(copy);
            responder = m_responder;
        }
    }
    m_cv.notify_all();
    if (onFailure) {
        onFailure(failure);
        return;
    }
    if (responder) {
        for (const Bytes& reply : responder(copy)) {
            inject(reply);
        }
    }
}

void FakeEndpoint::closeInterfaceSockets()
{
    std::lock_guard lock(m_mutex);
    ++m_closeInterfaces;
}

void FakeEndpoint::close()
{
    std::lock_guard lock(m_mutex);
    m_open = false;
    m_onDatagram = nullptr;
    m_onFailure = nullptr;
}

void FakeEndpoint::setResponder(Responder responder)
{
    std::lock_guard lock(m_mutex);
    m_responder = std::move(responder);
}

void FakeEndpoint::setSendFailure(std::string text)
{
    std::lock_guard lock(m_mutex);
    m_sendFailure = std::move(text);
}

void FakeEndpoint::inject(const Bytes& datagram)
{
    DatagramHandler handler;
    {
        std::lock_guard lock(m_mutex);
        handler = m_onDatagram;
    }
    if (handler) {
        handler(datagram);
    }
}

void FakeEndpoint::fail(const std::string& text)
{
    FailureHandler handler;
    {
        std::lock_guard lock(m_mutex);
        handler = m_onFailure;
    }
    if (handler) {
        handler(text);
    }
}

std::vector<Bytes> FakeEndpoint::sent() const
{
    std::lock_guard lock(m_mutex);
    return m_sent;
}

std::size_t FakeEndpoint::sentCount() const
{
    std::lock_guard lock(m_mutex);
    return m_sent.size();
}

std::vector<std::uint8_t> FakeEndpoint::paramCodesSent() const
{
    std::vector<std::uint8_t> codes;
    for (const Bytes& datagram : sent()) {
        if (auto code = ParamCodeOf(datagram)) {
            codes.push_back(*code);
        }
    }
    return codes;
}

bool FakeEndpoint::waitForSent(std::size_t n, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_mutex);
    return m_cv.wait_for(lock, timeout, [&] { return m_sent.size() >= n; });
}

void FakeEndpoint::clearSent()
{
    std::lock_guard lock(m_mutex);
    m_sent.clear();
}

int FakeEndpoint::bindCount() const
{
    std::lock_guard lock(m_mutex);
    return m_binds;
}

int FakeEndpoint::closeInterfaceCount() const
{
    std::lock_guard lock(m_mutex);
    return m_closeInterfaces;
}

bool FakeEndpoint::isOpen() const
{
    std::lock_guard lock(m_mutex);
    return m_open;
}

std::optional<std::uint8_t> ParamCodeOf(ByteView request)
{
    const std::optional<HostRequest> parsed = ReadHostRequest(request);
    if (!parsed || parsed->command != HostCommand::HC_PARAM || parsed->payload.size() < 2) {
        return std::nullopt;
    }
    return parsed->payload[1];
}

} // namespace rv::test
