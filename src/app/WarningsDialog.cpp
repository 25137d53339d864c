// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/WarningsDialog.h"

#include <cxxabi.h>

#include <cstdlib>
#include <typeinfo>

#include "editing/TextRoutines.h"
#include "gif/GIFItem.h"
#include "platform/GIFException.h"
#include "platform/MessageService.h"
#include "platform/SettingsKeys.h"

namespace fl {

namespace {

constexpr const char* WarningPattern =
    "A GIF process has resulted in %s. The source is traced to %s with the following message: \"%s.\"";

const char* SeverityText(int severity)
{
    switch (severity) {
    case 0:
        return "special comments";
    case 1:
        return "a warning";
    default:
        return "an error";
    }
}

} // namespace

std::string WarningText(int severity, const std::string& className, const std::string& message)
{
    return FormatText(WarningPattern, {SeverityText(severity), className, message});
}

std::string WarningSourceName(const TGIFItem* sender)
{
    if (!sender)
        return "TGIFImage";
    const char* mangled = typeid(*sender).name();
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> demangled(
        abi::__cxa_demangle(mangled, nullptr, nullptr, &status), &std::free);
    std::string name = status == 0 && demangled ? demangled.get() : mangled;
    // The namespace says nothing to the user.
    if (const size_t colons = name.rfind("::"); colons != std::string::npos)
        name.erase(0, colons + 2);
    return name;
}

TGIFWarning MakeWarningHandler(TMessageService& messages, TSettingsStore& settings,
                               std::shared_ptr<bool> enabled, std::function<void()> allAnswered)
{
    return [&messages, &settings, enabled, allAnswered](TGIFImage&, TGIFItem* sender, int severity,
                                                        const std::string& message) {
        if (!*enabled)
            return;
        const int answer = ShowMessageBox(messages, TMsgDlgType::mtWarning,
                                          WarningText(severity, WarningSourceName(sender), message),
                                          {TMsgDlgBtn::mbAbort, TMsgDlgBtn::mbIgnore, TMsgDlgBtn::mbAll});
        if (answer == mrIgnore)
            return;
        if (answer == mrAll) {
            WriteIntegerSetting(settings, KeyWarnings, 0);
            *enabled = false;
            if (allAnswered)
                allAnswered();
            return;
        }
        throw GIFException(AbortedProcessMessage);
    };
}

} // namespace fl
