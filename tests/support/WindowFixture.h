#pragma once
// The real window over fake desktop services, shown offscreen and activated
// as at start-up.
#include "FakePlatform.h"
#include "app/Form1.h"
#include "app/Text1.h"

#include <memory>

namespace mx::test {

struct WindowFixture {
    FakePlatform fake;
    std::unique_ptr<Form1> window;

    WindowFixture()
        : window(std::make_unique<Form1>(fake.services))
    {
        window->show();
    }
    ~WindowFixture()
    {
        // Tests end with the window as they left it; no question on the way out.
        window->state().setModified(0);
    }

    Text1& text() { return window->text(); }
    WindowState& state() { return window->state(); }
    void trigger(const QString& control) { window->trigger(control); }
    FakeClipboard& clipboard() { return fake.clipboard; }

    // Puts text in and selects [start, start + length) in document terms.
    void setText(const QString& value, qsizetype start = 0, qsizetype length = 0)
    {
        text().SetText(value);
        text().SetSelStart(start);
        text().SetSelLength(length);
    }
};

} // namespace mx::test
