// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the engine shown in Qt's widgets.
#pragma once

#include <QImage>

namespace fl {

class TBitmap;

// A copy of the bitmap in Qt's 32-bit RGB format, whatever the bitmap's
// pixel format; indexed pixels past the palette's end show black, as the
// engine draws them. The transparency mask is not applied. An empty bitmap
// gives a null image.
QImage ToQImage(const TBitmap& bitmap);

// A 32-bit bitmap of the image, alpha dropped (pixels lie on black where
// they were see-through). A null image gives an empty bitmap.
TBitmap FromQImage(const QImage& image);

} // namespace fl
