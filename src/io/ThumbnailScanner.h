// SPDX-License-Identifier: GPL-3.0-or-later
// Makes the thumbnails of a folder on worker threads, so that the browser
// stays responsive and shows each thumbnail as soon as it is made.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "editing/ThumbnailFolder.h"
#include "io/ThumbnailMaker.h"

namespace fl {

struct TScannedThumbnail {
    // The file's place in the scanned list.
    int FileIndex = 0;
    // A picture asked for again with Request rather than the scan's first
    // pass over the file.
    bool Refill = false;
    TThumbnail Thumbnail;
};

class TThumbnailScanner {
public:
    // Workers: 0 takes one per processor, at most four.
    explicit TThumbnailScanner(int workers = 0);
    // Cancels the scan and waits for the workers.
    ~TThumbnailScanner();
    TThumbnailScanner(const TThumbnailScanner&) = delete;
    TThumbnailScanner& operator=(const TThumbnailScanner&) = delete;

    // Called on a worker thread when results wait to be taken and none
    // waited before; it should only ask the owner's thread to call
    // TakeResults. Set before the first Start.
    std::function<void()> OnResultsReady;

    // Starts making the thumbnails of these files of the folder (ending in
    // a separator), in order; a scan still running is cancelled and its
    // results never delivered.
    void Start(const std::string& folder, std::vector<TThumbnailFile> files, int cell);
    // Stops the scan: nothing more of it is delivered.
    void Cancel();
    // Makes a file's thumbnail again, before the rest of the first pass (a
    // picture the owner dropped from its cache and now shows again).
    void Request(int fileIndex);

    // The thumbnails made since the last call: the first pass's in file
    // order, leaving out the files that could not be read, and the
    // refills. Delivery waits while too many are untaken, so that memory
    // stays bounded when the owner is busy.
    std::vector<TScannedThumbnail> TakeResults();
    // Files of the first pass that are done (delivered or unreadable).
    int Done() const;
    int Count() const;
    bool Running() const;

private:
    struct TJob {
        uint64_t Scan = 0;
        int FileIndex = -1;
        bool Refill = false;
        std::string Path;
        uint64_t Bytes = 0;
        int Cell = 0;
    };
    bool NextJob(TJob& job);
    void Work();
    void Deliver(const TJob& job, bool made, TThumbnail&& thumbnail);

    mutable std::mutex lock_;
    std::condition_variable wake_;
    bool stopping_ = false;
    uint64_t scan_ = 0;
    std::string folder_;
    std::vector<TThumbnailFile> files_;
    int cell_ = 0;
    int nextFile_ = 0;
    std::deque<int> refills_;
    // First-pass results that arrived before an earlier file's; nullopt
    // marks an unreadable file.
    std::map<int, std::optional<TScannedThumbnail>> waiting_;
    int delivered_ = 0;
    std::vector<TScannedThumbnail> results_;
    std::vector<std::thread> workers_;
};

} // namespace fl
