// SPDX-License-Identifier: GPL-3.0-or-later
// The animated logo over the empty client area after start-up. The
// engine's player draws it into a bitmap from its own thread; every drawing
// step reaches the main thread through the sync queue, where the label
// showing it takes the new picture after each frame.
#include <QLabel>
#include <QMdiArea>
#include <QPixmap>
#include <cstdlib>

#include "app/BitmapImage.h"
#include "app/MainWindow.h"
#include "document/EditorContext.h"
#include "editing/LibraryResources.h"
#include "gif/GIFImage.h"
#include "gif/GIFPainter.h"
#include "platform/Canvas.h"
#include "platform/MessageService.h"

namespace fl {

namespace {

constexpr const char* LogoResource = "ANIMATED";
constexpr const char* LogoResourceType = "GIF";
constexpr int LogoInset = 2;

} // namespace

void TfrmMain::ShowStartupLogo()
{
    if (logo_ || context_->DocumentCount() > 0)
        return;
    auto image = std::make_unique<TGIFImage>();
    {
        TBusyCursor busy(services_.Messages);
        if (!LoadLibraryAnimation(services_.Messages, services_.ProgramFolder + CompanionLibraryFileName(),
                                  LogoResource, LogoResourceType, *image))
            return;
    }
    if (image->IsEmpty())
        return;
    image->PlayClock = services_.PlayClock;
    image->OnAfterFrame = [this](TGIFPainter&) { ShowLogoFrame(); };
    logoBitmap_ = std::make_unique<TBitmap>(image->Width(), image->Height(), TPixelFormat::pf32bit);
    logoCanvas_ = std::make_unique<TCanvas>(*logoBitmap_);
    logoCanvas_->FillRect(logoCanvas_->ClipRect(), 0x00FFFFFF);
    logo_ = std::move(image);

    mdiArea_->setBackground(Qt::white);
    imgAni_->setParent(pnlSplash_);
    imgAni_->setFixedSize(logo_->Width(), logo_->Height());
    PlaceStartupLogo();
    ShowLogoFrame();
    imgAni_->show();
    pnlSplash_->show();
    pnlSplash_->raise();
    logoShownFor_.start();
    if (TGIFPainter* player =
            logo_->StartPlayer(nullptr, *logoCanvas_, DefaultPaintFlags, logoCanvas_->ClipRect()))
        player->Resume();
}

void TfrmMain::PlaceStartupLogo()
{
    // The MDI area is already beside the frame panel, so the logo's panel
    // covers it with a small margin whichever side the frame panel is on.
    const QRect area = mdiArea_->rect().adjusted(LogoInset, LogoInset, -LogoInset, -LogoInset);
    pnlSplash_->setGeometry(area);
    imgAni_->move(std::abs(area.width() - imgAni_->width()) / 2,
                  std::abs(area.height() - imgAni_->height()) / 2);
}

void TfrmMain::ShowLogoFrame()
{
    if (logoBitmap_)
        imgAni_->setPixmap(QPixmap::fromImage(ToQImage(*logoBitmap_)));
}

void TfrmMain::HideStartupLogo()
{
    if (!logo_)
        return;
    logo_->StopAllPlayers();
    mdiArea_->setBackground(workspaceBrush_);
    pnlSplash_->hide();
    imgAni_->hide();
    imgAni_->clear();
    imgAni_->setParent(this);
    logo_.reset();
    logoCanvas_.reset();
    logoBitmap_.reset();
}

} // namespace fl
