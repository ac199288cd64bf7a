// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "QtPlatform.h"

#include "Browser.h"
#include "Clipboard.h"
#include "FileDialog.h"
#include "InputBox.h"
#include "Logout.h"
#include "MessageBox.h"
#include "QtSession.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace mx::platform {

namespace {

// The top-level window that modal boxes belong to.
QWidget* dialogParent()
{
    return QApplication::activeWindow();
}

class QtClipboard final : public Clipboard {
public:
    void setText(const QString& text) override
    {
        // Taking the selection is one request to the display server; whoever
        // takes it back afterwards is not waited for.
        if (QClipboard* clipboard = QGuiApplication::clipboard())
            clipboard->setText(text, QClipboard::Clipboard);
    }
};

// What the box says once the user has closed it. The title bar's close
// button counts as No, like Escape.
Answer answerOf(const QMessageBox& box)
{
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::Ok: return Answer::Ok;
    default: return box.standardButtons().testFlag(QMessageBox::Ok) ? Answer::Ok : Answer::No;
    }
}

class QtMessageBox final : public MessageBox {
public:
    Answer show(const QString& text, const QString& title, Icon icon, Buttons buttons) override
    {
        QMessageBox box(dialogParent());
        box.setText(text);
        box.setWindowTitle(title.isEmpty() ? QApplication::applicationDisplayName() : title);
        switch (icon) {
        case Icon::None: box.setIcon(QMessageBox::NoIcon); break;
        case Icon::Question: box.setIcon(QMessageBox::Question); break;
        case Icon::Warning: box.setIcon(QMessageBox::Warning); break;
        case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
        }
        if (buttons == Buttons::Ok) {
            box.setStandardButtons(QMessageBox::Ok);
        } else {
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(QMessageBox::Yes);
            box.setEscapeButton(QMessageBox::No);
        }
        // Boxes nest (a logout can arrive while one is up): keep the outer one.
        const QPointer<QMessageBox> outer = showing_;
        showing_ = &box;
        box.exec();
        showing_ = outer;
        return answerOf(box);
    }

    std::optional<Answer> awaitShowingAnswer() override
    {
        const QPointer<QMessageBox> box = showing_;
        if (!box)
            return std::nullopt;
        // The box ends its own modal loop only after this call returns, but it
        // says finished() as soon as the user has answered.
        if (box->isVisible()) {
            QEventLoop waiting;
            QObject::connect(box, &QDialog::finished, &waiting, &QEventLoop::quit);
            QObject::connect(box, &QObject::destroyed, &waiting, &QEventLoop::quit);
            waiting.exec();
        }
        if (!box)
            return std::nullopt;
        return answerOf(*box);
    }

private:
    QPointer<QMessageBox> showing_;
};

class QtInputBox final : public InputBox {
public:
    QString getText(const QString& prompt, const QString& title, const QString& initial) override
    {
        QInputDialog dialog(dialogParent());
        dialog.setInputMode(QInputDialog::TextInput);
        dialog.setWindowTitle(title);
        dialog.setLabelText(prompt);
        dialog.setTextValue(initial);
        if (dialog.exec() != QDialog::Accepted)
            return QString();
        return dialog.textValue();
    }
};

class QtFileDialog final : public FileDialog {
public:
    QString startFolder() const override
    {
        // On this desktop the top of the disk is the user's home folder.
        return QDir::homePath();
    }

protected:
    std::optional<QString> run(Mode mode, const FileDialogState& state) override
    {
        QFileDialog dialog(dialogParent());
        // Qt's own dialog speaks the translations we load; the portal's might not.
        dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails
                          | QFileDialog::DontConfirmOverwrite);
        dialog.setAcceptMode(mode == Mode::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        // Open too takes a name that does not exist yet: a link may point at a
        // page still to be written, and Open says itself when a file is missing.
        dialog.setFileMode(QFileDialog::AnyFile);
        const QStringList filters = nameFilters(state.filter.pairs);
        dialog.setNameFilters(filters);
        if (state.filter.selected >= 0 && state.filter.selected < filters.size())
            dialog.selectNameFilter(filters[state.filter.selected]);
        dialog.setDirectory(state.folder);
        if (!state.fileName.isEmpty())
            dialog.selectFile(state.fileName);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        const QStringList chosen = dialog.selectedFiles();
        if (chosen.isEmpty())
            return std::nullopt;
        return QDir::toNativeSeparators(chosen.first());
    }
};

class QtBrowser final : public Browser {
public:
    bool showFile(const QString& path) override
    {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }
};

} // namespace

QStringList nameFilters(const QString& filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(u';', Qt::SkipEmptyParts)) {
            if (pattern == u"*.*"_s) {
                patterns << u"*"_s;
                continue;
            }
            patterns << pattern;
            // Linux names are case-sensitive; a page saved as INDEX.HTM is still a page.
            const QString upper = pattern.toUpper();
            if (upper != pattern)
                patterns << upper;
        }
        // The description is shown as it is; the patterns are hidden after it.
        filters << parts[i] + u" ("_s + patterns.join(u' ') + u')';
    }
    return filters;
}

struct QtPlatform::Parts {
    explicit Parts(const StandIns& standIns)
        : services{.clipboard = clipboard,
                   .dialog = standIns.dialog ? *standIns.dialog : dialog,
                   .messages = standIns.messages ? *standIns.messages : messages,
                   .input = input,
                   .browser = browser,
                   .files = files,
                   .session = session,
                   .endRequests = endRequests,
                   .logoutInhibitor = logoutInhibitor}
    {
    }

    QtClipboard clipboard;
    QtFileDialog dialog;
    QtMessageBox messages;
    QtInputBox input;
    QtBrowser browser;
    QtTextFiles files;
    QtSession session;
    QtEndRequests endRequests;
    QtLogoutInhibitor logoutInhibitor;
    Platform services;
};

QtPlatform::QtPlatform(const StandIns& standIns) : parts_(std::make_unique<Parts>(standIns))
{
}

QtPlatform::~QtPlatform() = default;

Platform& QtPlatform::services()
{
    return parts_->services;
}

} // namespace mx::platform
