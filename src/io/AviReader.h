// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding the first video stream of an AVI file, any codec, into packed
// device-independent bitmaps (info header, color table, bottom-up rows).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "io/AviHeaders.h"

namespace fl {

class TAviReader {
public:
    // Opens the file and its first video stream and starts the decoder;
    // throws EAviError with the message of the step that failed.
    explicit TAviReader(const std::string& path);
    ~TAviReader();
    TAviReader(const TAviReader&) = delete;
    TAviReader& operator=(const TAviReader&) = delete;

    // The stream header and format as stored in the file.
    const TAviStreamInfo& Info() const { return headers_.Info; }
    const std::vector<uint8_t>& Format() const { return headers_.Format; }

    // Receives a packet the decoder refused; decoding goes on with the next.
    std::function<void(const std::string& message)> OnWarning;

    // The next decoded picture with its position in the stream (counted from
    // the first sample), as a packed bitmap: 8 bits with the decoder's
    // palette when the codec gives palette images, else 24 bits. False at
    // the end of the stream. Pictures larger than the frame limits fail with
    // GIFException "Image is too large".
    bool ReadFrame(int64_t& position, std::vector<uint8_t>& dib);

private:
    struct TState;
    TAviHeaders headers_;
    std::unique_ptr<TState> state_;
};

} // namespace fl
