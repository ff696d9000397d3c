#include "shell/qttranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

bool LoadQtTranslation(QCoreApplication& app)
{
    // The program speaks Hungarian whatever the desktop's language is.
    const QLocale hungarian(QLocale::Hungarian, QLocale::Hungary);
    QLocale::setDefault(hungarian);
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(hungarian, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    translator->setParent(&app);  // the application owns it from here
    return QCoreApplication::installTranslator(translator.release());
}
