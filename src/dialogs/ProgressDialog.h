// SPDX-License-Identifier: GPL-3.0-or-later
// The progress window of long exports (TfrmProgress): a label, a progress
// bar and Cancel. It is shown, not run modally: the work runs on the main
// thread and lets the window's events through between its steps, while the
// window that started it stays disabled.
#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace fl {

class TfrmProgress final : public QDialog {
    Q_OBJECT
public:
    explicit TfrmProgress(QWidget* parent = nullptr);

    void SetText(const QString& text);
    void SetRange(int minimum, int maximum);
    // Moves the bar and lets pending events (a click on Cancel) through.
    void SetPosition(int position);
    bool Cancelled() const { return cancelled_; }
    void Cancel() { cancelled_ = true; }

protected:
    // Escape and the close box cancel; the window stays until the work ends.
    void reject() override { Cancel(); }

private:
    QLabel* lblFileName_ = nullptr;
    QProgressBar* prgBar_ = nullptr;
    QPushButton* btnCancel_ = nullptr;
    bool cancelled_ = false;
};

} // namespace fl
