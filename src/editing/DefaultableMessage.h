// SPDX-License-Identifier: GPL-3.0-or-later
// Yes/No/Cancel questions whose answer the user can make the default, so
// that they are not asked again.
#pragma once

#include <string>

#include "platform/SettingsKeys.h"

namespace fl {

class TMessageService;

// Answers the remembered answer (mrYes or mrNo, stored under the integer
// setting) without asking. Otherwise asks the confirmation with Yes, No and
// Cancel and a check box with the caption; when the box is ticked and the
// answer is not Cancel, the answer is remembered. Answers the modal result.
// The dropped-image question (KeyDropImageDefault: 6 include the frames in
// the current animation, 7 start a new animation) shows "&Include" and
// "&Start New" for Yes and No.
int ShowDefaultableMessage(TMessageService& messages, TSettingsStore& settings, const std::string& message,
                           const std::string& checkBoxCaption, const TSettingKey& setting);

} // namespace fl
