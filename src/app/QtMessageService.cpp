// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/QtMessageService.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>
#include <vector>

namespace fl {

namespace {

QMessageBox::Icon KindIcon(TMsgDlgType kind)
{
    switch (kind) {
    case TMsgDlgType::mtWarning:
        return QMessageBox::Warning;
    case TMsgDlgType::mtError:
        return QMessageBox::Critical;
    case TMsgDlgType::mtInformation:
        return QMessageBox::Information;
    case TMsgDlgType::mtConfirmation:
        return QMessageBox::Question;
    case TMsgDlgType::mtCustom:
        return QMessageBox::NoIcon;
    }
    return QMessageBox::NoIcon;
}

// The application's title once the program has set one; Qt falls back to
// the executable's name, which is no title for a box.
QString BoxTitle()
{
    const QString title = QApplication::applicationDisplayName();
    if (title.isEmpty() || title == QCoreApplication::applicationName())
        return QStringLiteral("Quillmark Frameloom 4.0");
    return title;
}

// A box whose Escape key and close box answer Cancel whatever buttons it
// has: QMessageBox would otherwise press its only button, or ignore Escape
// when it finds no button to press.
class TAnswerBox final : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->matches(QKeySequence::Cancel)) {
            reject();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override { QDialog::closeEvent(event); }
};

// The button Return presses: OK, else Yes, else the first one.
size_t DefaultButtonIndex(const std::vector<TMessageButton>& buttons)
{
    for (TMsgDlgBtn preferred : {TMsgDlgBtn::mbOK, TMsgDlgBtn::mbYes})
        for (size_t i = 0; i < buttons.size(); ++i)
            if (buttons[i].Button == preferred)
                return i;
    return 0;
}

} // namespace

QString StandardButtonCaption(TMsgDlgBtn button)
{
    switch (button) {
    case TMsgDlgBtn::mbYes:
        return QStringLiteral("&Yes");
    case TMsgDlgBtn::mbNo:
        return QStringLiteral("&No");
    case TMsgDlgBtn::mbOK:
        return QStringLiteral("OK");
    case TMsgDlgBtn::mbCancel:
        return QStringLiteral("Cancel");
    case TMsgDlgBtn::mbAbort:
        return QStringLiteral("&Abort");
    case TMsgDlgBtn::mbRetry:
        return QStringLiteral("&Retry");
    case TMsgDlgBtn::mbIgnore:
        return QStringLiteral("&Ignore");
    case TMsgDlgBtn::mbAll:
        return QStringLiteral("&All");
    case TMsgDlgBtn::mbNoToAll:
        return QStringLiteral("N&o to All");
    case TMsgDlgBtn::mbYesToAll:
        return QStringLiteral("Yes to &All");
    }
    return {};
}

TQtMessageService::~TQtMessageService()
{
    // A busy scope still open when the service goes would leave the
    // application with the hourglass for good.
    while (busyDepth_ > 0)
        EndBusy();
}

TMessageAnswer TQtMessageService::Ask(const TMessageRequest& request)
{
    TAnswerBox box(parent_);
    box.setWindowTitle(BoxTitle());
    box.setIcon(KindIcon(request.Kind));
    box.setText(QString::fromStdString(request.Text));
    // Plain text: file names in messages may hold characters Qt would
    // otherwise take for markup.
    box.setTextFormat(Qt::PlainText);

    std::vector<TMessageButton> buttons = request.Buttons;
    // A box without buttons could not be closed except by Escape; it gets OK.
    if (buttons.empty())
        buttons.push_back({TMsgDlgBtn::mbOK, {}});

    // All buttons in one role: Qt orders buttons by role on some platforms,
    // and within a role it keeps the order the request gives.
    std::vector<std::pair<QPushButton*, int>> results;
    for (const TMessageButton& button : buttons) {
        const QString caption = button.Caption.empty() ? StandardButtonCaption(button.Button)
                                                       : QString::fromStdString(button.Caption);
        results.emplace_back(box.addButton(caption, QMessageBox::ActionRole), ButtonResult(button.Button));
    }
    box.setDefaultButton(results[DefaultButtonIndex(buttons)].first);

    QCheckBox* checkBox = nullptr;
    if (!request.CheckBoxCaption.empty()) {
        // The box takes ownership of the check box.
        checkBox = new QCheckBox(QString::fromStdString(request.CheckBoxCaption));
        box.setCheckBox(checkBox);
    }

    // The hourglass of a busy routine would hide that the box wants an answer.
    const bool restoreBusy = busyDepth_ > 0;
    if (restoreBusy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    box.exec();
    if (restoreBusy)
        QApplication::restoreOverrideCursor();

    TMessageAnswer answer;
    answer.ModalResult = mrCancel;
    QAbstractButton* clicked = box.clickedButton();
    const auto found = std::find_if(results.begin(), results.end(),
                                    [clicked](const auto& entry) { return entry.first == clicked; });
    if (clicked && found != results.end())
        answer.ModalResult = found->second;
    answer.Checked = checkBox && checkBox->isChecked();
    return answer;
}

void TQtMessageService::Beep()
{
    QApplication::beep();
}

void TQtMessageService::BeginBusy()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ++busyDepth_;
}

void TQtMessageService::EndBusy()
{
    // An unmatched end would pop a cursor someone else set.
    if (busyDepth_ == 0)
        return;
    --busyDepth_;
    QApplication::restoreOverrideCursor();
}

} // namespace fl
