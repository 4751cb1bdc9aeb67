#pragma once

#include <QElapsedTimer>

#include <algorithm>
#include <limits>

namespace BenchClock {

// The fastest of `repetitions` runs, in nanoseconds: the run least disturbed by the rest of the machine.
// `prepare` runs before each timed run and is not timed.
template <typename Prepare, typename Work> qint64 fastestOf(int repetitions, Prepare prepare, Work work)
{
    qint64 best = std::numeric_limits<qint64>::max();
    for (int i = 0; i < repetitions; ++i) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed());
    }
    return best;
}

template <typename Work> qint64 fastestOf(int repetitions, Work work)
{
    return fastestOf(
        repetitions, [] {}, work);
}

} // namespace BenchClock
