// SPDX-License-Identifier: MIT
#pragma once

// A user-interface thread's event loop for hosts without Qt (the tests, the command-line tool).
// Any thread posts calls; the thread that runs the loop executes them one at a time, in the order
// they were posted. The loop waits on a condition variable and never spins.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

namespace rv {

class EventQueue
{
public:
    using Clock = std::chrono::steady_clock;

    // Queues fn. Safe from any thread, also from a call that the loop is running.
    void post(std::function<void()> fn);

    // Runs the calls queued now and those they post, until the queue is empty. Returns how many
    // ran.
    std::size_t runUntilIdle();

    // Runs calls as they arrive until pred() holds or the deadline has passed. pred is tested
    // before waiting and after each call (and after wake()). Returns the last result of pred().
    bool runUntil(const std::function<bool()>& pred, Clock::time_point deadline);
    bool runUntil(const std::function<bool()>& pred, Clock::duration timeout)
    {
        return runUntil(pred, Clock::now() + timeout);
    }

    // Runs calls as they arrive until the deadline.
    void runFor(Clock::duration duration);

    // Runs calls as they arrive until quit(); quit() called before run() makes it return at once.
    void run();
    void quit();

    // Makes a waiting runUntil() test its predicate again (for state that changes without a post).
    void wake();

    std::size_t size() const;

private:
    unsigned wakeCount() const;
    // Takes the next call, waiting until the deadline; false when none came or a wake() after
    // the count `wakes` ended the wait.
    bool takeNext(std::function<void()>& fn, Clock::time_point deadline, unsigned wakes);

    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<std::function<void()>> m_calls;
    bool m_quit = false;
    unsigned m_wakes = 0;
};

} // namespace rv
