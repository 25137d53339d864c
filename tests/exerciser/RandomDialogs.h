// SPDX-License-Identifier: GPL-3.0-or-later
// The exerciser's user in the program's own dialogs: a few random inputs on
// the dialog's fields, boxes, lists, buttons and pictures, then OK or
// Cancel. Nested dialogs (a button that opens another) are answered the
// same way, up to a depth.
#pragma once

#include <functional>
#include <string>

#include "app/DialogRunner.h"
#include "exerciser/RandomServices.h"

class QWidget;

namespace fl::exerciser {

class TRandomDialogRunner final : public TDialogRunner {
public:
    int Run(QDialog& dialog) override;

    TRandom* Random = nullptr;
    std::function<void(const std::string& line)> Log;
    // Told when a dialog opens while the hourglass shows (it must not).
    std::function<bool()> Busy;
    std::string Broken;

private:
    void Poke(QDialog& dialog);
    int depth_ = 0;
};

} // namespace fl::exerciser
