#include "QtPlatform.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace mx::platform {

QString StartFolder()
{
    return QDir::homePath();
}

QWidget* DialogParent()
{
    return QApplication::activeWindow();
}

bool QtClipboard::SetText(const QString& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    clipboard->setText(text, QClipboard::Clipboard);
    // Another program may refuse us the selection; then nothing of ours is there.
    const QMimeData* data = clipboard->mimeData(QClipboard::Clipboard);
    return data && data->hasText();
}

std::optional<QString> QtClipboard::GetText()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return std::nullopt;
    const QMimeData* data = clipboard->mimeData(QClipboard::Clipboard);
    if (!data || !data->hasText())
        return std::nullopt;
    return data->text();
}

Answer QtMessageBox::Show(const QString& text, int style, const QString& title)
{
    QMessageBox box(DialogParent());
    box.setText(text);
    box.setWindowTitle(title.isEmpty() ? QApplication::applicationDisplayName() : title);

    using B = QMessageBox::StandardButton;
    struct Set {
        QList<B> buttons;
    };
    static const Set sets[] = {
        {{B::Ok}},
        {{B::Ok, B::Cancel}},
        {{B::Abort, B::Retry, B::Ignore}},
        {{B::Yes, B::No, B::Cancel}},
        {{B::Yes, B::No}},
        {{B::Retry, B::Cancel}},
    };
    const int kind = style & 7;
    const Set& set = sets[kind < 6 ? kind : 0];
    for (B b : set.buttons)
        box.addButton(b);
    const int defaultIndex = (style >> 8) & 3;
    box.setDefaultButton(set.buttons.value(defaultIndex, set.buttons.first()));
    if (set.buttons.contains(B::Cancel))
        box.setEscapeButton(B::Cancel);
    else if (set.buttons.contains(B::No))
        box.setEscapeButton(B::No);

    switch (style & 0x70) {
    case Style::Critical: box.setIcon(QMessageBox::Critical); break;
    case Style::Question: box.setIcon(QMessageBox::Question); break;
    case Style::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case Style::Information: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
    }

    box.exec();
    switch (box.standardButton(box.clickedButton())) {
    case B::Yes: return Answer::Yes;
    case B::No: return Answer::No;
    case B::Cancel: return Answer::Cancel;
    case B::Abort: return Answer::Abort;
    case B::Retry: return Answer::Retry;
    case B::Ignore: return Answer::Ignore;
    default: break;
    }
    // Closed by the title bar or Escape without an escape button.
    if (set.buttons.contains(B::Cancel))
        return Answer::Cancel;
    if (set.buttons.contains(B::No))
        return Answer::No;
    return Answer::Ok;
}

QString QtInputBox::Show(const QString& prompt, const QString& title, const QString& initial)
{
    QInputDialog dialog(DialogParent());
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(initial);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.textValue();
}

QStringList NameFilters(const QString& filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(u';', Qt::SkipEmptyParts)) {
            if (pattern == u"*.*"_s) {
                patterns << u"*"_s;
                continue;
            }
            patterns << pattern;
            // Linux names are case-sensitive; a page saved as INDEX.HTM is still a page.
            const QString upper = pattern.toUpper();
            if (upper != pattern)
                patterns << upper;
        }
        // The description is shown as it is; the patterns are hidden after it.
        filters << parts[i] + u" ("_s + patterns.join(u' ') + u')';
    }
    return filters;
}

std::optional<QString> QtCommonDialog::run(const Request& request)
{
    QFileDialog dialog(DialogParent());
    // Qt's own dialog speaks the translations we load; the portal's might not.
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails
                      | QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(request.mode == Mode::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.mode == Mode::Save ? QFileDialog::AnyFile : QFileDialog::AnyFile);
    const QStringList filters = NameFilters(request.filter);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters[request.filterIndex - 1]);
    dialog.setDirectory(request.initDir);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(chosen.first());
}

bool QtBrowser::Show(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace mx::platform
