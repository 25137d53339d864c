// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/EditorApplication.h"

#include <exception>

namespace fl {

bool TEditorApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        if (OnError)
            OnError(error.what());
    } catch (...) {
        if (OnError)
            OnError("An unexpected error occurred.");
    }
    return false;
}

} // namespace fl
