// SPDX-License-Identifier: GPL-3.0-or-later
// Videos to GIF end to end: frameloom-cli import-video against ffmpeg with
// palettegen and paletteuse, time, size and the PSNR of the result against
// the video's pictures.
#pragma once

namespace fl::bench {

void PrintVideoSummary();

} // namespace fl::bench
