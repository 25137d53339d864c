// SPDX-License-Identifier: GPL-3.0-or-later
// The property prompts (TfrmPrompts): one modal dialog showing one of eight
// pages, chosen when it is made. It collects values and keeps them
// consistent while the user types; the callers read them after OK and make
// the change. Pages 1 and 2 write their settings when closed with OK.
#pragma once

#include <QDialog>
#include <string>

#include "document/AnimationCommands.h"

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QTabWidget;

namespace fl {

class TPaletteRulesPanel;

struct TAppServices;
class TEditorContext;
class TImagingFileReader;
class TNumberEdit;
class TUpDown;

enum TPromptPage {
    ppInsertImage = 0,
    ppFrameSize = 1,
    ppPalettes = 2,
    ppResize = 3,
    ppAnimationInfo = 4,
    ppImageProperties = 5,
    ppHtmlTag = 6,
    ppGlobalChange = 7
};

// Where page 0 places an image.
enum TInsertChoice { icAtStart = 0, icBeforeSelected = 1, icAfterSelected = 2 };

inline constexpr const char* HtmlCopiedMessage = "HTML Code successfully copied to clipboard.";
inline constexpr const char* DisposalQuestion =
    "For correct display of the animation, it is recommended to also set the disposal \r\n"
    "method to Background. Would you like to set the disposal to Background?";

class TfrmPrompts final : public QDialog {
    Q_OBJECT
public:
    TfrmPrompts(const TAppServices& services, TEditorContext& context, int page, QWidget* parent = nullptr);
    ~TfrmPrompts() override;

    int Page() const { return page_; }

    // Page 0: with a frame selected, "after" is offered first and "before"
    // only when the selected frame is not the first.
    void PresetInsertChoice(int selected);
    TInsertChoice InsertChoice() const;
    // Page 1: trim (true) or grow the animation; use it without asking.
    bool ClipFrame() const;
    bool ClipDefault() const;
    // Page 2, as the settings store them.
    int PaletteType() const;
    int MaxColorCount() const;
    int DitherMethod() const;
    int MaxImportCount() const;
    bool PaletteDefaults() const;
    // Page 3: the size asked for.
    int NewWidth() const;
    int NewHeight() const;
    // Page 4: the loop setting when the page opened and the one chosen, as
    // play counts (0 forever, 1 once, n times).
    int CurrentPlays() const { return currentPlays_; }
    int ChosenPlays() const;
    // Page 5: shows the file's name, size, dimensions and picture.
    void ShowImageProperties(const std::string& path);
    // Page 6.
    void SetHtmlFileName(const std::string& fileName);
    QString HtmlCode() const;
    // Copies the code to the clipboard and says so.
    void CopyHtml();
    // Page 7: captions from the selected frame's state, the offsets'
    // limits, and what was entered.
    void SetGlobalCaptions(bool transparent, bool interlaced, bool localPalette);
    void SetOffsetLimits(int width, int height);
    bool AnythingEntered() const { return anythingEntered_; }
    TGlobalFrameChange GlobalChange() const;
    // Reset of page 7: every value empty again.
    void ResetGlobal();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    QWidget* BuildInsertImage();
    QWidget* BuildFrameSize();
    QWidget* BuildPalettes();
    QWidget* BuildResize();
    QWidget* BuildLoop();
    QWidget* BuildProperties();
    QWidget* BuildHtml();
    QWidget* BuildGlobal();

    TNumberEdit* NumberField(QWidget* parent, const char* name, int maxLength);
    // Page 3: a changed field moves the others.
    void SizeEdited(bool height);
    void PercentEdited(bool height);
    void ApplyConstrain();
    void RebuildHtml();
    // Page 7.
    void TransparentToggled(bool checked);
    void SelectTransparentColor();
    void WriteSettings();

    const TAppServices& services_;
    TEditorContext& context_;
    const int page_;
    QTabWidget* tabPrompts_ = nullptr;

    // Page 0.
    QRadioButton* optStart_ = nullptr;
    QRadioButton* optBefore_ = nullptr;
    QRadioButton* optAfter_ = nullptr;
    // Page 1.
    QRadioButton* optClip_ = nullptr;
    QRadioButton* optChange_ = nullptr;
    QCheckBox* chkDefault_ = nullptr;
    // Page 2.
    TPaletteRulesPanel* palettes_ = nullptr;
    // Page 3.
    QLineEdit* txtCurrH_ = nullptr;
    QLineEdit* txtCurrW_ = nullptr;
    TNumberEdit* txtHeight_ = nullptr;
    TNumberEdit* txtWidth_ = nullptr;
    TUpDown* udHeight_ = nullptr;
    TUpDown* udWidth_ = nullptr;
    TNumberEdit* txtHPercent_ = nullptr;
    TNumberEdit* txtWPercent_ = nullptr;
    QCheckBox* chkConstrain_ = nullptr;
    QLabel* imgConstrain_ = nullptr;
    int percent_ = 100;
    bool resizing_ = false;
    // Page 4.
    QLineEdit* txtCurrLoop_ = nullptr;
    QRadioButton* optLoopInfinite_ = nullptr;
    QRadioButton* optLoopPlay_ = nullptr;
    TNumberEdit* txtLoop_ = nullptr;
    TUpDown* udLoop_ = nullptr;
    int currentPlays_ = 1;
    // Page 5.
    QLabel* lblFileName_ = nullptr;
    QLabel* lblFileSize_ = nullptr;
    QLabel* lblDimensions_ = nullptr;
    QScrollArea* sbxImageProps_ = nullptr;
    QLabel* pnlImageProps_ = nullptr;
    // Page 6.
    QLineEdit* txtFileName_ = nullptr;
    QLineEdit* txtLink_ = nullptr;
    QLineEdit* txtHint_ = nullptr;
    TNumberEdit* txtBorder_ = nullptr;
    TUpDown* udBorder_ = nullptr;
    QPlainTextEdit* txtHTML_ = nullptr;
    // Page 7.
    TNumberEdit* txtXOffset_ = nullptr;
    TNumberEdit* txtYOffset_ = nullptr;
    TUpDown* udX_ = nullptr;
    TUpDown* udY_ = nullptr;
    QCheckBox* chkInterlaced_ = nullptr;
    QCheckBox* chkTransparent_ = nullptr;
    QCheckBox* chkLocalPal_ = nullptr;
    QPushButton* btnTransparent_ = nullptr;
    TNumberEdit* txtDelay_ = nullptr;
    TUpDown* udDelay_ = nullptr;
    TNumberEdit* txtSpeed_ = nullptr;
    TUpDown* udSpeed_ = nullptr;
    QComboBox* cbDisposal_ = nullptr;
    bool anythingEntered_ = false;
    TColor transparentColor_ = 0;
    int transparentIndex_ = 0;
};

// Page 3's arithmetic: the percent a size is of the current one, and the
// size a percent gives, both rounded half to even.
int PercentOfSize(int size, int current);
int SizeOfPercent(int current, int percent);

} // namespace fl
