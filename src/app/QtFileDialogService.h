// SPDX-License-Identifier: GPL-3.0-or-later
// The file dialog service of the running program: Qt's own (non-native)
// file dialog, so that the program can add a preview pane to it.
#pragma once

#include <QStringList>

#include "platform/FileDialogService.h"

class QFileDialog;
class QWidget;

namespace fl {

// The program writes filters as "Description|*.a;*.b|Description|*.c";
// Qt wants one "Description (*.a *.b)" entry per filter. A description
// that already ends with its own patterns in parentheses keeps them once.
// A description without patterns (a trailing odd part) matches every file.
QStringList ConvertFileFilter(const std::string& filter);

class TQtFileDialogService : public TFileDialogService {
public:
    explicit TQtFileDialogService(QWidget* parent = nullptr) : parent_(parent) {}
    ~TQtFileDialogService() override = default;
    TQtFileDialogService(const TQtFileDialogService&) = delete;
    TQtFileDialogService& operator=(const TQtFileDialogService&) = delete;

    void SetParent(QWidget* parent) { parent_ = parent; }

    TFileDialogAnswer Run(const TFileDialogRequest& request) override;

protected:
    // Called with the dialog set up for the request, just before it is
    // shown: a subclass adds its own widgets (the open dialog's preview
    // pane) here. The dialog lives until Run returns.
    virtual void PrepareDialog(QFileDialog& dialog, const TFileDialogRequest& request);
    // Called once the dialog has closed, accepted or not, while it still
    // exists: a subclass releases what PrepareDialog added.
    virtual void DialogClosed(QFileDialog& dialog);

private:
    QWidget* parent_;
};

} // namespace fl
