// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/ThumbnailScanner.h"

#include <algorithm>

#include "io/ImagingControl.h"

namespace fl {

namespace {

// Thumbnails made but not yet taken; workers wait beyond this.
constexpr size_t MaxUntaken = 64;

} // namespace

TThumbnailScanner::TThumbnailScanner(int workers)
{
    if (workers <= 0)
        workers = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
    for (int i = 0; i < workers; ++i)
        workers_.emplace_back([this] { Work(); });
}

TThumbnailScanner::~TThumbnailScanner()
{
    {
        std::lock_guard<std::mutex> guard(lock_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& worker : workers_)
        worker.join();
}

void TThumbnailScanner::Start(const std::string& folder, std::vector<TThumbnailFile> files, int cell)
{
    {
        std::lock_guard<std::mutex> guard(lock_);
        ++scan_;
        folder_ = folder;
        files_ = std::move(files);
        cell_ = cell;
        nextFile_ = 0;
        delivered_ = 0;
        refills_.clear();
        waiting_.clear();
        results_.clear();
    }
    wake_.notify_all();
}

void TThumbnailScanner::Cancel()
{
    Start({}, {}, 0);
}

void TThumbnailScanner::Request(int fileIndex)
{
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (fileIndex < 0 || fileIndex >= static_cast<int>(files_.size()) ||
            std::find(refills_.begin(), refills_.end(), fileIndex) != refills_.end())
            return;
        refills_.push_back(fileIndex);
    }
    wake_.notify_one();
}

std::vector<TScannedThumbnail> TThumbnailScanner::TakeResults()
{
    std::vector<TScannedThumbnail> taken;
    {
        std::lock_guard<std::mutex> guard(lock_);
        taken.swap(results_);
    }
    wake_.notify_all();
    return taken;
}

int TThumbnailScanner::Done() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return delivered_;
}

int TThumbnailScanner::Count() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return static_cast<int>(files_.size());
}

bool TThumbnailScanner::Running() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return delivered_ < static_cast<int>(files_.size());
}

// Waits for work: a refill first, then the first pass's next file.
bool TThumbnailScanner::NextJob(TJob& job)
{
    std::unique_lock<std::mutex> guard(lock_);
    wake_.wait(guard, [this] {
        return stopping_ || (results_.size() + waiting_.size() < MaxUntaken &&
                             (!refills_.empty() || nextFile_ < static_cast<int>(files_.size())));
    });
    if (stopping_)
        return false;
    job.Scan = scan_;
    job.Cell = cell_;
    if (!refills_.empty()) {
        job.FileIndex = refills_.front();
        job.Refill = true;
        refills_.pop_front();
    } else {
        job.FileIndex = nextFile_++;
        job.Refill = false;
    }
    const TThumbnailFile& file = files_[static_cast<size_t>(job.FileIndex)];
    job.Path = folder_ + file.Name;
    job.Bytes = file.Size;
    return true;
}

void TThumbnailScanner::Work()
{
    // Each worker has a control of its own: one holds one picture.
    TImagingControl control;
    TJob job;
    while (NextJob(job)) {
        TThumbnail thumbnail;
        const bool made = MakeThumbnail(job.Path, job.Bytes, job.Cell, control, thumbnail);
        Deliver(job, made, std::move(thumbnail));
    }
}

void TThumbnailScanner::Deliver(const TJob& job, bool made, TThumbnail&& thumbnail)
{
    bool first = false;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (job.Scan != scan_)
            return;
        const bool before = results_.empty();
        std::optional<TScannedThumbnail> result;
        if (made)
            result = TScannedThumbnail{job.FileIndex, job.Refill, std::move(thumbnail)};
        if (job.Refill) {
            if (result)
                results_.push_back(std::move(*result));
        } else {
            // First-pass results leave in file order.
            waiting_.emplace(job.FileIndex, std::move(result));
            for (auto next = waiting_.begin(); next != waiting_.end() && next->first == delivered_;
                 next = waiting_.erase(next), ++delivered_) {
                if (next->second)
                    results_.push_back(std::move(*next->second));
            }
        }
        first = before && (!results_.empty() || delivered_ == static_cast<int>(files_.size()));
    }
    if (first && OnResultsReady)
        OnResultsReady();
}

} // namespace fl
