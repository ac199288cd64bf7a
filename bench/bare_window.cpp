// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The floor for start-up: a bare main window with a plain text edit, built
// with the same compiler, flags and Qt as the editor.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("File"));
    window.setCentralWidget(new QPlainTextEdit(&window));
    window.resize(486, 400);
    window.show();
    return QApplication::exec();
}
