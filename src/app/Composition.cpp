// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Composition.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>

namespace mx {

namespace {

// How long the input method may take to deliver the composition. IBus does
// it in a few milliseconds; the limit only matters when nothing answers.
constexpr int kPatienceMs = 1000;
// IBus takes the composition off the screen just before it sends it as
// committed text; an input method that drops it sends nothing after.
constexpr int kAfterClearMs = 200;

// The widget draws the composition from the layout of the caret's block; it
// is not in the document.
QString shownComposition(const QPlainTextEdit* edit)
{
    const QTextLayout* layout = edit->textCursor().block().layout();
    return layout ? layout->preeditAreaText() : QString();
}

// Notes committed text on its way to the text area. The document says
// nothing reliable: the widget reports a change for every redraw of the
// composition as well.
class CommitWatch final : public QObject {
public:
    explicit CommitWatch(QObject* target) { target->installEventFilter(this); }
    bool arrived() const { return arrived_; }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::InputMethod
            && !static_cast<QInputMethodEvent*>(event)->commitString().isEmpty())
            arrived_ = true;
        return false;
    }

private:
    bool arrived_ = false;
};

} // namespace

void commitComposition(QPlainTextEdit* edit)
{
    if (shownComposition(edit).isEmpty())
        return;

    const CommitWatch committed(edit);
    // Not QInputMethod::commit(): Qt's IBus module sends its own copy of the
    // composition and then resets IBus, which commits it a second time. A
    // reset commits it once under both IBus (over D-Bus, a moment later) and
    // Fcitx 5 (before it returns).
    QGuiApplication::inputMethod()->reset();

    // The user's own keys and clicks wait until the command has run.
    const QPointer<QPlainTextEdit> guard(edit);
    const QDeadlineTimer deadline(kPatienceMs);
    QDeadlineTimer cleared(QDeadlineTimer::Forever);
    QTimer tick; // wakes the loop when nothing else arrives
    tick.start(10);
    while (guard && !deadline.hasExpired()) {
        if (!shownComposition(edit).isEmpty()) {
            cleared = QDeadlineTimer(QDeadlineTimer::Forever);
        } else if (committed.arrived()) {
            break;
        } else if (cleared.isForever()) {
            cleared.setRemainingTime(kAfterClearMs);
        } else if (cleared.hasExpired()) {
            break;
        }
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
    }
    if (!guard)
        return;

    // Nothing came (no input method runs, or it sent the text to no widget,
    // having lost the focus): keep what the user typed, as the screen shows it.
    const QString left = shownComposition(edit);
    if (!left.isEmpty()) {
        QInputMethodEvent commit;
        commit.setCommitString(left);
        QCoreApplication::sendEvent(edit, &commit);
    }
}

} // namespace mx
