// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/VideoImportDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "dialogs/DialogButtons.h"

namespace fl {

namespace {

// Frames an animation of this many may take long to make and to play.
constexpr int ManyFrames = 1000;

} // namespace

TVideoImportDialog::TVideoImportDialog(const QString& fileName, const TVideoFacts& facts, QWidget* parent)
    : QDialog(parent), facts_(facts)
{
    setWindowTitle(tr("Import Video"));
    setObjectName("frmVideoImport");
    // Room for the facts on two lines at any font size.
    setMinimumWidth(fontMetrics().averageCharWidth() * 52);
    auto* layout = new QVBoxLayout(this);

    QString about = tr("%1\n%2 x %3 pixels").arg(fileName).arg(facts.Width).arg(facts.Height);
    if (facts.Seconds > 0)
        about += tr(", %1 seconds").arg(facts.Seconds, 0, 'f', 2);
    if (facts.FramesPerSecond > 0)
        about += tr(", %1 frames a second").arg(facts.FramesPerSecond, 0, 'f', 2);
    auto* lblAbout = new QLabel(about, this);
    lblAbout->setObjectName("lblAbout");
    lblAbout->setWordWrap(true);
    layout->addWidget(lblAbout);

    auto* form = new QFormLayout;
    const double length = facts.Seconds > 0 ? facts.Seconds : 1e6;
    edtFrom_ = new QDoubleSpinBox(this);
    edtFrom_->setObjectName("edtFrom");
    edtTo_ = new QDoubleSpinBox(this);
    edtTo_->setObjectName("edtTo");
    for (QDoubleSpinBox* edit : {edtFrom_, edtTo_}) {
        edit->setDecimals(2);
        edit->setRange(0, length);
        edit->setSingleStep(0.5);
        edit->setSuffix(tr(" s"));
    }
    edtTo_->setValue(length);
    form->addRow(tr("&From:"), edtFrom_);
    form->addRow(tr("&To:"), edtTo_);

    cbRate_ = new QComboBox(this);
    cbRate_->setObjectName("cbRate");
    cbRate_->addItem(facts.FramesPerSecond > 0
                         ? tr("As the video (%1 a second)").arg(facts.FramesPerSecond, 0, 'g', 4)
                         : tr("As the video"),
                     0.0);
    for (const double rate : Rates)
        if (facts.FramesPerSecond <= 0 || rate < facts.FramesPerSecond - 0.01)
            cbRate_->addItem(tr("%1 a second").arg(rate), rate);
    if (facts.FramesPerSecond > FastestRate)
        cbRate_->setCurrentIndex(cbRate_->findData(30.0));
    form->addRow(tr("Frame &rate:"), cbRate_);
    layout->addLayout(form);

    chkChanges_ = new QCheckBox(tr("&Store only what changes from frame to frame"), this);
    chkChanges_->setObjectName("chkChanges");
    chkChanges_->setChecked(true);
    chkChanges_->setToolTip(tr("Smaller files: the parts of a frame that repeat the frame before are left out"));
    layout->addWidget(chkChanges_);

    lblFrames_ = new QLabel(this);
    lblFrames_->setObjectName("lblFrames");
    lblFrames_->setWordWrap(true);
    layout->addWidget(lblFrames_);

    const TDialogButtons buttons = MakeDialogButtons(*this);
    layout->addLayout(buttons.Row);

    connect(edtFrom_, &QDoubleSpinBox::valueChanged, this, [this](double from) {
        if (edtTo_->value() <= from)
            edtTo_->setValue(std::min(edtTo_->maximum(), from + 1));
        Refresh();
    });
    connect(edtTo_, &QDoubleSpinBox::valueChanged, this, [this] { Refresh(); });
    connect(cbRate_, &QComboBox::currentIndexChanged, this, [this] { Refresh(); });
    Refresh();
    edtFrom_->setFocus();
}

TVideoImportOptions TVideoImportDialog::Options() const
{
    TVideoImportOptions options;
    options.From = edtFrom_->value();
    options.To = facts_.Seconds > 0 && edtTo_->value() >= facts_.Seconds ? 0 : edtTo_->value();
    options.FramesPerSecond = cbRate_->currentData().toDouble();
    options.Optimize = chkChanges_->isChecked();
    return options;
}

int TVideoImportDialog::EstimatedFrames() const
{
    const double rate = cbRate_->currentData().toDouble() > 0 ? cbRate_->currentData().toDouble()
                                                               : facts_.FramesPerSecond;
    const double seconds = std::max(0.0, edtTo_->value() - edtFrom_->value());
    return rate > 0 ? int(std::ceil(seconds * rate - 1e-6)) : 0;
}

void TVideoImportDialog::Refresh()
{
    const int frames = EstimatedFrames();
    QString text = frames > 0 ? tr("About %1 frames.").arg(frames) : QString();
    if (frames > ManyFrames)
        text += tr(" That many take long to make and make a large file: a shorter part or a lower rate helps.");
    lblFrames_->setText(text);
    if (QPushButton* ok = findChild<QPushButton*>("btnOK"))
        ok->setEnabled(edtTo_->value() > edtFrom_->value());
}

} // namespace fl
