// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The real window over fake desktop services, shown offscreen and activated
// as at start-up.
#include "FakePlatform.h"
#include "app/MainWindow.h"
#include "app/MenuTable.h"
#include "core/TextArea.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>

#include <memory>

namespace mx::test {

// What the input method does when the window asks it to commit.
enum class ImAnswer { Commits, Drops, Silent };

struct WindowFixture {
    FakePlatform fake;
    std::unique_ptr<MainWindow> window;

    WindowFixture() : window(std::make_unique<MainWindow>(fake.services)) { window->show(); }
    ~WindowFixture()
    {
        // Tests end with the window as they left it; no question on the way out.
        window->document().closing();
    }

    TextArea& text() { return window->textArea(); }
    Document& document() { return window->document(); }
    // As if the text had just been written to its file.
    void markSaved() { document().written(document().currentFile()); }
    void trigger(MenuId item) { window->trigger(item); }
    // Through the menu table, by the control name a test row carries.
    void trigger(const QString& control) { window->trigger(idOf(control)); }
    static MenuId idOf(const QString& control)
    {
        for (const MenuEntry& entry : menuTree())
            if (entry.control == control)
                return entry.id;
        qFatal("no menu item %s", qPrintable(control));
    }
    FakeClipboard& clipboard() { return fake.clipboard; }

    QPlainTextEdit* edit() const { return window->findChild<QPlainTextEdit*>(); }
    QString shownComposition() const { return edit()->textCursor().block().layout()->preeditAreaText(); }

    // Shows composition at the caret as an input method's text, not yet
    // committed. The input method's answer is queued, and arrives as soon as
    // events are handled: as IBus answers a reset, the composition taken off
    // the screen and then, a moment later, sent as committed text; or only
    // taken off the screen; or nothing at all.
    void compose(const QString& composition, ImAnswer answer)
    {
        QPlainTextEdit* target = edit();
        QInputMethodEvent shown(composition, {{QInputMethodEvent::Cursor, int(composition.size()), 1, {}}});
        QCoreApplication::sendEvent(target, &shown);
        if (answer == ImAnswer::Silent)
            return;
        QTimer::singleShot(0, target, [target] {
            QInputMethodEvent cleared(QString(), {});
            QCoreApplication::sendEvent(target, &cleared);
        });
        if (answer == ImAnswer::Commits) {
            QTimer::singleShot(50, target, [target, composition] {
                QInputMethodEvent committed;
                committed.setCommitString(composition);
                QCoreApplication::sendEvent(target, &committed);
            });
        }
    }

    // Puts text in and selects [start, start + length) in document terms.
    void setText(const QString& value, qsizetype start = 0, qsizetype length = 0)
    {
        text().setText(value);
        text().select(start, length);
    }
};

} // namespace mx::test
