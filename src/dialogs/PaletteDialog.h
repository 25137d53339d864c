// SPDX-License-Identifier: GPL-3.0-or-later
// The palette editor (TfrmPalette): one modal dialog in three modes. Mode 0
// edits the global palette on a swatch grid; mode 1 picks a frame's
// transparent color on the grid or on a preview of the frame; mode 2 edits
// one color value. The dialog works on a copy of the colors and never
// touches the animation; the caller applies what it answers.
#pragma once

#include <QDialog>
#include <memory>
#include <vector>

#include "dialogs/DialogButtons.h"
#include "gif/GIFTypes.h"

class QFrame;
class QLabel;
class QScrollArea;
class QToolButton;

namespace fl {

class TCmdColorMap;
class TEditorContext;
class TMessageService;
class TNumberEdit;
class TUpDown;

inline constexpr const char* ColorRangeMessage = "'%s' is not within the 0-255 range.";

enum TPaletteMode { pmGlobalPalette = 0, pmTransparentColor = 1, pmColorValue = 2 };

class TfrmPalette final : public QDialog {
    Q_OBJECT
public:
    // The swatch grid: 16 columns of 15-pixel cells inside a 242 x 242 box.
    static constexpr int GridSize = 242;
    static constexpr int CellSize = 15;
    // The entry under a point of the grid, or -1 outside the entries.
    static int HitTest(int x, int y, int count);

    TfrmPalette(TEditorContext& context, TMessageService& messages, int mode, QWidget* parent = nullptr);
    ~TfrmPalette() override;

    int Mode() const { return mode_; }
    // What the caller reads after OK.
    bool Modified() const { return modified_; }
    TCmdColorMap& Colors() { return *colors_; }
    // For each entry of Colors(), the entry of the original table it came
    // from, or -1 for an added one.
    const std::vector<int>& Origins() const { return origins_; }
    int SelectedIndex() const { return selected_; }
    TColor SelectedColor() const { return selectedColor_; }
    // Mode 1: the selection the dialog opens with (a transparent frame's own
    // transparent color replaces it when the dialog is shown).
    void PresetSelection(int index, TColor color);
    // Mode 2: the color the fields start with.
    void LoadColor(TColor color);

    // The dialog's actions, as its controls run them.
    void ClickCell(int index);
    void ClickPreview(int x, int y);
    void AddColor();
    void DeleteColor();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    class TSwatchGrid;
    class TFramePreview;

    void BuildControls();
    void LayOut();
    void LoadFrame();
    void Select(int index);
    void ShowColorInFields(TColor color);
    // shpPreview shows the color.
    void ShowPreviewColor(TColor color);
    // A field was left: checks the text, and applies a changed value.
    void FieldLeft(TNumberEdit& field);
    // The fields' color becomes the preview's and the selected entry's.
    void ApplyFields();
    TColor FieldColor() const;
    void UpdateButtons();
    void MovePicker();

    TEditorContext& context_;
    TMessageService& messages_;
    const int mode_;
    std::unique_ptr<TCmdColorMap> colors_;
    std::vector<int> origins_;
    int selected_ = 0;
    TColor selectedColor_ = 0;
    bool modified_ = false;
    // The frame selected in the main window when the dialog was made.
    int frameIndex_ = -1;
    bool loaded_ = false;

    QLabel* lblCaption_ = nullptr;
    QFrame* bevTop_ = nullptr;
    QFrame* bevBottom_ = nullptr;
    TSwatchGrid* pbPalette_ = nullptr;
    QWidget* shpPicker_ = nullptr;
    QWidget* pnlRGB_ = nullptr;
    TNumberEdit* txtRed_ = nullptr;
    TNumberEdit* txtGreen_ = nullptr;
    TNumberEdit* txtBlue_ = nullptr;
    TUpDown* udRed_ = nullptr;
    TUpDown* udGreen_ = nullptr;
    TUpDown* udBlue_ = nullptr;
    QLabel* shpPreview_ = nullptr;
    QToolButton* btnColorAdd_ = nullptr;
    QToolButton* btnColorDelete_ = nullptr;
    QScrollArea* sbPreview_ = nullptr;
    TFramePreview* pbImage_ = nullptr;
    TDialogButtons buttons_;
};

} // namespace fl
