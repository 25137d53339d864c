// SPDX-License-Identifier: GPL-3.0-or-later
// The one way the windows show a dialog of their own modally, so that tests
// and the exerciser fill in the real dialog and answer it from a script.
#pragma once

class QDialog;

namespace fl {

class TDialogRunner {
public:
    virtual ~TDialogRunner() = default;
    // Shows the dialog modally and answers its result (QDialog::Accepted or
    // QDialog::Rejected).
    virtual int Run(QDialog& dialog) = 0;
};

// The program's runner: the dialog's own modal loop.
class TModalDialogRunner final : public TDialogRunner {
public:
    int Run(QDialog& dialog) override;
};

} // namespace fl
