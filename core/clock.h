// The clock that the time texts read. Tests set it to a fixed time.
#pragma once

#include <ctime>
#include <functional>

namespace kiln::core {

// The current calendar time (as time() gives it, unless a test set a clock).
std::time_t ClockNow();

// Replaces the clock; an empty function restores the system clock. Returns
// the previous clock (empty for the system clock).
std::function<std::time_t()> SetClock(std::function<std::time_t()> clock);

// Sets a clock for the lifetime of the scope.
class CClockScope {
public:
    explicit CClockScope(std::function<std::time_t()> clock) : m_previous(SetClock(std::move(clock))) {}
    ~CClockScope() { SetClock(std::move(m_previous)); }
    CClockScope(const CClockScope&) = delete;
    CClockScope& operator=(const CClockScope&) = delete;

private:
    std::function<std::time_t()> m_previous;
};

}  // namespace kiln::core
