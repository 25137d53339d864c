// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/DefaultableMessage.h"

#include <string_view>

#include "editing/FileTypes.h"
#include "platform/MessageService.h"
#include "platform/SettingsKeys.h"

namespace fl {

int ShowDefaultableMessage(TMessageService& messages, TSettingsStore& settings, const std::string& message,
                           const std::string& checkBoxCaption, const TSettingKey& setting)
{
    const int remembered = ReadIntegerSetting(settings, setting);
    if (remembered == mrYes || remembered == mrNo)
        return remembered;

    const bool dropQuestion = std::string_view(setting.Section) == KeyDropImageDefault.Section &&
                              std::string_view(setting.Name) == KeyDropImageDefault.Name;
    TMessageRequest request;
    request.Kind = TMsgDlgType::mtConfirmation;
    request.Text = message;
    request.Buttons = {{TMsgDlgBtn::mbYes, dropQuestion ? LabelText(lblInclude) : ""},
                       {TMsgDlgBtn::mbNo, dropQuestion ? LabelText(lblStartNew) : ""},
                       {TMsgDlgBtn::mbCancel, ""}};
    request.CheckBoxCaption = checkBoxCaption;
    const TMessageAnswer answer = messages.Ask(request);
    if (answer.Checked && answer.ModalResult != mrCancel)
        WriteIntegerSetting(settings, setting, answer.ModalResult);
    return answer.ModalResult;
}

} // namespace fl
