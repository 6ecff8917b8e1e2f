// SPDX-License-Identifier: MIT
#pragma once

// A session on a fake endpoint, with the test's thread as its user-interface thread.

#include "net/EventQueue.h"
#include "net/Session.h"
#include "support/FakeEndpoint.h"
#include "support/FakeUnit.h"
#include "support/RecordingView.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

namespace rv::test {

using namespace std::chrono_literals;

class SessionFixture : public ::testing::Test
{
protected:
    explicit SessionFixture(std::chrono::microseconds pollInterval = 1ms)
    {
        auto endpoint = std::make_unique<FakeEndpoint>();
        fake = endpoint.get();
        SessionOptions options;
        options.pollInterval = pollInterval;
        session = std::make_unique<Session>(view, std::move(endpoint), options);
        session->start();
    }

    // Lets a reply in as the receive thread would, and runs the dispatch.
    void receive(const Bytes& datagram)
    {
        fake->inject(datagram);
        queue.runUntilIdle();
    }

    // The fake unit answers every request from now on (its replies come back on the sending thread).
    void answerFromUnit()
    {
        fake->setResponder([this](const Bytes& sent) { return unit.answer(sent); });
    }

    // A unit has answered a network-settings request: the read buttons work.
    void selectUnit()
    {
        session->OnDblclkDeviceList("1A2B3C4D5E6F");
        session->m_bUnitSelected = 1;
        fake->clearSent();
        view.reset();
    }

    // Runs the user-interface thread until the progress box shows text (or a generous deadline).
    bool runUntilProgress(const std::string& text, std::chrono::seconds timeout = 30s)
    {
        return queue.runUntil([&] { return view.hasProgress(text); }, timeout);
    }

    EventQueue queue;
    RecordingView view{queue};
    FakeUnit unit; // outlives the session, whose transfer thread may still be sending to it
    FakeEndpoint* fake = nullptr;
    std::unique_ptr<Session> session;
};

} // namespace rv::test
