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

QString DataFolderFor(const QString& userBase, const QStringList& commonBases)
{
    QString user = WithSlash(userBase) + Subfolder;
    if (QFileInfo::exists(user))
        return user;
    // $XDG_DATA_DIRS often starts with folders of desktops and sandboxes (for example
    // /usr/share/gnome or flatpak exports), where nobody installs Korvex's files.
    for (const QString& base : commonBases) {
        QString common = WithSlash(base) + Subfolder;
        if (QFileInfo::exists(common))
            return common;
    }
    return WithSlash(commonBases.value(0, QStringLiteral("/usr/local/share"))) + Subfolder;
}

QString DefaultDataFolder()
{
    QString overridden = qEnvironmentVariable("KORVEX_DATA_FOLDER");
    if (!overridden.isEmpty())
        return WithSlash(QDir::fromNativeSeparators(overridden));
#ifdef Q_OS_WIN
    return DataFolderFor(QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA")),
                         {QDir::fromNativeSeparators(qEnvironmentVariable("ProgramData"))});
#else
    // GenericDataLocation: $XDG_DATA_HOME first, then the folders of $XDG_DATA_DIRS
    // (by default /usr/local/share and /usr/share).
    QStringList folders = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    QString user = folders.isEmpty() ? QDir::homePath() + QStringLiteral("/.local/share") : folders.takeFirst();
    return DataFolderFor(user, folders);
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
