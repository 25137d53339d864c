// SPDX-License-Identifier: GPL-3.0-or-later
// An animated image (WebP) read whole through ImageMagick, handed out as a
// video's pictures.
#pragma once

#include <memory>
#include <string>

#include "io/VideoDecoder.h"

namespace fl {

// Throws EVideoError with the reason when the file cannot be read.
std::unique_ptr<TVideoSource> OpenAnimatedImage(const std::string& path);

} // namespace fl
