#include "InsertSnippet.h"

#include "app/Editor.h"
#include "app/Text1.h"
#include "platform/Clipboard.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"

using namespace Qt::Literals::StringLiterals;

namespace mx::tags {

namespace {

void tellUser(Editor& editor, const QString& what)
{
    editor.platform.messages.Show(what + u"\r\nタグは挿入されていません。"_s,
                                  platform::Style::Exclamation, WindowState::kCaptionPrefix);
}

} // namespace

bool InsertSnippet(Editor& editor, const QString& snippet, Failure failure)
{
    const bool carryOn = failure == Failure::CarryOn;
    platform::Clipboard& clipboard = editor.platform.clipboard;

    if (!clipboard.SetText(snippet) && !carryOn) {
        tellUser(editor, u"クリップボードに書き込めませんでした。"_s);
        return false;
    }
    const std::optional<QString> text = clipboard.GetText();
    if (!text) {
        if (!carryOn)
            tellUser(editor, u"クリップボードから読み込めませんでした。"_s);
        return false;
    }
    editor.text.SetSelText(*text);
    return true;
}

} // namespace mx::tags
