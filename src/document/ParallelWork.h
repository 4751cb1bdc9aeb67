#pragma once

#include <QtGlobal>

#include <algorithm>
#include <future>
#include <iterator>
#include <thread>
#include <vector>

// Work on long lists shared out among the processor's cores. Short lists stay on the calling thread,
// where starting threads would cost more than it saves.
namespace ParallelWork {

inline constexpr qsizetype MinShare = 4096;

inline qsizetype shareCount(qsizetype size)
{
    return std::clamp(qsizetype(std::thread::hardware_concurrency()), qsizetype(1), size / MinShare);
}

// Runs `work(first, count)` once per share of [0, size), one share on this thread, and gives the results
// in the order of the shares. `work` must be safe to run on several threads at once.
template <typename Work> auto inShares(qsizetype size, Work work)
{
    using Result = decltype(work(qsizetype(0), qsizetype(0)));
    const qsizetype shares = shareCount(size);
    const qsizetype share = shares > 1 ? (size + shares - 1) / shares : size;
    std::vector<std::future<Result>> others;
    for (qsizetype first = share; first < size; first += share)
        others.push_back(std::async(std::launch::async, work, first, std::min(share, size - first)));
    std::vector<Result> results;
    results.push_back(work(0, std::min(share, size)));
    for (std::future<Result>& other : others)
        results.push_back(other.get());
    return results;
}

// std::stable_sort with the two halves sorted at once and then merged; equal elements keep their order.
// `lessThan` must be safe to call from two threads at once.
template <typename T, typename LessThan> void stableSort(std::vector<T>& items, const LessThan& lessThan)
{
    if (shareCount(qsizetype(items.size())) < 2) {
        std::stable_sort(items.begin(), items.end(), lessThan);
        return;
    }
    const auto middle = items.begin() + std::ptrdiff_t(items.size() / 2);
    std::future<void> secondHalf =
        std::async(std::launch::async, [&] { std::stable_sort(middle, items.end(), lessThan); });
    std::stable_sort(items.begin(), middle, lessThan);
    secondHalf.get();
    std::vector<T> merged;
    merged.reserve(items.size());
    std::merge(items.begin(), middle, middle, items.end(), std::back_inserter(merged), lessThan);
    items = std::move(merged);
}

// std::sort with the two halves sorted at once and then merged where they lie, for an order in which no
// two items compare equal: it needs no second list of the items.
template <typename T, typename LessThan> void sort(std::vector<T>& items, const LessThan& lessThan)
{
    if (shareCount(qsizetype(items.size())) < 2) {
        std::sort(items.begin(), items.end(), lessThan);
        return;
    }
    const auto middle = items.begin() + std::ptrdiff_t(items.size() / 2);
    std::future<void> secondHalf =
        std::async(std::launch::async, [&] { std::sort(middle, items.end(), lessThan); });
    std::sort(items.begin(), middle, lessThan);
    secondHalf.get();
    std::inplace_merge(items.begin(), middle, items.end(), lessThan);
}

} // namespace ParallelWork
