// SPDX-License-Identifier: GPL-3.0-or-later
// The pictures of a video, one after another with their times: the first
// video stream of any file FFmpeg reads (MP4, WebM, MOV, MKV, APNG, AVI,
// ...), or an animated image ImageMagick reads (animated WebP, which this
// FFmpeg does not decode).
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace fl {

class EVideoError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace videomsg {
inline constexpr const char* OpenFile = "Failed to open video file";
inline constexpr const char* NoStream = "The file holds no video";
inline constexpr const char* StartDecoding = "Failed to start video decoding";
inline constexpr const char* Decode = "Failed to decode video frame";
} // namespace videomsg

// What a video holds, as far as its headers tell: the size of its
// pictures, its frame rate (0 when unknown), its length in seconds (0 when
// unknown) and an estimate of its picture count.
struct TVideoFacts {
    int Width = 0;
    int Height = 0;
    double FramesPerSecond = 0;
    double Seconds = 0;
    int64_t Frames = 0;
};

// One decoded picture: the time it is shown from, in seconds from the
// video's start, and its rows top to bottom, 3 bytes a pixel (blue, green,
// red), no padding.
struct TVideoPicture {
    double Seconds = 0;
    // How long it is shown, when the file says; 0 otherwise.
    double Duration = 0;
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Bgr;
};

class TVideoSource {
public:
    virtual ~TVideoSource() = default;
    virtual const TVideoFacts& Facts() const = 0;
    // Goes to the last picture that can be started from at or before the
    // time (decoding then runs on from there).
    virtual void SeekTo(double seconds) = 0;
    // The next picture; false after the last. Pictures too large for the
    // memory limits fail with GIFException "Image is too large"; pictures
    // the decoder refuses are skipped.
    virtual bool Next(TVideoPicture& picture) = 0;
};

// The source for the file, chosen by what the file holds. Throws
// EVideoError when it is no video either library reads.
std::unique_ptr<TVideoSource> OpenVideo(const std::string& path);

// Whether the name's extension is one of the video and animated image
// types the video import offers (".mp4", ".webm", ".mov", ".mkv", ".webp",
// ".apng", ".avi", ...).
bool IsVideoFileName(const std::string& path);

} // namespace fl
