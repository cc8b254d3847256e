#include "appstyle.h"

#include <QApplication>
#include <QFile>
#include <QRegularExpression>

void initUiResources()
{
    Q_INIT_RESOURCE(ui);
}

namespace {
const QString kStyleSheet = QStringLiteral(":/style/styles/style1.qss");
} // namespace

QStringList missingStylePictures(const QString &styleSheet)
{
    const QRegularExpression url(QStringLiteral("url\\((styles/[^)]+)\\)"));
    QStringList missing;
    for (auto match = url.globalMatch(styleSheet); match.hasNext();) {
        const QString picture = match.next().captured(1);
        if (!missing.contains(picture) && !QFile::exists(picture))
            missing << picture;
    }
    return missing;
}

void applyApplicationStyle(QApplication &app)
{
    initUiResources();
    QFile file(kStyleSheet);
    QByteArray text;
    if (file.open(QIODevice::ReadOnly))
        text = file.readAll();
    // The sheet is text up to the first zero byte.
    const int end = text.indexOf('\0');
    if (end >= 0)
        text.truncate(end);
    app.setStyleSheet(QString::fromUtf8(text));
}
