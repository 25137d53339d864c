// SPDX-License-Identifier: GPL-3.0-or-later
// The companion library's one export: the program loads the library, finds
// a resource, copies its bytes and releases the library again.
#include "Reellib.h"

#include <cctype>

#ifdef _WIN32
#define REELLIB_EXPORT __declspec(dllexport)
#else
#define REELLIB_EXPORT __attribute__((visibility("default")))
#endif

namespace {

// Resource names and types compare without regard to case, as the
// system's resource lookup on Windows does.
bool SameName(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b)
        if (std::toupper(static_cast<unsigned char>(*a)) != std::toupper(static_cast<unsigned char>(*b)))
            return false;
    return *a == *b;
}

} // namespace

// Answers 1 and the resource's bytes (valid while the library stays loaded),
// or 0 when the library holds no such resource or an argument is null.
extern "C" REELLIB_EXPORT int ReellibFindResource(const char* name, const char* type,
                                                  const unsigned char** data, size_t* size)
{
    if (!name || !type || !data || !size)
        return 0;
    for (size_t i = 0; i < reellibResourceCount; ++i) {
        const TReellibResource& resource = reellibResources[i];
        if (SameName(resource.Name, name) && SameName(resource.Type, type)) {
            *data = resource.Data;
            *size = resource.Size;
            return 1;
        }
    }
    return 0;
}
