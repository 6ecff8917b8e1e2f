// SPDX-License-Identifier: MIT
#pragma once

// The information log shown in the main window's info area. Written by the user-interface thread
// and the transfer thread; each clear and append is whole.

#include <mutex>
#include <string>
#include <string_view>

namespace rv {

class InfoLog
{
public:
    void clear()
    {
        std::lock_guard lock(m_mutex);
        m_text.clear();
    }
    void append(std::string_view text)
    {
        std::lock_guard lock(m_mutex);
        m_text.append(text);
    }
    // Clear, then append, as one step.
    void set(std::string_view text)
    {
        std::lock_guard lock(m_mutex);
        m_text.assign(text);
    }
    std::string text() const
    {
        std::lock_guard lock(m_mutex);
        return m_text;
    }

private:
    mutable std::mutex m_mutex;
    std::string m_text;
};

} // namespace rv
