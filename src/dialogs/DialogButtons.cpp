// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/DialogButtons.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

namespace fl {

TDialogButtons MakeDialogButtons(QDialog& dialog)
{
    TDialogButtons buttons;
    buttons.OK = new QPushButton("OK", &dialog);
    buttons.OK->setObjectName("btnOK");
    buttons.OK->setDefault(true);
    buttons.Cancel = new QPushButton("Cancel", &dialog);
    buttons.Cancel->setObjectName("btnCancel");
    QObject::connect(buttons.OK, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(buttons.Cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    buttons.Row = new QHBoxLayout;
    buttons.Row->addStretch();
    buttons.Row->addWidget(buttons.OK);
    buttons.Row->addWidget(buttons.Cancel);
    return buttons;
}

} // namespace fl
