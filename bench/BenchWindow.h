// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The real window, offscreen, over the real desktop services: what the
// command benchmarks run in.
#include "app/MainWindow.h"
#include "core/TextArea.h"
#include "platform/QtPlatform.h"

#include <QPlainTextEdit>

namespace mx::bench {

// The window refers to the services it owns, so it is never copied.
struct BenchWindow {
    platform::QtPlatform platform;
    MainWindow window{platform.services()};
    QPlainTextEdit* edit = window.findChild<QPlainTextEdit*>();
    TextArea& text = window.textArea();

    BenchWindow() { window.show(); }
    BenchWindow(const BenchWindow&) = delete;
    BenchWindow& operator=(const BenchWindow&) = delete;
    // Leaves without the close question.
    ~BenchWindow() { window.document().closing(); }
};

} // namespace mx::bench
