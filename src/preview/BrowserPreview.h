#pragma once

namespace mx {
struct Editor;
namespace preview {

// Show in browser: saves the document as Save does, then asks the desktop to
// show the file in its web browser, without waiting for it.
void IE_Click(mx::Editor& editor);

} // namespace preview
} // namespace mx
