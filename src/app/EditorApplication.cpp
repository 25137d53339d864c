// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/EditorApplication.h"

#include <cstdio>
#include <exception>

namespace fl {

bool TEditorApplication::notify(QObject* receiver, QEvent* event)
{
    std::string message;
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        message = error.what();
    } catch (...) {
        message = "An unexpected error occurred.";
    }
    // One box at a time: an error while it is shown (a repaint that fails
    // again) goes to the standard error instead of opening box after box.
    if (showingError_ || !OnError) {
        std::fprintf(stderr, "%s\n", message.c_str());
        return false;
    }
    showingError_ = true;
    OnError(message);
    showingError_ = false;
    return false;
}

} // namespace fl
