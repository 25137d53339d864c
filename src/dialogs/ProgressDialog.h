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

// The window that started long work takes no input while it runs; whatever
// ends it, the window is enabled again.
class TDisabledWhile {
public:
    explicit TDisabledWhile(QWidget& window) : window_(window) { window_.setEnabled(false); }
    ~TDisabledWhile() { window_.setEnabled(true); }
    TDisabledWhile(const TDisabledWhile&) = delete;
    TDisabledWhile& operator=(const TDisabledWhile&) = delete;

private:
    QWidget& window_;
};

} // namespace fl
