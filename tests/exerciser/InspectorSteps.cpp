// SPDX-License-Identifier: GPL-3.0-or-later
// The frame inspector's steps and checks: values typed into its rows and
// chosen from its drop-down, the frame box, the local palette page, the
// comments page, and the window shown and closed.
#include <QAction>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <stdexcept>

#include "app/MainWindow.h"
#include "dialogs/FrameInspector.h"
#include "dialogs/InspectorGrid.h"
#include "dialogs/InspectorPalette.h"
#include "document/EditorContext.h"
#include "exerciser/Exerciser.h"

namespace fl::exerciser {

namespace {

// What a user types into a row: numbers, blanks, signs, words in any case.
const char* const TypedTexts[] = {"",    " ",   "0",  "7",    "1 5",   "-3",   "65535",  "99999999999",
                                  "abc", "yes", "No", "TRUE", "false", "none", "remove", "Background"};

template <typename T> T& Child(QObject& parent, const char* name)
{
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        throw std::runtime_error(std::string("the inspector has no ") + name);
    return *found;
}

void LeaveFocus(QWidget& widget)
{
    QFocusEvent out(QEvent::FocusOut, Qt::OtherFocusReason);
    QApplication::sendEvent(&widget, &out);
}

} // namespace

void TExerciser::InspectorStep(TRandom& random)
{
    TfrmFloat& inspector = Window().Inspector();
    auto& tabs = Child<QTabWidget>(inspector, "tabImgInfo");
    switch (Pick(random, 6)) {
    case 0: {
        TInspectorGrid& grid = inspector.Grid();
        if (!grid.isEnabled())
            return;
        const int row = Pick(random, InspectorRowCount);
        const bool clicked = Chance(random, 40);
        tabs.setCurrentIndex(0);
        grid.SelectRow(row, clicked);
        QListWidget& list = *grid.DropDown();
        if (list.isVisible() && list.count() > 0) {
            const int item = Pick(random, list.count());
            Note("  inspector row " + std::to_string(grid.CurrentRow()) + ": chose " +
                 list.item(item)->text().toStdString());
            QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                              list.visualItemRect(list.item(item)).center());
        } else if (!grid.Editor()->isReadOnly()) {
            const char* text = TypedTexts[Pick(random, static_cast<int>(std::size(TypedTexts)))];
            Note("  inspector row " + std::to_string(grid.CurrentRow()) + ": typed \"" + text + "\"");
            grid.Editor()->setText(QString::fromLatin1(text));
            if (Chance(random, 70))
                QTest::keyClick(grid.Editor(), Qt::Key_Return);
            else
                LeaveFocus(*grid.Editor());
        }
        break;
    }
    case 1: {
        auto& frames = Child<QComboBox>(inspector, "cbFrames");
        const int line = PickOf(random, frames.count());
        if (line < 0)
            return;
        Note("  inspector frame box: line " + std::to_string(line));
        frames.setCurrentIndex(line);
        emit frames.activated(line);
        break;
    }
    case 2: {
        if (!tabs.isEnabled())
            return;
        tabs.setCurrentIndex(1);
        TLocalPaletteGrid& palette = inspector.PaletteGrid();
        const int count = static_cast<int>(palette.Colors().size());
        const int what = Pick(random, 5);
        if (what == 0 && count > 0) {
            const int cell = Pick(random, count);
            const bool right = Chance(random, 30);
            Note("  inspector palette: " + std::string(right ? "right" : "left") + " click on " +
                 std::to_string(cell));
            QTest::mouseClick(&palette, right ? Qt::RightButton : Qt::LeftButton, {},
                              palette.CellRect(cell).center());
            if (right)
                ChooseFromMenu(Child<QMenu>(inspector, "popPalette"), random);
        } else if (what == 1 && count > 0) {
            const int cell = Pick(random, count);
            Note("  inspector palette: double click on " + std::to_string(cell));
            QTest::mouseDClick(&palette, Qt::LeftButton, {}, palette.CellRect(cell).center());
        } else {
            const char* names[] = {"btnColorAdd", "btnColorDelete", "btnColorEdit"};
            auto& button = Child<QToolButton>(inspector, names[Pick(random, 3)]);
            Note("  inspector palette: " + button.text().remove('&').toStdString() +
                 (button.isEnabled() ? "" : " (disabled)"));
            if (button.isEnabled())
                button.click();
        }
        break;
    }
    case 3: {
        if (!tabs.isEnabled())
            return;
        tabs.setCurrentIndex(2);
        auto& list = Child<QTreeWidget>(inspector, "lvComments");
        auto& memo = Child<QPlainTextEdit>(inspector, "mmoComments");
        const int what = Pick(random, 4);
        if (what == 0) {
            Note("  inspector comments: Add");
            Child<QPushButton>(inspector, "btnAddComments").click();
        } else if (what == 1 && list.topLevelItemCount() > 0) {
            const int item = Pick(random, list.topLevelItemCount());
            Note("  inspector comments: select " + std::to_string(item));
            list.setCurrentItem(list.topLevelItem(item));
        } else if (what == 2) {
            const int length = Pick(random, 300);
            Note("  inspector comments: type " + std::to_string(length) + " characters");
            memo.setPlainText(QString(length, QChar('a' + Pick(random, 26))));
            LeaveFocus(memo);
        } else {
            auto& remove = Child<QPushButton>(inspector, "btnRemoveComments");
            Note(std::string("  inspector comments: Remove") + (remove.isEnabled() ? "" : " (disabled)"));
            if (remove.isEnabled())
                remove.click();
        }
        break;
    }
    case 4: {
        const bool closeBox = Chance(random, 50) && inspector.isVisible();
        Note(closeBox ? "  inspector: close box" : "  Tools > Frame Inspector");
        if (closeBox)
            inspector.close();
        else
            Child<QAction>(Window(), "mniFrameInspector").trigger();
        break;
    }
    default: {
        // Another window takes the focus: the pending edit is committed.
        Note("  inspector: focus leaves");
        if (Chance(random, 50))
            LeaveFocus(*inspector.Grid().Editor());
        else
            LeaveFocus(Child<QPlainTextEdit>(inspector, "mmoComments"));
        break;
    }
    }
}

