// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/QtFileDialogService.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace fl {

namespace {

QString FromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToUtf8(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

} // namespace

QStringList ConvertFileFilter(const std::string& filter)
{
    QStringList result;
    const QStringList parts = FromUtf8(filter).split(QLatin1Char('|'));
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QStringList patterns;
        if (i + 1 < parts.size())
            for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts))
                if (!pattern.trimmed().isEmpty())
                    patterns.append(pattern.trimmed());
        if (description.isEmpty() && patterns.isEmpty())
            continue;
        if (patterns.isEmpty())
            patterns.append(QStringLiteral("*"));
        const QString joined = patterns.join(QLatin1Char(' '));
        QString label = description.isEmpty() ? joined : description;
        // "GIF Image (*.gif)|*.gif" would otherwise show its patterns twice.
        const qsizetype open = label.lastIndexOf(QLatin1Char('('));
        if (open >= 0 && label.endsWith(QLatin1Char(')'))) {
            QString named = label.mid(open + 1, label.size() - open - 2);
            named.replace(QLatin1Char(';'), QLatin1Char(' '));
            if (named.simplified() == joined)
                label = label.left(open).trimmed();
        }
        result.append(label + QStringLiteral(" (") + joined + QLatin1Char(')'));
    }
    return result;
}

TFileDialogAnswer TQtFileDialogService::Run(const TFileDialogRequest& request)
{
    QFileDialog dialog(parent_);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setWindowTitle(FromUtf8(request.Title));
    const bool save = request.Kind == TFileDialogKind::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (save)
        dialog.setFileMode(QFileDialog::AnyFile);
    else if (request.Kind == TFileDialogKind::Folder)
        dialog.setFileMode(QFileDialog::Directory);
    else
        dialog.setFileMode(request.MultiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ShowDirsOnly, request.Kind == TFileDialogKind::Folder);
    // The dialog asks before replacing a file unless told otherwise.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !save);
    if (!request.DefaultExt.empty())
        dialog.setDefaultSuffix(FromUtf8(request.DefaultExt));

    const QStringList filters = ConvertFileFilter(request.Filter);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);

    // A preset path names the folder too; a bare name opens in the initial
    // folder. A folder that no longer exists leaves Qt's default.
    const QFileInfo preset(FromUtf8(request.FileName));
    QString folder = FromUtf8(request.InitialDir);
    if (!request.FileName.empty() && preset.fileName() != FromUtf8(request.FileName))
        folder = preset.absolutePath();
    if (!folder.isEmpty() && QDir(folder).exists())
        dialog.setDirectory(folder);
    if (!request.FileName.empty())
        dialog.selectFile(preset.fileName());

    PrepareDialog(dialog, request);

    const int result = dialog.exec();
    DialogClosed(dialog);
    TFileDialogAnswer answer;
    if (result != QDialog::Accepted)
        return answer;
    for (const QString& file : dialog.selectedFiles()) {
        answer.Files.push_back(ToUtf8(QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath())));
        if (save)
            break;
    }
    answer.Accepted = !answer.Files.empty();
    return answer;
}

void TQtFileDialogService::PrepareDialog(QFileDialog&, const TFileDialogRequest&)
{
}

void TQtFileDialogService::DialogClosed(QFileDialog&)
{
}

} // namespace fl
