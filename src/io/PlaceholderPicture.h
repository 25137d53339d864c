// SPDX-License-Identifier: GPL-3.0-or-later
// The picture exported in place of a frame that is empty or missing.
#pragma once

#include <memory>

namespace fl {

class TBitmap;

// A 125 x 50 bitmap (24 bits), white, with three lines of black lettering:
// "Error Writing Image", "Output by Quillmark" and "Frameloom 3.0", their
// top-left corners at (5, 5), (5, 20) and (5, 35).
std::unique_ptr<TBitmap> MakePlaceholderPicture();

} // namespace fl