void TExerciser::CheckInspector()
{
    TfrmMain& window = Window();
    TEditorContext& context = window.Context();
    TfrmFloat& inspector = window.Inspector();
    auto& frames = Child<QComboBox>(inspector, "cbFrames");
    if (context.DocumentCount() == 0) {
        if (frames.count() != 0 || Child<QTabWidget>(inspector, "tabImgInfo").isEnabled())
            throw std::runtime_error("the inspector still shows a frame without documents");
        return;
    }
    const int selected = context.Frames().Selected();
    if (!context.ActiveDocument() || selected < 0)
        return;
    if (frames.count() != context.Frames().Count() || frames.currentIndex() != selected)
        throw std::runtime_error("the inspector's frame box shows line " +
                                 std::to_string(frames.currentIndex()) + " of " +
                                 std::to_string(frames.count()) + " for card " + std::to_string(selected) +
                                 " of " + std::to_string(context.Frames().Count()));
    const TInspectorValues values = InspectorValues(context, selected);
    const TInspectorGrid& grid = inspector.Grid();
    for (int row = 0; row < InspectorRowCount; ++row)
        if (grid.ValueText(row) != values.Text[static_cast<size_t>(row)])
            throw std::runtime_error(std::string("the inspector shows ") + InspectorRowLabels[row] + " " +
                                     grid.ValueText(row) + " for the frame's " +
                                     values.Text[static_cast<size_t>(row)] + " (frame " +
                                     std::to_string(selected) + ")");
}

} // namespace fl::exerciser
