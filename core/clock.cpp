#include "core/clock.h"

namespace kiln::core {

namespace {
std::function<std::time_t()>& clockFunction() {
    static std::function<std::time_t()> s_clock;
    return s_clock;
}
}  // namespace

std::time_t ClockNow() {
    const auto& clock = clockFunction();
    return clock ? clock() : std::time(nullptr);
}

std::function<std::time_t()> SetClock(std::function<std::time_t()> clock) {
    auto previous = std::move(clockFunction());
    clockFunction() = std::move(clock);
    return previous;
}

}  // namespace kiln::core
