// SPDX-License-Identifier: GPL-3.0-or-later
// The companion library's resource table, written at build time from the
// files in art/ (EmbedArtwork.cmake).
#pragma once

#include <cstddef>

struct TReellibResource {
    const char* Name;
    const char* Type;
    const unsigned char* Data;
    size_t Size;
};

extern const TReellibResource reellibResources[];
extern const size_t reellibResourceCount;
