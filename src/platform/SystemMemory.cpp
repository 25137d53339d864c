// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SystemMemory.h"

#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace fl {

uint64_t PhysicalMemoryBytes()
{
#ifdef _WIN32
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) ? status.ullTotalPhys : 0;
#else
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    return pages > 0 && pageSize > 0 ? uint64_t(pages) * uint64_t(pageSize) : 0;
#endif
}

std::string FormatByteSize(uint64_t bytes)
{
    static const char* const units[] = {"bytes", "KiB", "MiB", "GiB", "TiB"};
    double size = double(bytes);
    int unit = 0;
    while (size >= 1024 && unit < 4) {
        size /= 1024;
        ++unit;
    }
    char text[32];
    if (unit == 0)
        std::snprintf(text, sizeof text, "%llu bytes", static_cast<unsigned long long>(bytes));
    else
        std::snprintf(text, sizeof text, size < 10 ? "%.1f %s" : "%.0f %s", size, units[unit]);
    return text;
}

} // namespace fl
