// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdexcept>
#include <string>

namespace fl {

class TGraphic;

// A picture that cannot be copied into another kind of picture, e.g.
// "Cannot assign a TIcon to a TGIFSubImage".
class EConvertError : public std::runtime_error {
public:
    EConvertError(const std::string& sourceClass, const std::string& targetClass)
        : std::runtime_error("Cannot assign a " + sourceClass + " to a " + targetClass)
    {
    }
};

// The class name of a graphic as the conversion messages show it: the
// unqualified name of its dynamic type ("TBitmap", "TGIFImage").
std::string GraphicClassName(const TGraphic& graphic);

} // namespace fl
