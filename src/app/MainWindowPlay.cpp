// SPDX-License-Identifier: GPL-3.0-or-later
// Playing the active animation in its document window.
#include "app/MainWindow.h"

namespace fl {

void TfrmMain::PausePreview()
{
}

void TfrmMain::StopPreview()
{
}

} // namespace fl
