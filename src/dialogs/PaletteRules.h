// SPDX-License-Identifier: GPL-3.0-or-later
// The palette rules for imported pictures, as one panel shared by the
// palette question of the property prompt and the Palettes page of the
// program options: the animation's palette type and size, the dither method
// and size for hi-color pictures, and "Make this the Default". It reads the
// settings when made and writes them back when asked.
#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QRadioButton;

namespace fl {

class TSettingsStore;

class TPaletteRulesPanel final : public QWidget {
    Q_OBJECT
public:
    TPaletteRulesPanel(const TSettingsStore& settings, QWidget* parent = nullptr);

    int PaletteType() const;
    int MaxColorCount() const;
    int DitherMethod() const;
    int MaxImportCount() const;
    bool PaletteDefaults() const;
    // "PaletteDefaults" only when it changed, the others always.
    void Write(TSettingsStore& settings) const;

private:
    QRadioButton* optPalOptimzed_ = nullptr;
    QRadioButton* optPalNetcape_ = nullptr;
    QRadioButton* optPalLocal_ = nullptr;
    QComboBox* cbMaxColors_ = nullptr;
    QRadioButton* optNearest_ = nullptr;
    QRadioButton* optFloyd_ = nullptr;
    QComboBox* cbMaxDither_ = nullptr;
    QCheckBox* chkDefaultPal_ = nullptr;
    bool paletteDefaultsRead_ = false;
};

} // namespace fl
