// SPDX-License-Identifier: GPL-3.0-or-later
// Reports the animation model's warnings to the user while the "Warnings"
// setting is on: Ignore goes on, All goes on and stops the reports for good,
// Abort (or closing the box) ends the model's operation with an error.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "gif/GIFImage.h"

namespace fl {

class TMessageService;
class TSettingsStore;

inline constexpr const char* AbortedProcessMessage = "This process has been aborted.";

// The text of the box for a warning of the severity (0 special comments,
// 1 a warning, 2 an error) from an item of the named class.
std::string WarningText(int severity, const std::string& className, const std::string& message);
// The class name of the item that warned; the animation itself for none.
std::string WarningSourceName(const TGIFItem* sender);

// A handler for TGIFImage::WarningHandler. It reports while *enabled holds;
// the All answer clears it, writes "Warnings" 0 and calls allAnswered, so
// that the owner removes the handler once its call has returned.
TGIFWarning MakeWarningHandler(TMessageService& messages, TSettingsStore& settings,
                               std::shared_ptr<bool> enabled, std::function<void()> allAnswered);

} // namespace fl
