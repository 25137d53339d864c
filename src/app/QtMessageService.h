// SPDX-License-Identifier: GPL-3.0-or-later
// The message service of the running program: modal QMessageBox boxes, the
// system beep and the wait cursor.
#pragma once

#include <QString>

#include "platform/MessageService.h"

class QWidget;

namespace fl {

// The caption a button shows when the request gives none ("&Yes", "OK", ...).
QString StandardButtonCaption(TMsgDlgBtn button);

class TQtMessageService final : public TMessageService {
public:
    // Boxes are centred on the parent (the main window once it exists), or
    // on the screen without one.
    explicit TQtMessageService(QWidget* parent = nullptr) : parent_(parent) {}
    ~TQtMessageService() override;
    TQtMessageService(const TQtMessageService&) = delete;
    TQtMessageService& operator=(const TQtMessageService&) = delete;

    void SetParent(QWidget* parent) { parent_ = parent; }

    TMessageAnswer Ask(const TMessageRequest& request) override;
    void Beep() override;
    void BeginBusy() override;
    void EndBusy() override;

    int BusyDepth() const { return busyDepth_; }

private:
    QWidget* parent_;
    int busyDepth_ = 0;
};

} // namespace fl
