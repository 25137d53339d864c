// SPDX-License-Identifier: GPL-3.0-or-later
// The frame inspector's property grid: twelve rows of a label and a value
// with three group bands, an in-place editor over the current row's value,
// and the drop-down list (lbDrop) of the rows with fixed values. The grid
// only collects text; its owner commits it to the frame.
#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "document/InspectorEdits.h"

class QLineEdit;
class QListWidget;

namespace fl {

class TInspectorGrid final : public QWidget {
    Q_OBJECT
public:
    explicit TInspectorGrid(QWidget* parent = nullptr);

    // Where the drop-down goes for a value cell (grid coordinates): under
    // the cell, or above it when it would reach more than two rows past the
    // grid's bottom. As wide as the column and one pixel more.
    static QRect DropDownPlacement(const QRect& cell, int rowHeight, int items, int gridBottom);

    int RowHeight() const { return rowHeight_; }
    int LabelWidth() const { return labelWidth_; }
    QRect ValueRect(int row) const;
    // The row under a point, or -1.
    int RowAt(int y) const;

    // The values of a shown frame; Clear empties them and ends editing.
    void SetValues(const TInspectorValues& values);
    void Clear();
    std::string ValueText(int row) const { return values_.Text[static_cast<size_t>(row)]; }
    // Editing mode: the editor is always shown over the current row.
    void SetEditing(bool editing);
    bool Editing() const { return editing_; }

    // -1 when no row is current.
    int CurrentRow() const { return currentRow_; }
    // Makes the row current by the selection rules (bands give way to the
    // row they head), committing the pending edit first; a click also opens
    // the drop-down of a row with fixed values.
    void SelectRow(int row, bool clicked = false);
    // The current row's text as it stood before editing becomes its text now.
    void ForgetPreviousValue();
    // Commits the current row when its text differs from the previous one.
    void CommitPending();
    void HideDropDown();
    void OpenDropDown();

    QLineEdit* Editor() const { return editor_; }
    QListWidget* DropDown() const { return lbDrop_; }

    // Commits the text of a row: answers the text to show, or nothing to put
    // the previous one back.
    std::function<std::optional<std::string>(int row, const std::string& text)> OnCommit;
    // The current row changed (for the hint).
    std::function<void(int row)> OnRowChanged;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Puts the editor over the current row's value; reloadText gives it the
    // row's text (typing in progress is kept otherwise).
    void PlaceEditor(bool reloadText = true);
    void ChooseDropDownItem(int item);
    void MoveCurrent(int step);
    void PaintRow(QPainter& painter, int row);

    TInspectorValues values_;
    std::string previous_;
    int currentRow_ = -1;
    bool editing_ = false;
    bool committing_ = false;
    int rowHeight_ = 18;
    int labelWidth_ = 80;
    QLineEdit* editor_ = nullptr;
    QListWidget* lbDrop_ = nullptr;
};

} // namespace fl
