#include "shell/datafolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#ifndef KORVEX_VERSION_MAJOR
#define KORVEX_VERSION_MAJOR 0
#define KORVEX_VERSION_MINOR 0
#endif

namespace {

const QString Subfolder = QStringLiteral("valmoro/Korvex/");

QString WithSlash(QString folder)
{
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

}  // namespace

QString DataFolderFor(const QString& userBase, const QString& commonBase)
{
    QString user = WithSlash(userBase) + Subfolder;
    if (QFileInfo::exists(user))
        return user;
    return WithSlash(commonBase) + Subfolder;
}

QString DefaultDataFolder()
{
    QString overridden = qEnvironmentVariable("KORVEX_DATA_FOLDER");
    if (!overridden.isEmpty())
        return WithSlash(QDir::fromNativeSeparators(overridden));
#ifdef Q_OS_WIN
    return DataFolderFor(QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA")),
                         QDir::fromNativeSeparators(qEnvironmentVariable("ProgramData")));
#else
    // GenericDataLocation: the per-user folder first, then the system-wide ones.
    QStringList folders = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    QString user = folders.value(0, QDir::homePath() + QStringLiteral("/.local/share"));
    QString common = folders.value(1, QStringLiteral("/usr/share"));
    return DataFolderFor(user, common);
#endif
}

QString VersionText(int major, int minor, const QDate& fileDate)
{
    return QStringLiteral("%1.%2 (%3. %4. %5.)")
        .arg(major)
        .arg(minor, 2, 10, QLatin1Char('0'))
        .arg(fileDate.year())
        .arg(fileDate.month())
        .arg(fileDate.day());
}

QString GetVersionText()
{
    QFileInfo executable(QCoreApplication::applicationFilePath());
    if (!executable.exists())
        return {};
    return VersionText(KORVEX_VERSION_MAJOR, KORVEX_VERSION_MINOR, executable.lastModified().date());
}
