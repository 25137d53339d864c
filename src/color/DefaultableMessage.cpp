// SPDX-License-Identifier: GPL-3.0-or-later
#include "color/DefaultableMessage.h"

#include "color/FileTypes.h"
#include "platform/MessageService.h"
#include "platform/SettingsStore.h"

namespace fl {

int ShowDefaultableMessage(TMessageService& messages, TSettingsStore& settings, const std::string& message,
                           const std::string& checkBoxCaption, const std::string& settingName)
{
    const int remembered = settings.ReadInteger(SectionSettings, settingName, 0);
    if (remembered == mrYes || remembered == mrNo)
        return remembered;

    const bool dropQuestion = settingName == KeyDropImageDefault;
    TMessageRequest request;
    request.Kind = TMsgDlgType::mtConfirmation;
    request.Text = message;
    request.Buttons = {{TMsgDlgBtn::mbYes, dropQuestion ? LabelText(lblInclude) : ""},
                       {TMsgDlgBtn::mbNo, dropQuestion ? LabelText(lblStartNew) : ""},
                       {TMsgDlgBtn::mbCancel, ""}};
    request.CheckBoxCaption = checkBoxCaption;
    const TMessageAnswer answer = messages.Ask(request);
    if (answer.Checked && answer.ModalResult != mrCancel)
        settings.WriteInteger(SectionSettings, settingName, answer.ModalResult);
    return answer.ModalResult;
}

} // namespace fl
