// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The real window over fake desktop services, shown offscreen and activated
// as at start-up.
#include "FakePlatform.h"
#include "app/MainWindow.h"
#include "core/TextArea.h"

#include <memory>

namespace mx::test {

struct WindowFixture {
    FakePlatform fake;
    std::unique_ptr<MainWindow> window;

    WindowFixture() : window(std::make_unique<MainWindow>(fake.services)) { window->show(); }
    ~WindowFixture()
    {
        // Tests end with the window as they left it; no question on the way out.
        window->state().setModified(false);
    }

    TextArea& text() { return window->textArea(); }
    EditorState& state() { return window->state(); }
    void trigger(const QString& control) { window->trigger(control); }
    FakeClipboard& clipboard() { return fake.clipboard; }

    // Puts text in and selects [start, start + length) in document terms.
    void setText(const QString& value, qsizetype start = 0, qsizetype length = 0)
    {
        text().setText(value);
        text().select(start, length);
    }
};

} // namespace mx::test
