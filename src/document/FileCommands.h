#pragma once

namespace mx {
struct Editor;
namespace document {

// Open: reads the whole file first, so that a file that cannot be read
// changes nothing.
void F2_Click(mx::Editor& editor);
// Save: to the current file, or through Save As when there is none.
void F3_Click(mx::Editor& editor);
// Save As: asks for a name, writes, and makes it the current file.
void F4_Click(mx::Editor& editor);

// Save's work, for the commands that save before they go on. True only when
// a file was written; the modified flag is cleared then and only then.
bool SaveDocument(mx::Editor& editor);
bool SaveDocumentAs(mx::Editor& editor);

} // namespace document
} // namespace mx
