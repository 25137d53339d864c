// SPDX-License-Identifier: GPL-3.0-or-later
// Yes/No/Cancel questions whose answer the user can make the default, so
// that they are not asked again.
#pragma once

#include <string>

namespace fl {

class TMessageService;
class TSettingsStore;

// The setting that remembers the answer to the dropped-image question: 6
// include the frames in the current animation, 7 start a new animation,
// anything else ask. Its question shows "&Include" and "&Start New".
inline constexpr const char* KeyDropImageDefault = "DropImageDefault";

// Answers the remembered answer (mrYes or mrNo, stored under the setting in
// the "Settings" section) without asking. Otherwise asks the confirmation
// with Yes, No and Cancel and a check box with the caption; when the box is
// ticked and the answer is not Cancel, the answer is remembered. Answers the
// modal result.
int ShowDefaultableMessage(TMessageService& messages, TSettingsStore& settings, const std::string& message,
                           const std::string& checkBoxCaption, const std::string& settingName);

} // namespace fl
