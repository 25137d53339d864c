// SPDX-License-Identifier: GPL-3.0-or-later
// The wizards window (TfrmWizards) in its four uses: the welcome dialog
// (new, open, reopen, with a tip), the animation wizard (steps 0 to 4:
// dimensions, placement, loop and delay, the images, finish), the
// optimization wizard (steps 5 to 8: output, palettes, frames, results) and
// the tip of the day. The window collects the choices; document/Wizards.h
// builds and optimizes.
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/AppServices.h"
#include "document/Wizards.h"

class QCheckBox;
class QSpinBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QToolButton;

namespace fl {

class TEditorContext;
class TGIFImage;
class TGradientLabel;
class TNumberEdit;
class TUpDown;

enum TWizardUse { wuWelcome = 0, wuAnimation = 1, wuOptimization = 2, wuTipOfDay = 3 };
enum TWelcomeChoice { wcNew = 0, wcOpen = 1, wcReopen = 2 };

inline constexpr const char* TipsFileName = "Tips.txt";
inline constexpr const char* MissingTipsMessage =
    "Could not load tips file! Please make sure Tips.txt is in the application folder of ";

// What the wizards need of the main window.
struct TWizardHooks {
    std::function<void()> HideStartupLogo;
    // The previewing open dialog for images; the files chosen, or none.
    std::function<std::vector<std::string>()> ChooseImageFiles;
    // The recent files as the menu lists them, and whether the menu shows.
    std::vector<std::string> RecentFiles;
    bool RecentFilesShown = false;
    // Opens a help topic (300 + the use).
    std::function<void(int topic)> ShowHelp;
};

// The tips of the file, one per line; empty when it cannot be read.
std::vector<std::string> ReadTips(const std::string& path);

class TfrmWizards final : public QDialog {
    Q_OBJECT
public:
    TfrmWizards(const TAppServices& services, TEditorContext& context, int use, TWizardHooks hooks,
                QWidget* parent = nullptr);
    ~TfrmWizards() override;

    int Use() const { return use_; }
    int Step() const { return step_; }
    int WelcomeChoice() const { return choice_; }
    // The recent file chosen in the reopen list; empty without one.
    std::string ReopenFile() const;
    // The animation wizard's image list.
    std::vector<std::string> Images() const;
    void AddImages(const std::vector<std::string>& files);

    // What the buttons do.
    void Next();
    void Back();
    void ChooseNew();
    void ChooseOpen();
    void ChooseReopen();
    void NextTip();

protected:
    void done(int result) override;

private:
    QWidget* BuildWelcome();
    QWidget* BuildTips();
    QWidget* BuildReopen();
    QWidget* BuildSizePage();
    QWidget* BuildPositionPage();
    QWidget* BuildLoopPage();
    QWidget* BuildImagesPage();
    QWidget* BuildFinishPage();
    QWidget* BuildOutputPage();
    QWidget* BuildPalettesPage();
    QWidget* BuildFramesPage();
    QWidget* BuildResultsPage();
    // The wizard's frame: picture, heading, pages and the four buttons.
    void EnterWizard(int use);
    void ShowStep(int step);
    void UpdateImageButtons();
    void MoveImage(int by);
    void ShowReopenPreview(int row);
    void RefreshDownloadTime();
    TAnimationWizardOptions AnimationOptions() const;
    TOptimizeWizardOptions OptimizeOptions() const;
    // Finish of the animation wizard: builds and hands over; false keeps
    // the wizard open.
    bool BuildAnimation();
    void RunOptimization();
    bool FinishOptimization();

    // A copy: the services outlive the window, the struct naming them may not.
    const TAppServices services_;
    TEditorContext& context_;
    TWizardHooks hooks_;
    int use_;
    int step_ = -1;
    int choice_ = wcNew;
    std::vector<std::string> tips_;
    size_t nextTip_ = 0;
    int64_t sizeBefore_ = 0;
    int64_t sizeAfter_ = 0;
    std::unique_ptr<TGIFImage> optimized_;
    bool building_ = false;
    bool cancelBuild_ = false;

    QLabel* imgWiz_ = nullptr;
    TGradientLabel* lblGradient_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    std::vector<QWidget*> stepPages_;
    QWidget* pnlWelcome_ = nullptr;
    QWidget* pnlReopen_ = nullptr;
    QWidget* pnlTipsPage_ = nullptr;
    QPushButton* btnHelp_ = nullptr;
    QPushButton* btnBack_ = nullptr;
    QPushButton* btnNext_ = nullptr;
    QPushButton* btnCancel_ = nullptr;
    QPushButton* btnOK_ = nullptr;
    QPushButton* btnReopen_ = nullptr;
    QCheckBox* chkWelcomeDefault_ = nullptr;
    QPlainTextEdit* mmoTips_ = nullptr;
    QPushButton* btnNextTip_ = nullptr;
    QListWidget* lbReopen_ = nullptr;
    QLabel* imgReopen_ = nullptr;
    // Animation wizard.
    QRadioButton* optSizeFirst_ = nullptr;
    QRadioButton* optSizeCustom_ = nullptr;
    TNumberEdit* txtHeight_ = nullptr;
    TNumberEdit* txtWidth_ = nullptr;
    TUpDown* udHeight_ = nullptr;
    TUpDown* udWidth_ = nullptr;
    QRadioButton* optTopLeft_ = nullptr;
    QRadioButton* optCenter_ = nullptr;
    QCheckBox* chkScale_ = nullptr;
    QCheckBox* chkTransparent_ = nullptr;
    QRadioButton* optLoopInfinite_ = nullptr;
    QRadioButton* optLoopPlay_ = nullptr;
    TNumberEdit* txtLoop_ = nullptr;
    TUpDown* udLoop_ = nullptr;
    TNumberEdit* txtDelay_ = nullptr;
    TUpDown* udDelay_ = nullptr;
    QListWidget* lbImages_ = nullptr;
    QPushButton* btnAddImage_ = nullptr;
    QPushButton* btnRemoveImage_ = nullptr;
    QToolButton* btnImageUp_ = nullptr;
    QToolButton* btnImageDown_ = nullptr;
    QProgressBar* pbBuild_ = nullptr;
    // Optimization wizard.
    QRadioButton* optCurAni_ = nullptr;
    QRadioButton* optNewToAni_ = nullptr;
    QCheckBox* chkOptAll_ = nullptr;
    QCheckBox* chkRemoveLocal_ = nullptr;
    QCheckBox* chkPaletteSort_ = nullptr;
    QCheckBox* chkTrim_ = nullptr;
    QCheckBox* chkDupPixels_ = nullptr;
    QCheckBox* chkNonVisible_ = nullptr;
    // Our own addition: lossy coding, off unless asked for.
    QCheckBox* chkLossy_ = nullptr;
    QSpinBox* seLossy_ = nullptr;
    QLabel* lblCurrSize_ = nullptr;
    QLabel* lblOptimizedSize_ = nullptr;
    QLabel* lblTotal_ = nullptr;
    QLabel* lblDLTime_ = nullptr;
    QComboBox* cbBps_ = nullptr;
};

} // namespace fl
