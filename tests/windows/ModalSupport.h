// SPDX-License-Identifier: GPL-3.0-or-later
// For tests of code that shows a modal window and waits for it.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <utility>

namespace fl::test {

// Runs the action on the next modal window once it is open. Polls, since
// the window is built and shown inside the call under test; after five
// seconds without one the call showed none, and the test fails on its
// answer rather than hanging here.
inline void OnModal(std::function<void(QWidget&)> action, int triesLeft = 500)
{
    QTimer::singleShot(triesLeft == 500 ? 0 : 10, [action = std::move(action), triesLeft]() mutable {
        if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->isVisible())
            action(*modal);
        else if (triesLeft > 0)
            OnModal(std::move(action), triesLeft - 1);
    });
}

} // namespace fl::test
