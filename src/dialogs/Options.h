// SPDX-License-Identifier: GPL-3.0-or-later
// The program options dialog (TfrmOptions) in its three uses: "Program
// Options" with the Program, Animation, Palettes, Thumbnails and About
// pages; "Organize Favorites" with the favorite folders only; and "About
// Frameloom". It shows the settings; the main window writes and applies
// them after OK (document/ProgramOptions.h).
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "app/AppServices.h"
#include "document/ProgramOptions.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTreeWidget;

namespace fl {

class TColorComboBox;
class TNumberEdit;
class TPaletteRulesPanel;
class TUpDown;

enum TOptionsUse { ouProgramOptions = 0, ouOrganizeFavorites = 1, ouAbout = 2 };

inline constexpr const char* RemoveFavoriteQuestion = "Do you want to remove %s the Favorites list?";
inline constexpr const char* HomePage = "homepage.html";
inline constexpr const char* SupportAddress = "mailto:support@frameloom.invalid";

// What the dialog needs of the main window.
struct TOptionsHooks {
    // The options in use, and the favorite folders in menu order.
    TProgramOptions Current;
    std::vector<std::string> Favorites;
    // Opens a page of the program's help folder, or an address.
    std::function<void(const std::string& target)> OpenPage;
    // Shift+Alt+F7: switches the model's warnings (asks first).
    std::function<void()> ToggleWarnings;
};

// The file filter list's entries, in order.
extern const char* const FileFilterEntries[19];

class TfrmOptions final : public QDialog {
    Q_OBJECT
public:
    TfrmOptions(const TAppServices& services, int use, TOptionsHooks hooks, QWidget* parent = nullptr);

    int Use() const { return use_; }
    // The options as the controls stand.
    TProgramOptions Options() const;
    // The palette page (use 0), to write its keys.
    const TPaletteRulesPanel* PaletteRules() const { return palettes_; }
    std::vector<std::string> Favorites() const;
    bool FavoritesChanged() const { return favoritesChanged_; }

    // The favorites buttons, as they run.
    void AddFavorite();
    void RemoveFavorite();
    void MoveFavorite(int by);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* BuildProgram();
    QWidget* BuildAnimation();
    QWidget* BuildThumbnails();
    QWidget* BuildFavorites(QWidget* parent);
    QWidget* BuildAbout();
    void UpdateFavoriteButtons();

    const TAppServices services_;
    const int use_;
    TOptionsHooks hooks_;
    bool favoritesChanged_ = false;

    QTabWidget* tabOptions_ = nullptr;
    QCheckBox* chkFlatTB_ = nullptr;
    QCheckBox* chkAnimation_ = nullptr;
    QCheckBox* chkExplorer_ = nullptr;
    TNumberEdit* edtMaxUndo_ = nullptr;
    TUpDown* udMaxUndo_ = nullptr;
    QCheckBox* chkNoOpenPreview_ = nullptr;
    TColorComboBox* cbTransColor_ = nullptr;
    QCheckBox* chkCompatibility_ = nullptr;
    TNumberEdit* edtDelay_ = nullptr;
    TUpDown* udDelay_ = nullptr;
    TNumberEdit* edtLoop_ = nullptr;
    TUpDown* udLoop_ = nullptr;
    QRadioButton* optClip_ = nullptr;
    QRadioButton* optChange_ = nullptr;
    QCheckBox* chkDefault_ = nullptr;
    TPaletteRulesPanel* palettes_ = nullptr;
    QComboBox* cbThumbSize_ = nullptr;
    QComboBox* cbFileFilters_ = nullptr;
    QCheckBox* chkDropDefault_ = nullptr;
    QCheckBox* chkAutoLoad_ = nullptr;
    QTreeWidget* lvFavorites_ = nullptr;
    QPushButton* btnUp_ = nullptr;
    QPushButton* btnDown_ = nullptr;
    QPushButton* btnAdd_ = nullptr;
    QPushButton* btnRemove_ = nullptr;
};

} // namespace fl
