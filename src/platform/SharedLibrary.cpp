// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SharedLibrary.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace fl {

#ifdef _WIN32

namespace {

std::wstring Widen(const std::string& text)
{
    if (text.empty())
        return {};
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

} // namespace

TSharedLibrary::TSharedLibrary(const std::string& path)
{
    // No error box from the system for a missing or damaged file: the caller
    // reports it in its own words.
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    handle_ = LoadLibraryW(Widen(path).c_str());
    SetErrorMode(previous);
    if (!handle_)
        error_ = "LoadLibrary failed with error " + std::to_string(GetLastError());
}

TSharedLibrary::~TSharedLibrary()
{
    if (handle_)
        FreeLibrary(static_cast<HMODULE>(handle_));
}

void* TSharedLibrary::Symbol(const std::string& name)
{
    if (!handle_)
        return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name.c_str()));
}

#else

TSharedLibrary::TSharedLibrary(const std::string& path)
{
    if (path.empty()) {
        error_ = "No library file given";
        return;
    }
    // A name without a folder would make dlopen search the system's library
    // folders; the caller always means a file, here the current folder's.
    const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
    // RTLD_LOCAL keeps the library's symbols from resolving anyone else's.
    handle_ = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* reason = dlerror();
        error_ = reason ? reason : "dlopen failed";
    }
}

TSharedLibrary::~TSharedLibrary()
{
    if (handle_)
        dlclose(handle_);
}

void* TSharedLibrary::Symbol(const std::string& name)
{
    if (!handle_)
        return nullptr;
    dlerror();
    return dlsym(handle_, name.c_str());
}

#endif

} // namespace fl
