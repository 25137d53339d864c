// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/NumberEdit.h"

#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace fl {

TNumberEdit::TNumberEdit(int maxLength, QWidget* parent) : QLineEdit(parent)
{
    setMaxLength(maxLength);
    setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
    // As wide as its digits at any font size, no wider.
    const int digits = std::max(maxLength, 2);
    setFixedWidth(fontMetrics().horizontalAdvance(QString(digits + 1, QLatin1Char('0'))) + 12);
}

void TNumberEdit::Restore()
{
    setText(remembered_);
}

void TNumberEdit::SetNumber(int value)
{
    setText(QString::number(value));
    remembered_ = text();
}

int TNumberEdit::Number(int fallback) const
{
    bool ok = false;
    const int value = text().trimmed().toInt(&ok);
    return ok ? value : fallback;
}

void TNumberEdit::focusInEvent(QFocusEvent* event)
{
    remembered_ = text();
    QLineEdit::focusInEvent(event);
}

void TNumberEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    bool ok = false;
    text().trimmed().toInt(&ok);
    if (!ok && restoreOnLeave_ && !remembered_.isEmpty())
        Restore();
    emit Left();
}

TUpDown::TUpDown(TNumberEdit& associate, int minimum, int maximum, QWidget* parent)
    : QWidget(parent), associate_(associate), minimum_(minimum), maximum_(maximum)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const auto button = [this, layout](Qt::ArrowType arrow, int direction) {
        auto* b = new QToolButton(this);
        b->setArrowType(arrow);
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedSize(16, 11);
        layout->addWidget(b);
        connect(b, &QToolButton::clicked, this, [this, direction] { Step(direction); });
        return b;
    };
    up_ = button(Qt::UpArrow, 1);
    down_ = button(Qt::DownArrow, -1);
}

void TUpDown::SetRange(int minimum, int maximum)
{
    minimum_ = minimum;
    maximum_ = std::max(minimum, maximum);
}

int TUpDown::Position() const
{
    return std::clamp(associate_.Number(minimum_), minimum_, maximum_);
}

void TUpDown::Step(int direction)
{
    const int next = std::clamp(Position() + direction * increment_, minimum_, maximum_);
    associate_.SetNumber(next);
    emit Clicked();
}

} // namespace fl
