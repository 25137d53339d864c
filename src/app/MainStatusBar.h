// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's status bar: panel 0 (20 pixels), panel 1 (225 pixels)
// holding the progress bar of long work, and panel 2 with hints and status
// texts.
#pragma once

#include <QStatusBar>

#include "platform/Graphic.h"

class QLabel;
class QProgressBar;

namespace fl {

class TMainStatusBar final : public QStatusBar {
    Q_OBJECT
public:
    explicit TMainStatusBar(QWidget* parent = nullptr);

    QProgressBar* ProgressBar() const { return prgBar_; }
    QWidget* Panel(int index) const;
    // Panel 2's text.
    QString HintText() const;
    void SetHintText(const QString& text);
    // Starting shows the bar at 0, Running sets the percentage, Ending hides
    // it again.
    void Progress(TProgressStage stage, int percent);

private:
    QWidget* panel0_ = nullptr;
    QWidget* panel1_ = nullptr;
    QLabel* panel2_ = nullptr;
    QProgressBar* prgBar_ = nullptr;
};

} // namespace fl
