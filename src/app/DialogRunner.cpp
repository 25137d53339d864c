// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DialogRunner.h"

#include <QDialog>

namespace fl {

int TModalDialogRunner::Run(QDialog& dialog)
{
    return dialog.exec();
}

} // namespace fl
