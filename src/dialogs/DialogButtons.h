// SPDX-License-Identifier: GPL-3.0-or-later
// The OK and Cancel buttons every dialog of the program ends with: OK is the
// default (Return), Cancel rejects (as Escape does), both at the right.
#pragma once

class QDialog;
class QHBoxLayout;
class QPushButton;

namespace fl {

struct TDialogButtons {
    QPushButton* OK = nullptr;
    QPushButton* Cancel = nullptr;
    // The row holding them, for the dialog's layout.
    QHBoxLayout* Row = nullptr;
};

TDialogButtons MakeDialogButtons(QDialog& dialog);

} // namespace fl
