// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/QtShellService.h"

#include <QDesktopServices>
#include <QRegularExpression>

namespace fl {

QUrl ShellTargetUrl(const std::string& target)
{
    const QString text = QString::fromUtf8(target.data(), static_cast<qsizetype>(target.size())).trimmed();
    if (text.isEmpty())
        return {};
    // Two letters or more before the colon: "C:\Images\a.gif" is a path with
    // a drive letter, not a URL with the scheme "c".
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    if (scheme.match(text).hasMatch()) {
        const QUrl url(text, QUrl::TolerantMode);
        if (url.isValid())
            return url;
    }
    return QUrl::fromLocalFile(text);
}

bool TQtShellService::Open(const std::string& target)
{
    const QUrl url = ShellTargetUrl(target);
    return url.isValid() && !url.isEmpty() && QDesktopServices::openUrl(url);
}

} // namespace fl
