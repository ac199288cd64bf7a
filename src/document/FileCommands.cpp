#include "FileCommands.h"

#include "FileFormat.h"
#include "app/Editor.h"
#include "app/Text1.h"
#include "platform/CommonDialog.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "platform/TextFiles.h"

using namespace Qt::Literals::StringLiterals;

namespace mx::document {

namespace {

void prepareDialog(platform::CommonDialog& dialog)
{
    dialog.Filter = u"Text(*.txt)|*.txt|HTML(*.htm)|*.htm|HTML(*.html)|*.html"_s;
    dialog.FilterIndex = 2;
    dialog.InitDir = platform::StartFolder();
}

void tell(Editor& editor, const QString& text, int style)
{
    editor.platform.messages.Show(text, style, WindowState::kCaptionPrefix);
}

// The hourglass while a file is read, taken down on every way out and
// before any message box goes up.
class BusyPointer {
public:
    explicit BusyPointer(Text1& text) : text_(text) { text_.SetMousePointer(11); }
    ~BusyPointer() { release(); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
    void release()
    {
        if (on_)
            text_.SetMousePointer(0);
        on_ = false;
    }

private:
    Text1& text_;
    bool on_ = true;
};

QString cannotOpen(const QString& path, const QString& reason)
{
    return u"ファイルを開けませんでした。\n\n%1\n\n%2"_s.arg(path, reason);
}

QString cannotSave(const QString& path, const QString& reason)
{
    return u"ファイルを保存できませんでした。\n\n%1\n\n%2\n\n画面の文書はそのまま残っています。"_s.arg(path, reason);
}

QString unencodableReason(const EncodedFile& encoded, const QString& encoding)
{
    const char32_t c = encoded.unencodable;
    return u"%1 行目の「%2」(U+%3) は %4 では書けない文字です。別の文字に置き換えてから保存してください。"_s.arg(
        QString::number(encoded.line), QString::fromUcs4(&c, 1),
        QString::number(quint32(c), 16).toUpper().rightJustified(4, u'0'), EncodingDisplayName(encoding));
}

// Writes the document to path in its format; says why not when it cannot.
bool writeDocument(Editor& editor, const QString& path)
{
    const FileFormat& format = editor.window.fileFormat();
    const EncodedFile encoded = EncodeFile(editor.text.Text(), format);
    if (!encoded.ok()) {
        tell(editor, cannotSave(path, unencodableReason(encoded, format.encoding)),
             platform::Style::Exclamation);
        return false;
    }
    const QString error = editor.platform.files.Write(path, encoded.bytes);
    if (!error.isEmpty()) {
        tell(editor, cannotSave(path, error), platform::Style::Critical);
        return false;
    }
    return true;
}

} // namespace

void F2_Click(Editor& editor)
{
    platform::CommonDialog& dialog = editor.platform.dialog;
    prepareDialog(dialog);
    const bool chosen = dialog.ShowOpen();
    editor.window.enable({Item::F3, Item::F4, Item::M2, Item::IE});
    if (!chosen)
        return;

    const QString path = dialog.FileName;
    BusyPointer busy(editor.text);
    DecodedFile decoded;
    {
        const platform::ReadResult read = editor.platform.files.Read(path, kMaxFileBytes);
        if (!read.ok()) {
            busy.release();
            tell(editor, cannotOpen(path, read.error), platform::Style::Critical);
            return;
        }
        decoded = DecodeFile(read.bytes);
    }
    if (!decoded.ok()) {
        busy.release();
        tell(editor, cannotOpen(path, decoded.error), platform::Style::Critical);
        return;
    }

    editor.text.Load(std::move(decoded.text));
    busy.release();
    editor.window.setFileFormat(decoded.format);
    editor.window.setCurrentFile(path);
    dialog.FileName.clear();
    editor.window.setEnabled(Item::BASE, path.endsWith(u"txt"_s, Qt::CaseSensitive));

    if (decoded.guessed)
        tell(editor,
             u"%1\n\nの文字コードを判別できなかったため、ISO-8859-1 として開きました。"
             "日本語の文字は正しく表示されませんが、手を加えなかった部分は元のバイトのまま保存されます。"_s.arg(path),
             platform::Style::Exclamation);
}

bool SaveDocument(Editor& editor)
{
    const QString path = editor.window.currentFile();
    if (path.isEmpty())
        return SaveDocumentAs(editor);
    if (!writeDocument(editor, path))
        return false;
    editor.window.setModified(0);
    return true;
}

bool SaveDocumentAs(Editor& editor)
{
    platform::CommonDialog& dialog = editor.platform.dialog;
    prepareDialog(dialog);
    const bool chosen = dialog.ShowSave();
    editor.window.enable({Item::F3, Item::F4, Item::M2});
    if (!chosen)
        return false;

    const QString path = dialog.FileName;
    if (!writeDocument(editor, path))
        return false;
    editor.window.setCurrentFile(path);
    dialog.FileName.clear();
    editor.window.setModified(0);
    return true;
}

void F3_Click(Editor& editor)
{
    SaveDocument(editor);
}

void F4_Click(Editor& editor)
{
    SaveDocumentAs(editor);
}

} // namespace mx::document
