// SPDX-License-Identifier: GPL-3.0-or-later
// The frame inspector (TfrmFloat): a floating, always-on-top tool window
// beside the main window showing the selected frame of the active document
// in three tabs: its properties in a grid edited in place, its local palette
// as swatches, and the animation's comments. The window collects what the
// user types and chooses; document/InspectorEdits.h makes the edits.
#pragma once

#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "app/AppServices.h"
#include "document/InspectorEdits.h"

class QComboBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QToolButton;
class QTreeWidget;

namespace fl {

class TDocument;
class TEditorContext;
class TInspectorGrid;
class TLocalPaletteGrid;

// The rows' help lines, in row order, and the tabs'.
extern const char* const InspectorRowHints[InspectorRowCount];
extern const char* const InspectorTabHints[3];

class TfrmFloat final : public QWidget {
    Q_OBJECT
public:
    static constexpr int DefaultWidth = 220;
    static constexpr int DefaultHeight = 430;

    TfrmFloat(const TAppServices& services, TEditorContext& context, QWidget* mainWindow);
    ~TfrmFloat() override;

    // Fills the inspector from frame `index` of the active animation.
    void ShowFrameProperties(int index);
    // Back to the empty inspector: no document is open.
    void Reset();
    // The row an undo selects.
    void SelectRow(int row);
    int CurrentRow() const;
    // The frame the edits go to: the frame box's selection, 0 without one.
    int FrameIndex() const;

    // Bounds under "FormPos\Inspector", with defaults beside the main window.
    void RestorePosition(const QRect& mainWindow);
    void StorePosition(bool visible) const;

    // The palette page's commands and the comments', as their controls run
    // them.
    void EditColor();
    void AddColor();
    void DeleteColor();
    void AddComment();
    void RemoveComment();
    // The comment memo's text becomes the selected comment's.
    void CommitComment();

    TInspectorGrid& Grid() const { return *grid_; }
    TLocalPaletteGrid& PaletteGrid() const { return *grdPalette_; }

signals:
    // The close box hid the window.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* BuildProperties();
    QWidget* BuildPalettes();
    QWidget* BuildComments();
    QWidget* BuildHints();
    void ShowHint(const QString& field, const QString& hint);
    void ShowPalette(int frameIndex);
    void PaletteSelected(int index);
    void UpdatePaletteButtons();
    void FillComments();
    void CommentSelected();
    void FillFrameBox(int index);
    void FrameChosen(int line);
    void SetCaption();
    // Asks the single-color palette editor, starting at the color; nothing
    // when cancelled.
    std::optional<TColor> AskColor(TColor start);
    // Runs an edit, showing what it throws.
    template <typename Edit> void Guarded(Edit&& edit);

    // A copy: the services outlive the window, the struct naming them may not.
    const TAppServices services_;
    TEditorContext& context_;
    // The document that was active when the inspector was activated.
    TDocument* activatedDocument_ = nullptr;
    std::vector<TCommentEntry> comments_;
    bool fillingFrames_ = false;
    bool memoModified_ = false;

    QComboBox* cbFrames_ = nullptr;
    QTabWidget* tabImgInfo_ = nullptr;
    TInspectorGrid* grid_ = nullptr;
    TLocalPaletteGrid* grdPalette_ = nullptr;
    QToolButton* btnColorAdd_ = nullptr;
    QToolButton* btnColorDelete_ = nullptr;
    QToolButton* btnColorEdit_ = nullptr;
    QLabel* lblColor_ = nullptr;
    QMenu* popPalette_ = nullptr;
    QTreeWidget* lvComments_ = nullptr;
    QPlainTextEdit* mmoComments_ = nullptr;
    QPushButton* btnAddComments_ = nullptr;
    QPushButton* btnRemoveComments_ = nullptr;
    QLabel* lblField_ = nullptr;
    QLabel* lblHint_ = nullptr;
};

} // namespace fl
