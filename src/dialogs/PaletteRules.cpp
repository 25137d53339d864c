// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/PaletteRules.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/SettingsKeys.h"

namespace fl {

namespace {

// The color counts both lists offer, in their order.
constexpr int ColorCounts[] = {256, 128, 64, 32, 16, 8};

// A "maximum number of colors" list with its label, added to the group.
QComboBox* ColorCountRow(QWidget* group, QVBoxLayout* layout, const char* caption, const char* name,
                         int stored)
{
    auto* list = new QComboBox(group);
    list->setObjectName(name);
    int selected = 0;
    for (int i = 0; i < 6; ++i) {
        list->addItem(QString::number(ColorCounts[i]));
        if (ColorCounts[i] == stored)
            selected = i;
    }
    list->setCurrentIndex(selected);
    auto* row = new QFormLayout;
    auto* label = new QLabel(caption, group);
    label->setBuddy(list);
    row->addRow(label, list);
    layout->addLayout(row);
    return list;
}

QRadioButton* Choice(QWidget* parent, const char* name, const char* caption)
{
    auto* button = new QRadioButton(caption, parent);
    button->setObjectName(name);
    return button;
}

int CountAt(const QComboBox* list)
{
    return list ? ColorCounts[std::clamp(list->currentIndex(), 0, 5)] : 256;
}

} // namespace

TPaletteRulesPanel::TPaletteRulesPanel(const TSettingsStore& settings, QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* animation = new QGroupBox("Animation Palette(s)", this);
    auto* animationLayout = new QVBoxLayout(animation);
    optPalOptimzed_ = Choice(animation, "optPalOptimzed", "Use self-&adapting global palette (Optimized)");
    optPalNetcape_ = Choice(animation, "optPalNetcape", "Use &Netscape (216 colors) web safe color cube");
    optPalLocal_ = Choice(animation, "optPalLocal", "Use &local palette for new frames");
    QRadioButton* types[] = {optPalOptimzed_, optPalNetcape_, optPalLocal_};
    const int type = ReadIntegerSetting(settings, KeyPaletteType, 0);
    types[type >= 0 && type <= 2 ? type : 0]->setChecked(true);
    for (QRadioButton* choice : types)
        animationLayout->addWidget(choice);
    cbMaxColors_ = ColorCountRow(animation, animationLayout, "&Maximum number of colors:", "cbMaxColors",
                                 ReadIntegerSetting(settings, KeyMaxColorCount, 256));
    layout->addWidget(animation);

    auto* importing = new QGroupBox("Importing hi-color images (24bit)", this);
    auto* importingLayout = new QVBoxLayout(importing);
    importingLayout->addWidget(new QLabel("Dither Method", importing));
    optNearest_ = Choice(importing, "optNearest", "N&earest (no error diffusion)");
    optFloyd_ = Choice(importing, "optFloyd", "&FloydSteinberg  (high quality color mapping)");
    (ReadIntegerSetting(settings, KeyDitherMethod, 0) == 1 ? optFloyd_ : optNearest_)->setChecked(true);
    importingLayout->addWidget(optNearest_);
    importingLayout->addWidget(optFloyd_);
    cbMaxDither_ = ColorCountRow(importing, importingLayout, "Ma&ximum number of colors:", "cbMaxDither",
                                 ReadIntegerSetting(settings, KeyMaxImportCount, 256));
    layout->addWidget(importing);

    chkDefaultPal_ = new QCheckBox("Make this the &Default", this);
    chkDefaultPal_->setObjectName("chkDefaultPal");
    paletteDefaultsRead_ = ReadIntegerSetting(settings, KeyPaletteDefaults, 0) != 0;
    chkDefaultPal_->setChecked(paletteDefaultsRead_);
    layout->addWidget(chkDefaultPal_);
}

int TPaletteRulesPanel::PaletteType() const
{
    if (optPalNetcape_->isChecked())
        return 1;
    if (optPalLocal_->isChecked())
        return 2;
    return 0;
}

int TPaletteRulesPanel::MaxColorCount() const
{
    return CountAt(cbMaxColors_);
}

int TPaletteRulesPanel::DitherMethod() const
{
    return optFloyd_->isChecked() ? 1 : 0;
}

int TPaletteRulesPanel::MaxImportCount() const
{
    return CountAt(cbMaxDither_);
}

bool TPaletteRulesPanel::PaletteDefaults() const
{
    return chkDefaultPal_->isChecked();
}

void TPaletteRulesPanel::Write(TSettingsStore& settings) const
{
    if (PaletteDefaults() != paletteDefaultsRead_)
        WriteIntegerSetting(settings, KeyPaletteDefaults, PaletteDefaults() ? 1 : 0);
    WriteIntegerSetting(settings, KeyPaletteType, PaletteType());
    WriteIntegerSetting(settings, KeyMaxColorCount, MaxColorCount());
    WriteIntegerSetting(settings, KeyDitherMethod, DitherMethod());
    WriteIntegerSetting(settings, KeyMaxImportCount, MaxImportCount());
}

} // namespace fl
