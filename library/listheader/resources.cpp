#include "library/listheader/resources.h"

#include <QDir>
#include <QFile>
#include <QString>

TSharedXmlDocument* SharedXMLDocument = nullptr;

namespace {

std::optional<std::string> ReadWhole(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace

std::optional<std::string> FindResourceData(std::string_view name, std::string_view type)
{
    if (name.empty() || type.empty())
        return std::nullopt;
    const QString folder = QStringLiteral(":/") + QString::fromUtf8(type.data(), static_cast<qsizetype>(type.size()));
    const QString wanted = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    // A name with a path separator would reach into another type's folder.
    if (wanted.contains(QLatin1Char('/')))
        return std::nullopt;

    const QString exact = folder + QLatin1Char('/') + wanted;
    if (QFile::exists(exact))
        return ReadWhole(exact);
    const QDir dir(folder);
    const QStringList entries = dir.entryList(QDir::Files);
    for (const QString& entry : entries) {
        if (entry.compare(wanted, Qt::CaseInsensitive) == 0)
            return ReadWhole(dir.filePath(entry));
    }
    return std::nullopt;
}
