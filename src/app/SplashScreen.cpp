// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SplashScreen.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

#include "app/BitmapImage.h"
#include "editing/LibraryResources.h"
#include "platform/Bitmap.h"

namespace fl {

namespace {

// The size the picture area keeps when the library gave no picture, so that
// the window still looks like itself.
constexpr int emptyWidth = 420;
constexpr int emptyHeight = 260;

} // namespace

TSplashScreen::TSplashScreen(TMessageService& messages, const std::string& libraryPath, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Quillmark Frameloom 4.0"));
    setModal(true);
    // A start-up window has nothing to resize or minimize.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    picture_ = new QLabel(this);
    picture_->setObjectName(QStringLiteral("imgSplash"));
    picture_->setAlignment(Qt::AlignCenter);
    picture_->setFrameShape(QFrame::StyledPanel);
    TBitmap bitmap;
    if (LoadLibraryBitmap(messages, libraryPath, "SPLASH", bitmap)) {
        const QImage image = ToQImage(bitmap);
        if (!image.isNull())
            picture_->setPixmap(QPixmap::fromImage(image));
    }
    if (!HasPicture())
        picture_->setMinimumSize(emptyWidth, emptyHeight);

    auto* start = new QPushButton(QStringLiteral("&Start"), this);
    start->setObjectName(QStringLiteral("btnStart"));
    start->setDefault(true);
    start->setAutoDefault(true);
    connect(start, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(start);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(picture_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    start->setFocus();
}

bool TSplashScreen::HasPicture() const
{
    return !picture_->pixmap().isNull();
}

void TSplashScreen::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Centred on the screen rather than on a parent: it comes before the
    // main window.
    if (event->spontaneous())
        return;
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

} // namespace fl
