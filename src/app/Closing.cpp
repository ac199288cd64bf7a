#include "Closing.h"

#include "Editor.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"

using namespace Qt::Literals::StringLiterals;

namespace mx {

void F5_Click(Editor& editor)
{
    editor.window.requestUnload();
}

bool Form_QueryUnload(Editor& editor)
{
    if (editor.window.modified() != 1)
        return false;
    const platform::Answer answer = editor.platform.messages.Show(
        u"テキストが変更されています。終了しますか。"_s,
        platform::Style::YesNo | platform::Style::Question, WindowState::kCaptionPrefix);
    return answer != platform::Answer::Yes;
}

} // namespace mx
