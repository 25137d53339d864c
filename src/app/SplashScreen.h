// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up window: the "SPLASH" picture of the companion library and a
// "&Start" button, shown modally before the main window.
#pragma once

#include <QDialog>
#include <string>

class QLabel;

namespace fl {

class TMessageService;

class TSplashScreen : public QDialog {
    Q_OBJECT
public:
    // A library that cannot be loaded is reported through the messages and
    // leaves the picture empty.
    TSplashScreen(TMessageService& messages, const std::string& libraryPath, QWidget* parent = nullptr);
    // Whether the picture was loaded.
    bool HasPicture() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* picture_ = nullptr;
};

} // namespace fl
