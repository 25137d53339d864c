// SPDX-License-Identifier: GPL-3.0-or-later
// A shared library loaded at run time, released when the object goes.
#pragma once

#include <string>

namespace fl {

class TSharedLibrary {
public:
    // Loads the library at the path; Loaded() tells whether that worked and
    // Error() why not.
    explicit TSharedLibrary(const std::string& path);
    ~TSharedLibrary();
    TSharedLibrary(const TSharedLibrary&) = delete;
    TSharedLibrary& operator=(const TSharedLibrary&) = delete;

    bool Loaded() const { return handle_ != nullptr; }
    // The system's reason for the last failure, for logs; empty otherwise.
    const std::string& Error() const { return error_; }
    // The address of an exported symbol, or null (also when not loaded).
    void* Symbol(const std::string& name);

private:
    void* handle_ = nullptr;
    std::string error_;
};

} // namespace fl
