// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SnippetInsertion.h"

#include "Editor.h"
#include "TextArea.h"
#include "platform/Clipboard.h"
#include "platform/Platform.h"

using namespace Qt::Literals::StringLiterals;

namespace mx {

namespace {

void tellNotInserted(Editor& editor, const QString& why)
{
    editor.tell(why + u"\r\nタグは挿入されていません。"_s, platform::Icon::Warning);
}

} // namespace

bool insertSnippet(Editor& editor, const QString& snippet, Failure failure)
{
    const bool carryOn = failure == Failure::CarryOn;
    platform::Clipboard& clipboard = editor.platform.clipboard;

    // Carrying on past a failed write reads back whatever the clipboard held.
    if (!clipboard.setText(snippet) && !carryOn) {
        tellNotInserted(editor, u"クリップボードに書き込めませんでした。"_s);
        return false;
    }
    const std::optional<QString> text = clipboard.text();
    if (!text) {
        if (!carryOn)
            tellNotInserted(editor, u"クリップボードから読み込めませんでした。"_s);
        return false;
    }
    editor.text.replaceSelection(*text);
    return true;
}

} // namespace mx
