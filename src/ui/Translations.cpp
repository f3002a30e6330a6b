#include "ui/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace quorvel {

bool installChineseTranslations(QCoreApplication& application)
{
    auto* translator = new QTranslator(&application);
    // "qt_zh_CN" gathers the catalogues of every Qt module, qtbase's among them.
    if (!translator->load(QStringLiteral("qt_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace quorvel
