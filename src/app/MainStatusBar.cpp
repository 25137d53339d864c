// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainStatusBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <algorithm>

namespace fl {

namespace {

constexpr int Panel0Width = 20;
constexpr int Panel1Width = 225;
constexpr int BarHeight = 19;

} // namespace

TMainStatusBar::TMainStatusBar(QWidget* parent) : QStatusBar(parent)
{
    setObjectName("StatusBar");
    setSizeGripEnabled(true);
    setMinimumHeight(BarHeight);

    panel0_ = new QWidget(this);
    panel0_->setObjectName("StatusPanel0");
    panel0_->setFixedWidth(Panel0Width);
    addWidget(panel0_);

    panel1_ = new QWidget(this);
    panel1_->setObjectName("StatusPanel1");
    panel1_->setFixedWidth(Panel1Width);
    auto* layout = new QHBoxLayout(panel1_);
    layout->setContentsMargins(1, 1, 1, 1);
    prgBar_ = new QProgressBar(panel1_);
    prgBar_->setObjectName("prgBar");
    prgBar_->setRange(0, 100);
    prgBar_->setTextVisible(false);
    prgBar_->hide();
    layout->addWidget(prgBar_);
    addWidget(panel1_);

    panel2_ = new QLabel(this);
    panel2_->setObjectName("StatusPanel2");
    // A long status text is cut off rather than widening the main window.
    panel2_->setMinimumWidth(1);
    panel2_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    addWidget(panel2_, 1);
}

QWidget* TMainStatusBar::Panel(int index) const
{
    switch (index) {
    case 0:
        return panel0_;
    case 1:
        return panel1_;
    case 2:
        return panel2_;
    default:
        return nullptr;
    }
}

QString TMainStatusBar::HintText() const
{
    return panel2_->text();
}

void TMainStatusBar::SetHintText(const QString& text)
{
    panel2_->setText(text);
}

void TMainStatusBar::Progress(TProgressStage stage, int percent)
{
    switch (stage) {
    case TProgressStage::Starting:
        prgBar_->setValue(0);
        prgBar_->show();
        break;
    case TProgressStage::Running:
        prgBar_->setValue(std::clamp(percent, 0, 100));
        break;
    case TProgressStage::Ending:
        prgBar_->setValue(0);
        prgBar_->hide();
        break;
    }
}

} // namespace fl
