// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "gif/Extensions.h"

namespace fl {

// Label -> extension class. Holds the four standard extensions from the
// start; the most recent registration of a label wins.
void RegisterExtension(uint8_t label, const TGIFExtensionClass& extensionClass);
void UnregisterExtension(const TGIFExtensionClass& extensionClass);
const TGIFExtensionClass* FindExtensionClass(uint8_t label);

// Application identifier -> application extension class. Holds
// "NETSCAPE2.0" and "ANIMEXTS1.0" (both the loop extension) from the start.
void RegisterApplication(const TGIFApplicationId& id, const TGIFExtensionClass& extensionClass);
void UnregisterApplication(const TGIFExtensionClass& extensionClass);
const TGIFExtensionClass* FindApplicationClass(const TGIFApplicationId& id);

// The class that reads the extension at the stream position ("!" already
// consumed, the label next); the position is restored. None for a label or
// application header nobody reads.
const TGIFExtensionClass* ResolveExtensionClass(TStream& stream);

} // namespace fl
