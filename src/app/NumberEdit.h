// SPDX-License-Identifier: GPL-3.0-or-later
// A number field as the dialogs use it: only digits can be typed, the field
// remembers its number when it is entered and, left with a text that is not
// a number, gets it back. TUpDown is the up-down button pair beside such a
// field, stepping its number within a range.
#pragma once

#include <QLineEdit>
#include <QWidget>

class QToolButton;

namespace fl {

class TNumberEdit final : public QLineEdit {
    Q_OBJECT
public:
    explicit TNumberEdit(int maxLength, QWidget* parent = nullptr);
    // The text when the field was last entered (or set by SetNumber).
    const QString& Remembered() const { return remembered_; }
    // Puts the remembered text back.
    void Restore();
    void SetNumber(int value);
    // The number typed, or `fallback` when the text is not a number.
    int Number(int fallback = 0) const;
    // Whether leaving the field empty puts the remembered number back (on
    // by default); fields where empty means "unchanged", or that check
    // their text themselves, turn it off.
    void SetRestoreOnLeave(bool restore) { restoreOnLeave_ = restore; }

signals:
    // Focus left the field, after an empty or non-numeric text was restored.
    void Left();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QString remembered_;
    bool restoreOnLeave_ = true;
};

class TUpDown final : public QWidget {
    Q_OBJECT
public:
    TUpDown(TNumberEdit& associate, int minimum, int maximum, QWidget* parent = nullptr);
    void SetRange(int minimum, int maximum);
    void SetIncrement(int increment) { increment_ = increment; }
    int Minimum() const { return minimum_; }
    int Maximum() const { return maximum_; }
    // The field's number kept within the range.
    int Position() const;
    // Steps the field's number by the increment (down when negative).
    void Step(int direction);

signals:
    // A button changed the field's number.
    void Clicked();

private:
    TNumberEdit& associate_;
    QToolButton* up_ = nullptr;
    QToolButton* down_ = nullptr;
    int minimum_;
    int maximum_;
    int increment_ = 1;
};

} // namespace fl
