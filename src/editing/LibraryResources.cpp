// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/LibraryResources.h"

#include <cstddef>
#include <exception>
#include <filesystem>

#include "gif/GIFImage.h"
#include "platform/Bitmap.h"
#include "platform/BmpCodec.h"
#include "platform/MessageService.h"
#include "platform/SharedLibrary.h"
#include "platform/Stream.h"

namespace fl {

namespace {

// The one function the companion library exports (resources/reellib): it
// answers 1 and points at the bytes of the named resource, which stay valid
// while the library is loaded, or 0 when it has none. Names and types
// compare without regard to case.
using TFindResource = int (*)(const char* name, const char* type, const unsigned char** data, size_t* size);
constexpr const char* findResourceSymbol = "ReellibFindResource";

// Our artwork is a few hundred kilobytes; a larger answer can only come
// from a damaged or foreign library and is not copied.
constexpr size_t maxResourceBytes = size_t(64) << 20;

std::string LibraryDisplayName(const std::string& libraryPath)
{
    const std::string name = std::filesystem::path(libraryPath).filename().string();
    return name.empty() ? CompanionLibraryFileName() : name;
}

// A library that loads but lacks the resource or holds damaged bytes gets
// the same message as a missing one: either way the installed file is not
// the one the program needs, and the remedy (installing it again) is the
// same, whereas an empty picture without a word would hide the fault.
void ReportLibraryFailure(TMessageService& messages, const std::string& libraryPath)
{
    ShowErrorMessage(messages, "Could not load " + LibraryDisplayName(libraryPath) + " library file.");
}

} // namespace

std::string CompanionLibraryFileName()
{
#ifdef _WIN32
    return "Reellib.dll";
#elif defined(__APPLE__)
    return "libReellib.dylib";
#else
    return "libReellib.so";
#endif
}

bool ReadLibraryResource(const std::string& libraryPath, const std::string& name, const std::string& type,
                         std::vector<uint8_t>& bytes)
{
    bytes.clear();
    TSharedLibrary library(libraryPath);
    if (!library.Loaded())
        return false;
    const auto find = reinterpret_cast<TFindResource>(library.Symbol(findResourceSymbol));
    if (!find)
        return false;
    const unsigned char* data = nullptr;
    size_t size = 0;
    if (find(name.c_str(), type.c_str(), &data, &size) == 0 || !data || size == 0 || size > maxResourceBytes)
        return false;
    // Copied now: the bytes belong to the library, which goes with this scope.
    bytes.assign(data, data + size);
    return true;
}

bool LoadLibraryBitmap(TMessageService& messages, const std::string& libraryPath, const std::string& name,
                       TBitmap& target)
{
    std::vector<uint8_t> bytes;
    if (ReadLibraryResource(libraryPath, name, "BITMAP", bytes)) {
        try {
            target = ReadBMP(bytes.data(), bytes.size(), TBMPLayout::File);
            return true;
        } catch (const std::exception&) {
            // Damaged bytes: reported below like a missing resource.
        }
    }
    target = TBitmap();
    ReportLibraryFailure(messages, libraryPath);
    return false;
}

bool LoadLibraryAnimation(TMessageService& messages, const std::string& libraryPath, const std::string& name,
                          const std::string& type, TGIFImage& target)
{
    std::vector<uint8_t> bytes;
    if (ReadLibraryResource(libraryPath, name, type, bytes)) {
        try {
            TMemoryStream stream(bytes.data(), bytes.size());
            target.LoadFromStream(stream);
            if (!target.IsEmpty())
                return true;
        } catch (const std::exception&) {
            // Damaged bytes: reported below like a missing resource.
        }
    }
    target.Reset();
    ReportLibraryFailure(messages, libraryPath);
    return false;
}

} // namespace fl
