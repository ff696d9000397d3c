#pragma once

#include <QDate>
#include <QString>

// The folder of the control files, always ending with "/": the per-user folder +
// "valmoro/Korvex/" when it exists, otherwise the same under the system-wide folder
// (not tested). The environment variable KORVEX_DATA_FOLDER overrides both.
QString DataFolderFor(const QString& userBase, const QString& commonBase);
QString DefaultDataFolder();

// The caption's version stamp: "1.02 (2016. 3. 4.)".
QString VersionText(int major, int minor, const QDate& fileDate);
// The running executable's stamp: the project version and the file's modification date.
QString GetVersionText();
