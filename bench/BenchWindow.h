#pragma once
// The real window, offscreen, over the real desktop services: what the
// command benchmarks run in.
#include "app/Form1.h"
#include "app/Text1.h"
#include "platform/QtPlatform.h"

#include <QPlainTextEdit>

namespace mx::bench {

struct BenchWindow {
    platform::QtPlatform platform;
    platform::Platform services = platform.services();
    Form1 window{services};
    QPlainTextEdit* edit = window.findChild<QPlainTextEdit*>();
    Text1& text = window.text();

    BenchWindow() { window.show(); }
    // Leaves without the close question.
    ~BenchWindow() { window.state().setModified(0); }
};

} // namespace mx::bench
