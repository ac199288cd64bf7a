// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "commands/Commands.h"

#include "core/Document.h"
#include "core/Editor.h"
#include "core/FileFormat.h"
#include "core/ReferencedFile.h"
#include "core/TextArea.h"
#include "platform/Browser.h"
#include "platform/FileDialog.h"
#include "platform/Platform.h"
#include "platform/TextFiles.h"

using namespace Qt::Literals::StringLiterals;

namespace mx::document {

namespace {

using platform::Icon;

using Mode = platform::FileDialog::Mode;

// Shows Open or Save As on the list of the document's kinds, pages selected
// ("HTML(*.htm)"). The document hears of it however the dialog closed. The
// chosen name, or nothing on Cancel.
std::optional<QString> askForFile(Editor& editor, Mode mode)
{
    platform::FileDialog& dialog = editor.platform.dialog;
    using enum FileKind;
    dialog.prepare({filterPairs({Text, Htm, Html}), 1});
    const bool chosen = mode == Mode::Open ? dialog.showOpen() : dialog.showSave();
    if (mode == Mode::Open)
        editor.document.openAsked();
    else
        editor.document.saveAsAsked();
    if (!chosen)
        return std::nullopt;
    return dialog.fileName();
}

QString cannotOpen(const QString& path, const QString& reason)
{
    return u"ファイルを開けませんでした。\r\n\r\n%1\r\n\r\n%2"_s.arg(path, reason);
}

QString cannotSave(const QString& path, const QString& reason)
{
    return u"ファイルを保存できませんでした。\r\n\r\n%1\r\n\r\n%2\r\n\r\n画面の文書はそのまま残っています。"_s
        .arg(path, reason);
}

QString unencodableReason(const EncodedFile& encoded, const QString& encoding)
{
    const char32_t c = encoded.unencodable;
    return u"%1 行目の「%2」(U+%3) は %4 では書けない文字です。別の文字に置き換えてから保存してください。"_s
        .arg(QString::number(encoded.line), QString::fromUcs4(&c, 1),
             QString::number(quint32(c), 16).toUpper().rightJustified(4, u'0'),
             encodingDisplayName(encoding));
}

// Writes the document to path in its format; says why not when it cannot.
bool writeDocument(Editor& editor, const QString& path)
{
    const FileFormat& format = editor.document.fileFormat();
    const EncodedFile encoded = encodeFile(editor.text.text(), format);
    if (!encoded.ok()) {
        editor.tell(cannotSave(path, unencodableReason(encoded, format.encoding)), Icon::Warning);
        return false;
    }
    const QString error = editor.platform.files.write(path, encoded.bytes);
    if (!error.isEmpty()) {
        editor.tell(cannotSave(path, error), Icon::Critical);
        return false;
    }
    return true;
}

} // namespace

void openDocument(Editor& editor)
{
    const std::optional<QString> chosen = askForFile(editor, Mode::Open);
    if (!chosen)
        return;

    const QString& path = *chosen;
    BusyPointer busy(editor.text);
    DecodedFile decoded;
    {
        const platform::ReadResult read = editor.platform.files.read(path, kMaxFileBytes);
        if (!read.ok()) {
            busy.release();
            editor.tell(cannotOpen(path, read.error), Icon::Critical);
            return;
        }
        decoded = decodeFile(read.bytes);
    }
    if (!decoded.ok()) {
        busy.release();
        editor.tell(cannotOpen(path, decoded.error), Icon::Critical);
        return;
    }

    editor.text.load(std::move(decoded.text));
    busy.release();
    editor.document.opened(path, decoded.format);
    editor.platform.dialog.forgetNameAfterUse();

    if (decoded.guessed)
        editor.tell(
            u"%1\r\n\r\nの文字コードを判別できなかったため、ISO-8859-1 として開きました。"
            "日本語の文字は正しく表示されませんが、手を加えなかった部分は元のバイトのまま保存されます。"_s
                .arg(path),
            Icon::Warning);
}

bool saveDocument(Editor& editor)
{
    const QString path = editor.document.currentFile();
    if (path.isEmpty())
        return saveDocumentAs(editor);
    if (!writeDocument(editor, path))
        return false;
    editor.document.written(path);
    return true;
}

bool saveDocumentAs(Editor& editor)
{
    const std::optional<QString> chosen = askForFile(editor, Mode::Save);
    if (!chosen || !writeDocument(editor, *chosen))
        return false;
    editor.document.written(*chosen);
    editor.platform.dialog.forgetNameAfterUse();
    return true;
}

void showInBrowser(Editor& editor)
{
    // Nothing written, nothing to show: Save As was cancelled, or the save
    // failed and has said so.
    if (!saveDocument(editor))
        return;
    const QString path = editor.document.currentFile();
    if (!editor.platform.browser.showFile(path))
        editor.tell(u"ブラウザを起動できませんでした。ファイルは保存されています。\r\n\r\n%1"_s.arg(path),
                    Icon::Critical);
}

} // namespace mx::document
