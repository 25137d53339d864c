// SPDX-License-Identifier: GPL-3.0-or-later
// Measuring a piece of work in a child process of its own, so that its peak
// memory is its own: the child times the work and reads its peak resident
// size before and after, and hands the sample back through a pipe.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>
#include <vector>

namespace fl::bench {

inline long PeakResidentKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Runs the work in a child; the sample (plain data with Seconds, PeakKiB and
// Ok, which the work's answer sets) comes back, or nothing when the child
// died. A child may be given at most `addressSpace` bytes of address space.
template <class TSample>
std::optional<TSample> InChild(const std::function<bool(TSample&)>& work, rlim_t addressSpace = RLIM_INFINITY)
{
    int channel[2];
    if (pipe(channel) != 0)
        return std::nullopt;
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        if (addressSpace != RLIM_INFINITY) {
            const rlimit limit{addressSpace, addressSpace};
            setrlimit(RLIMIT_AS, &limit);
        }
        TSample sample;
        const long before = PeakResidentKiB();
        const auto start = std::chrono::steady_clock::now();
        // An error must not unwind into the parent's code in this copy of it.
        try {
            sample.Ok = work(sample);
        } catch (...) {
            _exit(1);
        }
        sample.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        sample.PeakKiB = PeakResidentKiB() - before;
        const ssize_t written = write(channel[1], &sample, sizeof sample);
        _exit(written == sizeof sample ? 0 : 1);
    }
    close(channel[1]);
    TSample sample;
    const ssize_t got = child > 0 ? read(channel[0], &sample, sizeof sample) : -1;
    close(channel[0]);
    if (child > 0)
        waitpid(child, nullptr, 0);
    if (got != sizeof sample)
        return std::nullopt;
    return sample;
}

// Several runs, each in a child: the median time and the largest peak of
// the samples `keep` accepts.
template <class TSample>
std::optional<TSample> MeasureInChildren(int runs, const std::function<bool(TSample&)>& work,
                                         const std::function<bool(const TSample&)>& keep,
                                         rlim_t addressSpace = RLIM_INFINITY)
{
    std::vector<TSample> samples;
    for (int i = 0; i < runs; ++i)
        if (auto sample = InChild<TSample>(work, addressSpace); sample && keep(*sample))
            samples.push_back(*sample);
    if (samples.empty())
        return std::nullopt;
    std::sort(samples.begin(), samples.end(),
              [](const TSample& a, const TSample& b) { return a.Seconds < b.Seconds; });
    TSample result = samples[samples.size() / 2];
    for (const TSample& sample : samples)
        result.PeakKiB = std::max(result.PeakKiB, sample.PeakKiB);
    return result;
}

} // namespace fl::bench
