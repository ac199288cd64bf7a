#include "Form1.h"
#include "platform/QtPlatform.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"Marquetrix"_s);
    QApplication::setDesktopFileName(u"marquetrix"_s);

    // The program speaks Japanese whatever the locale, and so must Qt's own
    // buttons and dialogs.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    QTranslator qtTranslations;
    if (qtTranslations.load(u"qtbase_ja"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslations);

    mx::platform::QtPlatform platform;
    mx::platform::Platform services = platform.services();
    mx::Form1 window(services);
    window.show();
    return QApplication::exec();
}
