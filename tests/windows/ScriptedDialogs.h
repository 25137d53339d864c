// SPDX-License-Identifier: GPL-3.0-or-later
// The program's own dialogs answered from a script: each Run shows the real
// dialog, hands it to the next script (which fills it in and presses its
// buttons) and answers how it closed; without a script it is cancelled, as
// with Escape. A script may open a nested dialog, which takes the next one.
#pragma once

#include <QApplication>
#include <QDialog>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "app/DialogRunner.h"

namespace fl::test {

class TScriptedDialogRunner final : public TDialogRunner {
public:
    using TScript = std::function<void(QDialog&)>;

    void Push(TScript script) { scripts_.push_back(std::move(script)); }
    int Run(QDialog& dialog) override
    {
        titles_.push_back(dialog.windowTitle().toStdString());
        dialog.show();
        QApplication::processEvents();
        if (!scripts_.empty()) {
            TScript script = std::move(scripts_.front());
            scripts_.pop_front();
            script(dialog);
        }
        if (dialog.isVisible())
            dialog.reject();
        return dialog.result();
    }
    // The captions of the dialogs run, in order.
    const std::vector<std::string>& Titles() const { return titles_; }
    bool Pending() const { return !scripts_.empty(); }

private:
    std::deque<TScript> scripts_;
    std::vector<std::string> titles_;
};

} // namespace fl::test
