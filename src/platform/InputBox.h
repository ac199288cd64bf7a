#pragma once
#include <QString>

namespace mx::platform {

// Modal one-line input. Returns what was typed on OK, the empty string on Cancel.
class InputBox {
public:
    virtual ~InputBox() = default;
    virtual QString Show(const QString& prompt, const QString& title, const QString& initial) = 0;
};

} // namespace mx::platform
