// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Stand-ins for the desktop: they record what the program asked of them and
// answer from scripts the test sets up.
#include "platform/Browser.h"
#include "platform/Clipboard.h"
#include "platform/EndRequests.h"
#include "platform/FileDialog.h"
#include "platform/InputBox.h"
#include "platform/Logout.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "platform/QtPlatform.h"
#include "platform/TextFiles.h"

#include <QList>
#include <QQueue>
#include <QString>

#include <functional>
#include <utility>

namespace mx::test {

class FakeClipboard final : public platform::Clipboard {
public:
    QString contents;
    bool failSet = false; // another program keeps the clipboard
    QList<QString> sets; // every setText, in order

    void setText(const QString& value) override
    {
        sets << value;
        if (!failSet)
            contents = value;
    }
};

struct ShownMessage {
    QString text;
    QString title;
    platform::Icon icon;
    platform::Buttons buttons;
};

class FakeMessageBox final : public platform::MessageBox {
public:
    QList<ShownMessage> shown;
    QQueue<platform::Answer> answers; // default: Yes for a question, OK otherwise
    std::function<void()> whileShowing; // runs while a box is up, as events would

    platform::Answer show(const QString& text, const QString& title, platform::Icon icon,
                          platform::Buttons buttons) override
    {
        shown << ShownMessage{text, title, icon, buttons};
        const platform::Answer answer = !answers.isEmpty()                    ? answers.dequeue()
                                        : buttons == platform::Buttons::YesNo ? platform::Answer::Yes
                                                                              : platform::Answer::Ok;
        const std::optional<platform::Answer> outer = showing_;
        showing_ = answer;
        if (whileShowing)
            std::exchange(whileShowing, nullptr)();
        showing_ = outer;
        return answer;
    }
    std::optional<platform::Answer> awaitShowingAnswer() override { return showing_; }

private:
    std::optional<platform::Answer> showing_;
};

// A logout as the session manager brings it, recording what the program did.
class FakeLogout final : public platform::Logout {
public:
    bool interactionAllowed = true;
    QStringList calls;

    bool allowsInteraction() override { return interactionAllowed; }
    void release() override { calls << QStringLiteral("release"); }
    void cancel() override { calls << QStringLiteral("cancel"); }
};

class FakeSession final : public platform::Session {
public:
    void onLogout(std::function<void(platform::Logout&)> ask) override { ask_ = std::move(ask); }
    // The session manager asks about a logout.
    void logout(platform::Logout& logout) { ask_(logout); }

private:
    std::function<void(platform::Logout&)> ask_;
};

struct AskedInput {
    QString prompt;
    QString title;
    QString initial;
};

class FakeInputBox final : public platform::InputBox {
public:
    QList<AskedInput> asked;
    QQueue<QString> answers; // empty: Cancel

    QString getText(const QString& prompt, const QString& title, const QString& initial) override
    {
        asked << AskedInput{prompt, title, initial};
        return answers.isEmpty() ? QString() : answers.dequeue();
    }
};

class FakeFileDialog final : public platform::FileDialog {
public:
    struct Request {
        Mode mode;
        platform::FileDialogState state; // as the dialog opened
    };
    QList<Request> requests;
    QQueue<std::optional<QString>> answers; // nullopt or empty queue: Cancel

    QString startFolder() const override { return QStringLiteral("/top/of/the/disk"); }
    // The dialog as another command may have left it.
    void leave(const platform::FileDialogState& state) { remembered() = state; }

protected:
    std::optional<QString> run(Mode mode, const platform::FileDialogState& state) override
    {
        requests << Request{mode, state};
        return answers.isEmpty() ? std::nullopt : answers.dequeue();
    }
};

class FakeBrowser final : public platform::Browser {
public:
    QList<QString> shown;
    bool fail = false;

    bool showFile(const QString& path) override
    {
        shown << path;
        return !fail;
    }
};

// The real file layer, on the test's own temporary folders, that can be made
// to fail and remembers what it was asked.
class FakeTextFiles final : public platform::TextFiles {
public:
    QString failRead; // non-empty: Read fails with this reason
    QString failWrite; // non-empty: Write fails with this reason
    QList<QString> reads;
    QList<QString> writes;
    std::function<void()> duringRead; // runs while a read is under way

    platform::ReadResult read(const QString& path, qint64 limit) override
    {
        reads << path;
        if (duringRead)
            duringRead();
        if (!failRead.isEmpty())
            return {{}, failRead};
        return real.read(path, limit);
    }
    QString write(const QString& path, const QByteArray& bytes) override
    {
        writes << path;
        if (!failWrite.isEmpty())
            return failWrite;
        return real.write(path, bytes);
    }

private:
    platform::QtTextFiles real;
};

// Records whether the program holds a logout back.
class FakeLogoutInhibitor final : public platform::LogoutInhibitor {
public:
    QList<bool> calls;
    bool inhibited() const { return !calls.isEmpty() && calls.last(); }
    void setInhibited(bool inhibited) override { calls << inhibited; }
};

// The fakes, owned together; the services refer to them, so the set is never copied.
struct FakePlatform {
    FakePlatform() = default;
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    FakeClipboard clipboard;
    FakeFileDialog dialog;
    FakeMessageBox messages;
    FakeInputBox input;
    FakeBrowser browser;
    FakeTextFiles files;
    FakeSession session;
    platform::EndRequests endRequests; // a test emits endRequested() as a signal would
    FakeLogoutInhibitor logoutInhibitor;
    platform::Platform services{.clipboard = clipboard,
                                .dialog = dialog,
                                .messages = messages,
                                .input = input,
                                .browser = browser,
                                .files = files,
                                .session = session,
                                .endRequests = endRequests,
                                .logoutInhibitor = logoutInhibitor};
};

} // namespace mx::test
