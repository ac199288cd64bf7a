// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "FileCommands.h"

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

// Pages selected: "HTML(*.htm)".
void prepareDialog(platform::FileDialog& dialog)
{
    using enum FileKind;
    dialog.prepare({filterPairs({Text, Htm, Html}), 1});
}

QString cannotOpen(const QString& path, const QString& reason)
{
    return u"ファイルを開けませんでした。\n\n%1\n\n%2"_s.arg(path, reason);
}

QString cannotSave(const QString& path, const QString& reason)
{
    return u"ファイルを保存できませんでした。\n\n%1\n\n%2\n\n画面の文書はそのまま残っています。"_s.arg(
        path, reason);
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
    platform::FileDialog& dialog = editor.platform.dialog;
    prepareDialog(dialog);
    const bool chosen = dialog.showOpen();
    editor.document.openAsked();
    if (!chosen)
        return;

    const QString path = dialog.fileName();
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
    dialog.forgetNameAfterUse();

    if (decoded.guessed)
        editor.tell(
            u"%1\n\nの文字コードを判別できなかったため、ISO-8859-1 として開きました。"
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
    platform::FileDialog& dialog = editor.platform.dialog;
    prepareDialog(dialog);
    const bool chosen = dialog.showSave();
    editor.document.saveAsAsked();
    if (!chosen)
        return false;

    const QString path = dialog.fileName();
    if (!writeDocument(editor, path))
        return false;
    editor.document.written(path);
    dialog.forgetNameAfterUse();
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
        editor.tell(u"ブラウザを起動できませんでした。ファイルは保存されています。\n\n%1"_s.arg(path),
                    Icon::Critical);
}

} // namespace mx::document
