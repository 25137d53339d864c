// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's application object: an error a command let through to the
// event loop is shown to the user, as the program's convention has it,
// instead of ending the program with the user's work.
#pragma once

#include <QApplication>
#include <functional>
#include <string>

namespace fl {

class TEditorApplication final : public QApplication {
    Q_OBJECT
public:
    TEditorApplication(int& argc, char** argv) : QApplication(argc, argv) {}

    // Shows an error's message (the message service's error box).
    std::function<void(const std::string& message)> OnError;

    bool notify(QObject* receiver, QEvent* event) override;

private:
    bool showingError_ = false;
};

} // namespace fl
