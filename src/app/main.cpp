// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Accessibility.h"
#include "MainWindow.h"
#include "core/Document.h"
#include "platform/QtPlatform.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(mx::kProgramName);
    QApplication::setDesktopFileName(u"marquetrix"_s);
    mx::describeApplication();

    // The program speaks Japanese whatever the locale, and so must Qt's own
    // buttons and dialogs.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    QTranslator qtTranslations;
    if (qtTranslations.load(u"qtbase_ja"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslations);

    mx::platform::QtPlatform platform;
    mx::MainWindow window(platform.services());
    window.show();
    return QApplication::exec();
}
