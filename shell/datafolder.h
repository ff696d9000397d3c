#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// The folder of the control files, always ending with "/": the per-user folder +
// "valmoro/Korvex/" when it exists; otherwise the same under the first system-wide
// folder that holds it, or under the first system-wide folder when none does (the
// messages then name that path). The environment variable KORVEX_DATA_FOLDER
// overrides all of them.
QString DataFolderFor(const QString& userBase, const QStringList& commonBases);
QString DefaultDataFolder();

// The caption's version stamp: "1.02 (2016. 3. 4.)".
QString VersionText(int major, int minor, const QDate& fileDate);
// The running executable's stamp: the project version and the file's modification date.
QString GetVersionText();
