// SPDX-License-Identifier: MIT
#include "net/EventQueue.h"

#include <utility>

namespace rv {

void EventQueue::post(std::function<void()> fn)
{
    {
        std::lock_guard lock(m_mutex);
        m_calls.push_back(std::move(fn));
    }
    m_cv.notify_all();
}

std::size_t EventQueue::runUntilIdle()
{
    std::size_t ran = 0;
    for (;;) {
        std::function<void()> fn;
        {
            std::lock_guard lock(m_mutex);
            if (m_calls.empty()) {
                return ran;
            }
            fn = std::move(m_calls.front());
            m_calls.pop_front();
        }
        fn();
        ++ran;
    }
}

unsigned EventQueue::wakeCount() const
{
    std::lock_guard lock(m_mutex);
    return m_wakes;
}

bool EventQueue::takeNext(std::function<void()>& fn, Clock::time_point deadline, unsigned wakes)
{
    std::unique_lock lock(m_mutex);
    m_cv.wait_until(lock, deadline, [&] { return !m_calls.empty() || m_wakes != wakes; });
    if (m_calls.empty()) {
        return false;
    }
    fn = std::move(m_calls.front());
    m_calls.pop_front();
    return true;
}

bool EventQueue::runUntil(const std::function<bool()>& pred, Clock::time_point deadline)
{
    for (;;) {
        // Taken before pred() so that a wake() between the test and the wait is not lost.
        const unsigned wakes = wakeCount();
        if (pred()) {
            return true;
        }
        if (Clock::now() >= deadline) {
            return false;
        }
        std::function<void()> fn;
        if (takeNext(fn, deadline, wakes)) {
            fn();
        }
    }
}

void EventQueue::runFor(Clock::duration duration)
{
    const auto deadline = Clock::now() + duration;
    while (Clock::now() < deadline) {
        std::function<void()> fn;
        if (takeNext(fn, deadline, wakeCount())) {
            fn();
        }
    }
}

void EventQueue::run()
{
    for (;;) {
        std::function<void()> fn;
        {
            std::unique_lock lock(m_mutex);
            m_cv.wait(lock, [this] { return !m_calls.empty() || m_quit; });
            if (m_quit) {
                m_quit = false;
                return;
            }
            fn = std::move(m_calls.front());
            m_calls.pop_front();
        }
        fn();
    }
}

void EventQueue::quit()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_cv.notify_all();
}

void EventQueue::wake()
{
    {
        std::lock_guard lock(m_mutex);
        ++m_wakes;
    }
    m_cv.notify_all();
}

std::size_t EventQueue::size() const
{
    std::lock_guard lock(m_mutex);
    return m_calls.size();
}

} // namespace rv
