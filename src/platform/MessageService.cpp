// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/MessageService.h"

#include <algorithm>

namespace fl {

int ButtonResult(TMsgDlgBtn button)
{
    switch (button) {
    case TMsgDlgBtn::mbYes:
        return mrYes;
    case TMsgDlgBtn::mbNo:
        return mrNo;
    case TMsgDlgBtn::mbOK:
        return mrOk;
    case TMsgDlgBtn::mbCancel:
        return mrCancel;
    case TMsgDlgBtn::mbAbort:
        return mrAbort;
    case TMsgDlgBtn::mbRetry:
        return mrRetry;
    case TMsgDlgBtn::mbIgnore:
        return mrIgnore;
    case TMsgDlgBtn::mbAll:
        return mrAll;
    case TMsgDlgBtn::mbNoToAll:
        return mrNoToAll;
    case TMsgDlgBtn::mbYesToAll:
        return mrYesToAll;
    }
    return mrNone;
}

int ShowMessageBox(TMessageService& service, TMsgDlgType kind, const std::string& text,
                   const std::vector<TMsgDlgBtn>& buttons)
{
    TMessageRequest request;
    request.Kind = kind;
    request.Text = text;
    for (TMsgDlgBtn button : buttons)
        request.Buttons.push_back({button, {}});
    return service.Ask(request).ModalResult;
}

void ShowErrorMessage(TMessageService& service, const std::string& text)
{
    ShowMessageBox(service, TMsgDlgType::mtError, text, {TMsgDlgBtn::mbOK});
}

TMessageAnswer TScriptedMessageService::Ask(const TMessageRequest& request)
{
    requests_.push_back(request);
    if (!answers_.empty()) {
        const TMessageAnswer answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    ++unscripted_;
    auto has = [&request](TMsgDlgBtn wanted) {
        return std::any_of(request.Buttons.begin(), request.Buttons.end(),
                           [wanted](const TMessageButton& button) { return button.Button == wanted; });
    };
    for (TMsgDlgBtn escape : {TMsgDlgBtn::mbCancel, TMsgDlgBtn::mbNo, TMsgDlgBtn::mbOK})
        if (has(escape))
            return {ButtonResult(escape), false};
    return {request.Buttons.empty() ? mrCancel : ButtonResult(request.Buttons.front().Button), false};
}

void TScriptedMessageService::BeginBusy()
{
    ++busyDepth_;
    ++busyCount_;
}

void TScriptedMessageService::EndBusy()
{
    // An unmatched end is a caller's fault; the depth never goes negative
    // so that it cannot hide a later missing end.
    if (busyDepth_ > 0)
        --busyDepth_;
}

void TScriptedMessageService::QueueAnswer(int modalResult, bool checked)
{
    answers_.push_back({modalResult, checked});
}

} // namespace fl
