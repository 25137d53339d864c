// SPDX-License-Identifier: GPL-3.0-or-later
// The one way the program asks the user something: every modal question,
// error box and beep goes through a message service, so that the routines
// behind them run without a window and tests answer them from a script.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace fl {

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// The buttons a box can show, in the order the box shows them.
enum class TMsgDlgBtn {
    mbYes,
    mbNo,
    mbOK,
    mbCancel,
    mbAbort,
    mbRetry,
    mbIgnore,
    mbAll,
    mbNoToAll,
    mbYesToAll
};

// Modal results. Yes and No (6 and 7) are also what remembered answers
// store in the settings.
inline constexpr int mrNone = 0;
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;
inline constexpr int mrAbort = 3;
inline constexpr int mrRetry = 4;
inline constexpr int mrIgnore = 5;
inline constexpr int mrYes = 6;
inline constexpr int mrNo = 7;
inline constexpr int mrAll = 8;
inline constexpr int mrNoToAll = 9;
inline constexpr int mrYesToAll = 10;

// The modal result a button closes its box with.
int ButtonResult(TMsgDlgBtn button);

struct TMessageButton {
    TMsgDlgBtn Button = TMsgDlgBtn::mbOK;
    // Empty: the button's standard caption ("&Yes", "OK", ...).
    std::string Caption;
};

struct TMessageRequest {
    TMsgDlgType Kind = TMsgDlgType::mtInformation;
    std::string Text;
    std::vector<TMessageButton> Buttons;
    // Empty: no check box. Otherwise a check box with this caption sits
    // below the text, unticked when the box opens.
    std::string CheckBoxCaption;
};

struct TMessageAnswer {
    int ModalResult = mrNone;
    // Whether the check box was ticked when the box closed.
    bool Checked = false;
};

class TMessageService {
public:
    virtual ~TMessageService() = default;

    // Shows a modal box and answers how it was closed. Closing it without a
    // button (Escape, the close box) answers mrCancel.
    virtual TMessageAnswer Ask(const TMessageRequest& request) = 0;
    virtual void Beep() = 0;
    // The hourglass cursor. Calls nest: the cursor comes back when every
    // BeginBusy has had its EndBusy. Use TBusyCursor rather than these.
    virtual void BeginBusy() = 0;
    virtual void EndBusy() = 0;
};

// Shows the hourglass for its lifetime, so that every way out of a routine,
// a thrown error included, restores the cursor.
class TBusyCursor {
public:
    explicit TBusyCursor(TMessageService& service) : service_(service) { service_.BeginBusy(); }
    ~TBusyCursor() { service_.EndBusy(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;

private:
    TMessageService& service_;
};

// A box with standard buttons and no check box; answers the modal result.
int ShowMessageBox(TMessageService& service, TMsgDlgType kind, const std::string& text,
                   const std::vector<TMsgDlgBtn>& buttons);
// An error box with an OK button.
void ShowErrorMessage(TMessageService& service, const std::string& text);

// Answers questions from a script and records every request, for tests and
// for running the editor's routines unattended.
class TScriptedMessageService final : public TMessageService {
public:
    TMessageAnswer Ask(const TMessageRequest& request) override;
    void Beep() override { ++beeps_; }
    void BeginBusy() override;
    void EndBusy() override;

    // Queues the answer to the next question.
    void QueueAnswer(int modalResult, bool checked = false);
    // Questions asked after the script ran out are answered as if the user
    // pressed Escape: Cancel when the box has it, else No, else OK, else
    // the first button.
    int UnscriptedCount() const { return unscripted_; }
    int PendingAnswers() const { return static_cast<int>(answers_.size()); }

    const std::vector<TMessageRequest>& Requests() const { return requests_; }
    int BeepCount() const { return beeps_; }
    // Nesting depth of the hourglass now, and how often it was shown.
    int BusyDepth() const { return busyDepth_; }
    int BusyCount() const { return busyCount_; }

private:
    std::deque<TMessageAnswer> answers_;
    std::vector<TMessageRequest> requests_;
    int unscripted_ = 0;
    int beeps_ = 0;
    int busyDepth_ = 0;
    int busyCount_ = 0;
};

} // namespace fl
