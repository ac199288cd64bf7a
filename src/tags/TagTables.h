#pragma once
#include <QString>
#include <QStringView>
#include <span>

namespace mx::tags {

enum class Shape {
    BlockWrap,  // open, CR LF, selection, CR LF, close
    InlineWrap, // open, selection, close; two spaces hold the place of none
};

// How a command treats a failing step of the insertion.
enum class Failure {
    Stop,    // the step ends the command, and the user is told
    CarryOn, // the step is skipped silently and the command goes on
};

struct WrapTag {
    const char16_t* control;
    const char16_t* open;
    const char16_t* close;
    Shape shape;
    Failure failure = Failure::Stop;
};

struct PointTag {
    const char16_t* control;
    const char16_t* tag;
};

std::span<const WrapTag> WrapTags();
std::span<const PointTag> PointTags();
const WrapTag* FindWrapTag(QStringView control);
const PointTag* FindPointTag(QStringView control);

// The snippet of a wrapping command: around the selection when there is one
// (selectionLength != 0), or the empty pair.
QString WrapSnippet(const WrapTag& tag, const QString& selection, qsizetype selectionLength);

} // namespace mx::tags
