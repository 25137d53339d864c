// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures kept in the companion library beside the program: the library is
// loaded for one resource and released at once.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fl {

class TBitmap;
class TGIFImage;
class TMessageService;

// The companion library's file name on this system ("libReellib.so",
// "Reellib.dll").
std::string CompanionLibraryFileName();

// The bytes of a resource (name and type, e.g. "SPLASH" "BITMAP",
// "ANIMATED" "GIF"); false when the library cannot be loaded or lacks it.
bool ReadLibraryResource(const std::string& libraryPath, const std::string& name, const std::string& type,
                         std::vector<uint8_t>& bytes);

// Load the bitmap or the animation. A library that cannot be loaded shows
// "Could not load <file name> library file." and answers false; the target
// is then left empty.
bool LoadLibraryBitmap(TMessageService& messages, const std::string& libraryPath, const std::string& name,
                       TBitmap& target);
bool LoadLibraryAnimation(TMessageService& messages, const std::string& libraryPath, const std::string& name,
                          const std::string& type, TGIFImage& target);

} // namespace fl
