// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/MessageService.h"

namespace fl {
namespace {

TEST(ScriptedMessageService, AnswersFromTheScriptThenLikeEscape)
{
    TScriptedMessageService service;
    service.QueueAnswer(mrNo, true);
    TMessageRequest request;
    request.Kind = TMsgDlgType::mtConfirmation;
    request.Text = "Continue?";
    request.Buttons = {{TMsgDlgBtn::mbYes, "&Include"}, {TMsgDlgBtn::mbNo, ""}, {TMsgDlgBtn::mbCancel, ""}};
    request.CheckBoxCaption = "Make this the &default";

    const TMessageAnswer scripted = service.Ask(request);
    EXPECT_EQ(scripted.ModalResult, mrNo);
    EXPECT_TRUE(scripted.Checked);
    EXPECT_EQ(service.UnscriptedCount(), 0);

    EXPECT_EQ(service.Ask(request).ModalResult, mrCancel);
    EXPECT_EQ(
        ShowMessageBox(service, TMsgDlgType::mtConfirmation, "q", {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}),
        mrNo);
    EXPECT_EQ(ShowMessageBox(service, TMsgDlgType::mtWarning, "w", {TMsgDlgBtn::mbRetry, TMsgDlgBtn::mbOK}),
              mrOk);
    EXPECT_EQ(
        ShowMessageBox(service, TMsgDlgType::mtWarning, "w", {TMsgDlgBtn::mbRetry, TMsgDlgBtn::mbAbort}),
        mrRetry);
    EXPECT_EQ(service.UnscriptedCount(), 4);

    ShowErrorMessage(service, "Broken");
    ASSERT_EQ(service.Requests().size(), 6u);
    EXPECT_EQ(service.Requests()[0].Buttons[0].Caption, "&Include") << "requests are recorded as asked";
    EXPECT_EQ(service.Requests()[0].CheckBoxCaption, "Make this the &default");
    const TMessageRequest& error = service.Requests().back();
    EXPECT_EQ(error.Kind, TMsgDlgType::mtError);
    EXPECT_EQ(error.Text, "Broken");
    ASSERT_EQ(error.Buttons.size(), 1u);
    EXPECT_EQ(error.Buttons[0].Button, TMsgDlgBtn::mbOK);
}

TEST(ScriptedMessageService, BusyCursorNestsAndComesBackOnErrors)
{
    TScriptedMessageService service;
    {
        TBusyCursor outer(service);
        try {
            TBusyCursor inner(service);
            EXPECT_EQ(service.BusyDepth(), 2);
            throw std::runtime_error("failed");
        } catch (const std::runtime_error&) {
        }
        EXPECT_EQ(service.BusyDepth(), 1);
    }
    EXPECT_EQ(service.BusyDepth(), 0);
    EXPECT_EQ(service.BusyCount(), 2);
    service.EndBusy();
    EXPECT_EQ(service.BusyDepth(), 0) << "an unmatched end does not go below zero";
}

TEST(MessageButtons, ResultsMatchTheStoredAnswers)
{
    // Remembered answers are stored as these results: 6 yes, 7 no.
    EXPECT_EQ(ButtonResult(TMsgDlgBtn::mbYes), 6);
    EXPECT_EQ(ButtonResult(TMsgDlgBtn::mbNo), 7);
    EXPECT_EQ(ButtonResult(TMsgDlgBtn::mbCancel), 2);
    EXPECT_EQ(ButtonResult(TMsgDlgBtn::mbYesToAll), mrYesToAll);
}

} // namespace
} // namespace fl
