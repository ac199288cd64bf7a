#pragma once
// Stand-ins for the desktop: they record what the program asked of them and
// answer from scripts the test sets up.
#include "platform/Browser.h"
#include "platform/Clipboard.h"
#include "platform/CommonDialog.h"
#include "platform/InputBox.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "platform/QtPlatform.h"
#include "platform/TextFiles.h"

#include <QList>
#include <QQueue>
#include <QString>

#include <functional>

namespace mx::test {

class FakeClipboard final : public platform::Clipboard {
public:
    QString text;
    bool failSet = false;
    bool failGet = false;
    QList<QString> sets; // every SetText, in order
    int gets = 0;

    bool SetText(const QString& value) override
    {
        sets << value;
        if (failSet)
            return false;
        text = value;
        return true;
    }
    std::optional<QString> GetText() override
    {
        ++gets;
        if (failGet)
            return std::nullopt;
        return text;
    }
};

struct ShownMessage {
    QString text;
    int style;
    QString title;
};

class FakeMessageBox final : public platform::MessageBox {
public:
    QList<ShownMessage> shown;
    QQueue<platform::Answer> answers; // default: Yes for a question, OK otherwise

    platform::Answer Show(const QString& text, int style, const QString& title) override
    {
        shown << ShownMessage{text, style, title};
        if (!answers.isEmpty())
            return answers.dequeue();
        return (style & 7) == platform::Style::YesNo ? platform::Answer::Yes : platform::Answer::Ok;
    }
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

    QString Show(const QString& prompt, const QString& title, const QString& initial) override
    {
        asked << AskedInput{prompt, title, initial};
        return answers.isEmpty() ? QString() : answers.dequeue();
    }
};

class FakeCommonDialog final : public platform::CommonDialog {
public:
    QList<Request> requests;
    QQueue<std::optional<QString>> answers; // nullopt or empty queue: Cancel

protected:
    std::optional<QString> run(const Request& request) override
    {
        requests << request;
        return answers.isEmpty() ? std::nullopt : answers.dequeue();
    }
};

class FakeBrowser final : public platform::Browser {
public:
    QList<QString> shown;
    bool fail = false;

    bool Show(const QString& path) override
    {
        shown << path;
        return !fail;
    }
};

// The real file layer, on the test's own temporary folders, that can be made
// to fail and remembers what it was asked.
class FakeTextFiles final : public platform::TextFiles {
public:
    QString failRead;  // non-empty: Read fails with this reason
    QString failWrite; // non-empty: Write fails with this reason
    QList<QString> reads;
    QList<QString> writes;
    std::function<void()> duringRead; // runs while a read is under way

    platform::ReadResult Read(const QString& path, qint64 limit) override
    {
        reads << path;
        if (duringRead)
            duringRead();
        if (!failRead.isEmpty())
            return {{}, failRead};
        return real.Read(path, limit);
    }
    QString Write(const QString& path, const QByteArray& bytes) override
    {
        writes << path;
        if (!failWrite.isEmpty())
            return failWrite;
        return real.Write(path, bytes);
    }

private:
    platform::QtTextFiles real;
};

struct FakePlatform {
    FakeClipboard clipboard;
    FakeCommonDialog dialog;
    FakeMessageBox messages;
    FakeInputBox input;
    FakeBrowser browser;
    FakeTextFiles files;
    platform::Platform services{clipboard, dialog, messages, input, browser, files};
};

} // namespace mx::test
