// SPDX-License-Identifier: GPL-3.0-or-later
// The header list of an AVI file read as stored: the first video stream's
// header and format. The decoder library hides the raw scale and rate (it
// replaces a zero rate) and the format's used-colors field, and the import
// needs both exactly.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "io/AviFormat.h"

namespace fl {

struct TAviHeaders {
    // Which stream header list of the file holds the first video stream.
    int StreamOrdinal = -1;
    TAviStreamInfo Info;
    // The stream format: a bitmap info header and its color table.
    std::vector<uint8_t> Format;
};

// Reads the header list. EAviError: "Failed to open AVI file" for a file
// that is not a RIFF AVI or cannot be read, "Failed to open AVI stream"
// without a video stream, "Failed to get AVI stream info" for a short
// stream header, and the two format messages for a missing or short format.
TAviHeaders ReadAviHeaders(const std::string& path);

} // namespace fl
