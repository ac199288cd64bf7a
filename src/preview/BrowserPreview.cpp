#include "BrowserPreview.h"

#include "app/Editor.h"
#include "document/FileCommands.h"
#include "platform/Browser.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"

using namespace Qt::Literals::StringLiterals;

namespace mx::preview {

void IE_Click(Editor& editor)
{
    // Nothing written, nothing to show: Save As was cancelled, or the save
    // failed and has said so.
    if (!document::SaveDocument(editor))
        return;
    const QString path = editor.window.currentFile();
    if (!editor.platform.browser.Show(path))
        editor.platform.messages.Show(
            u"ブラウザを起動できませんでした。ファイルは保存されています。\n\n%1"_s.arg(path),
            platform::Style::Critical, WindowState::kCaptionPrefix);
}

} // namespace mx::preview
