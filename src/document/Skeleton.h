#pragma once
#include <QString>

namespace mx::document {

// The fixed frame of a page: six lines of head, then the tail that closes it.
const QString& SkeletonHead();
const QString& SkeletonTail();
// The text between head and tail; New is Skeleton(""), basic tags Skeleton(text).
QString Skeleton(const QString& body);

} // namespace mx::document

namespace mx {
struct Editor;
namespace document {
// New: the empty skeleton, no current file.
void F1_Click(mx::Editor& editor);
// Basic tags: the skeleton around the text that is there.
void BASE_Click(mx::Editor& editor);
} // namespace document
} // namespace mx
