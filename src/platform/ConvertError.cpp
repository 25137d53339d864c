// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ConvertError.h"

#include <cstdlib>
#include <memory>
#include <typeinfo>

#if defined(__GNUG__)
#include <cxxabi.h>
#endif

#include "platform/Graphic.h"

namespace fl {

std::string GraphicClassName(const TGraphic& graphic)
{
    // The dynamic type tells every graphic apart, including those of layers
    // this one cannot see (documents, frames), without a name in each class.
    std::string name = typeid(graphic).name();
#if defined(__GNUG__)
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> readable(
        abi::__cxa_demangle(name.c_str(), nullptr, nullptr, &status), std::free);
    if (status == 0 && readable)
        name = readable.get();
#endif
    for (const char* prefix : {"class ", "struct "})
        if (name.rfind(prefix, 0) == 0)
            name.erase(0, std::char_traits<char>::length(prefix));
    const size_t scope = name.rfind("::");
    if (scope != std::string::npos)
        name.erase(0, scope + 2);
    return name;
}

} // namespace fl
