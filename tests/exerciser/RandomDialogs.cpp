// SPDX-License-Identifier: GPL-3.0-or-later
#include "exerciser/RandomDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

namespace fl::exerciser {

namespace {

// What users type: numbers in and out of every range, nothing, and text.
const char* const Typed[] = {"",    "0",    "1",     "7",     "50",    "100", "255", "256", "300",
                             "999", "9999", "32767", "65535", "99999", "abc", "-5",  " 12"};

std::string NameOf(const QWidget& widget)
{
    return widget.objectName().isEmpty() ? widget.metaObject()->className()
                                         : widget.objectName().toStdString();
}

void Leave(QWidget& widget)
{
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&widget, &out);
}

} // namespace

int TRandomDialogRunner::Run(QDialog& dialog)
{
    if (Busy && Busy())
        Broken = "the dialog \"" + dialog.windowTitle().toStdString() + "\" opened under the hourglass";
    if (Log)
        Log("    dialog \"" + dialog.windowTitle().toStdString() + "\"");
    if (!Random || depth_ >= 3)
        return QDialog::Rejected;
    ++depth_;
    dialog.show();
    QApplication::processEvents();
    // A wizard is walked through: its Next button is pressed often enough
    // to reach the last page now and then.
    auto* next = dialog.findChild<QAbstractButton*>(QStringLiteral("btnNext"));
    const int pokes = Pick(*Random, next ? 24 : 8);
    for (int i = 0; i < pokes && dialog.isVisible(); ++i) {
        if (next && next->isVisible() && next->isEnabled() && Chance(*Random, 35)) {
            if (Log)
                Log("      click btnNext \"" + next->text().toStdString() + "\"");
            next->click();
            QApplication::processEvents();
        } else {
            Poke(dialog);
        }
    }
    int result = QDialog::Rejected;
    if (dialog.isVisible()) {
        if (Chance(*Random, 65))
            dialog.accept();
        else
            dialog.reject();
    }
    result = dialog.result();
    dialog.hide();
    --depth_;
    if (Log)
        Log(std::string("    dialog closed: ") + (result == QDialog::Accepted ? "OK" : "Cancel"));
    return result;
}

void TRandomDialogRunner::Poke(QDialog& dialog)
{
    std::vector<QWidget*> targets;
    for (QWidget* widget : dialog.findChildren<QWidget*>()) {
        if (!widget->isVisible() || !widget->isEnabled())
            continue;
        const QString name = widget->objectName();
        // OK and Cancel close the dialog at the end, not in between.
        if (name == QLatin1String("btnOK") || name == QLatin1String("btnCancel"))
            continue;
        if (qobject_cast<QLineEdit*>(widget) || qobject_cast<QAbstractButton*>(widget) ||
            qobject_cast<QComboBox*>(widget) || name == QLatin1String("pbPalette") ||
            name == QLatin1String("pbImage"))
            targets.push_back(widget);
    }
    const int choice = PickOf(*Random, static_cast<int>(targets.size()));
    if (choice < 0)
        return;
    QWidget& target = *targets[static_cast<size_t>(choice)];
    if (auto* edit = qobject_cast<QLineEdit*>(&target)) {
        if (edit->isReadOnly())
            return;
        const char* text = Typed[Pick(*Random, static_cast<int>(std::size(Typed)))];
        if (Log)
            Log("      type \"" + std::string(text) + "\" into " + NameOf(target));
        QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(edit, &in);
        edit->selectAll();
        // Through the keyboard, so that the field's validator has its say.
        QTest::keyClicks(edit, QString::fromLatin1(text));
        if (QString::fromLatin1(text).isEmpty())
            QTest::keyClick(edit, Qt::Key_Backspace);
        Leave(*edit);
    } else if (auto* button = qobject_cast<QAbstractButton*>(&target)) {
        if (Log)
            Log("      click " + NameOf(target) + " \"" + button->text().toStdString() + "\"");
        button->click();
    } else if (auto* list = qobject_cast<QComboBox*>(&target)) {
        const int index = PickOf(*Random, list->count());
        if (Log)
            Log("      choose " + std::to_string(index) + " in " + NameOf(target));
        if (index >= 0) {
            list->setCurrentIndex(index);
            emit list->activated(index);
        }
    } else {
        const QPoint at(Pick(*Random, std::max(target.width(), 1) + 8) - 4,
                        Pick(*Random, std::max(target.height(), 1) + 8) - 4);
        if (Log)
            Log("      click " + NameOf(target) + " at " + std::to_string(at.x()) + "," +
                std::to_string(at.y()));
        QTest::mouseClick(&target, Qt::LeftButton, Qt::NoModifier, at);
    }
    QApplication::processEvents();
}

} // namespace fl::exerciser
