// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/ProgressDialog.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace fl {

TfrmProgress::TfrmProgress(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint)
{
    setObjectName("frmProgress");
    setWindowTitle(QApplication::applicationDisplayName());
    auto* layout = new QVBoxLayout(this);
    lblFileName_ = new QLabel(this);
    lblFileName_->setObjectName("lblFileName");
    lblFileName_->setAlignment(Qt::AlignCenter);
    lblFileName_->setMinimumWidth(320);
    layout->addWidget(lblFileName_);
    prgBar_ = new QProgressBar(this);
    prgBar_->setObjectName("prgBar");
    layout->addWidget(prgBar_);
    btnCancel_ = new QPushButton(tr("Cancel"), this);
    btnCancel_->setObjectName("btnCancel");
    layout->addWidget(btnCancel_, 0, Qt::AlignHCenter);
    connect(btnCancel_, &QPushButton::clicked, this, [this] { Cancel(); });
}

void TfrmProgress::SetText(const QString& text)
{
    lblFileName_->setText(text);
}

void TfrmProgress::SetRange(int minimum, int maximum)
{
    prgBar_->setRange(minimum, std::max(minimum, maximum));
    prgBar_->setValue(minimum);
}

void TfrmProgress::SetPosition(int position)
{
    prgBar_->setValue(position);
    QApplication::processEvents();
}

} // namespace fl
