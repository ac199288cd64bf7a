// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "MenuTable.h"

#include "Closing.h"
#include "commands/Commands.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QStringList>
#include <QtGlobal>

using namespace Qt::Literals::StringLiterals;

namespace mx {

namespace {

using Text = const char16_t*;
using Id = MenuId;

// The code's half of a menu row: the id that names the item in code, and for
// a command the handler that runs it. The design's half (parent, caption)
// is the menu-tree data file; the control name joins the two.
struct Binding {
    Id id;
    Text control;
    Handler handler;
};

Binding menu(Id id, Text control)
{
    return {id, control, {}};
}

Binding command(Id id, Text control, Handler handler)
{
    return {id, control, std::move(handler)};
}

// A command whose handler is its row in the tag tables.
Binding tag(Id id, Text control)
{
    return {id, control, tags::tagCommand(id)};
}

[[noreturn]] void broken(const QString& control, const char* why)
{
    qFatal("Menu item %s: %s", qPrintable(control), why);
}

struct DesignedRow {
    QString control;
    QString parent;
    QString caption;
};

// The menu tree as designed: a row a line in menu order, fields apart by
// tabs, "#" lines left out. The fourth field, what the first window offers,
// is the document's to derive; the tests hold it to the design.
std::vector<DesignedRow> designedRows()
{
    QFile file(u":/menu-tree.tsv"_s);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("The menu tree is missing from the program");
    std::vector<DesignedRow> rows;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    for (const QString& line : lines) {
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QStringList fields = line.split(u'\t');
        if (fields.size() != 4)
            qFatal("The menu tree has a broken row: %s", qPrintable(line));
        rows.push_back({fields[0], fields[1], fields[2]});
    }
    return rows;
}

// Joins the design's rows to the code's by control name. Any row on either
// side that the other lacks, a misspelt name included, is a broken build:
// stop at once, in any build type, rather than show a command that does
// nothing or an item the document never enables.
std::vector<MenuEntry> join(const std::vector<DesignedRow>& design, const std::vector<Binding>& code)
{
    if (code.size() != kMenuIdCount)
        qFatal("The menu table has %zu rows for %zu ids", code.size(), kMenuIdCount);
    QHash<QString, std::size_t> rowOf;
    for (std::size_t i = 0; i < design.size(); ++i)
        if (design[i].control.isEmpty() || rowOf.contains(design[i].control))
            broken(design[i].control, "control name empty or used twice in the design");
        else
            rowOf.insert(design[i].control, i);
    QSet<QString> named;
    for (const Binding& binding : code)
        named.insert(QString::fromUtf16(binding.control));
    for (const DesignedRow& row : design)
        if (!named.contains(row.control))
            broken(row.control, "in the menu tree, but no row of the code names it");
    std::vector<bool> submenu(design.size());
    for (const DesignedRow& row : design)
        if (rowOf.contains(row.parent))
            submenu[rowOf.value(row.parent)] = true;

    std::vector<MenuEntry> tree;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const Binding& binding = code[i];
        const QString control = QString::fromUtf16(binding.control);
        if (std::size_t(binding.id) != i)
            broken(control, "out of its id's place");
        if (!rowOf.contains(control))
            broken(control, "no such control in the menu tree: misspelt?");
        const std::size_t at = rowOf.value(control);
        if (at != i)
            broken(control, "not in the menu tree's order");
        const DesignedRow& row = design[at];
        std::optional<Id> parent;
        if (!row.parent.isEmpty()) {
            const std::size_t above = rowOf.value(row.parent, at);
            if (above >= at || design[above].caption == u"-")
                broken(control, "its parent is no menu above it");
            parent = Id(above);
        }
        tree.push_back({binding.id, control, parent, row.caption, binding.handler});
        const bool isCommand = !tree.back().isSeparator() && !submenu[at];
        if (isCommand != bool(binding.handler))
            broken(control, isCommand ? "a command without its handler" : "a handler on no command");
    }
    if (design.size() != code.size())
        qFatal("The code names a menu item twice");
    for (const Id item : tags::tagCommandItems())
        if (!tree[std::size_t(item)].handler)
            broken(tree[std::size_t(item)].control, "its tag table row has no command in the menus");
    return tree;
}

std::vector<MenuEntry> buildTree()
{
    const std::vector<Binding> code = {
        menu(Id::FileMenu, u"M1"),
        command(Id::New, u"F1", document::newDocument),
        command(Id::Open, u"F2", document::openDocument),
        menu(Id::SaveSeparator, u"bar"),
        command(Id::Save, u"F3", document::saveDocument),
        command(Id::SaveAs, u"F4", document::saveDocumentAs),
        menu(Id::ExitSeparator, u"bar2"),
        command(Id::Exit, u"F5", exitProgram),
        menu(Id::TagsMenu, u"M2"),
        command(Id::BasicTags, u"BASE", document::wrapInSkeleton),
        menu(Id::JumpsMenu, u"T1"),
        menu(Id::HyperlinkMenu, u"Hyper"),
        command(Id::LinkToFile, u"J1", links::insertLinkToFile),
        command(Id::LinkToUrl, u"URL", links::insertLinkToUrl),
        tag(Id::Jump, u"J2"),
        tag(Id::Anchor, u"J3"),
        tag(Id::ToTop, u"TO_TOP"),
        command(Id::Image, u"T2", links::insertImage),
        menu(Id::FontMenu, u"T3"),
        menu(Id::SizeMenu, u"TF1"),
        tag(Id::Size7, u"s7"),
        tag(Id::Size6, u"s6"),
        tag(Id::Size5, u"s5"),
        tag(Id::Size4, u"s4"),
        tag(Id::Size3, u"s3"),
        tag(Id::Size2, u"s2"),
        tag(Id::Size1, u"s1"),
        menu(Id::ColourMenu, u"FC"),
        tag(Id::Red, u"RED"),
        tag(Id::Blue, u"BLUE"),
        tag(Id::Grey, u"GRAY"),
        tag(Id::Green, u"GREEN"),
        tag(Id::Bold, u"TF2"),
        tag(Id::Italic, u"TF3"),
        tag(Id::Underline, u"TF4"),
        tag(Id::Strike, u"TF5"),
        menu(Id::HeadingMenu, u"T4"),
        tag(Id::Heading1, u"H1"),
        tag(Id::Heading2, u"H2"),
        tag(Id::Heading3, u"H3"),
        tag(Id::Heading4, u"H4"),
        tag(Id::Heading5, u"H5"),
        tag(Id::Heading6, u"H6"),
        menu(Id::FrameMenu, u"Frame"),
        command(Id::SplitRows, u"ROWS_fr", frames::splitFramesetRows),
        command(Id::SplitColumns, u"COLS_fr", frames::splitFramesetColumns),
        command(Id::FrameEntry, u"FILES_fr", frames::insertFrameEntry),
        command(Id::BaseTarget, u"TARGET_fr", frames::insertBaseTarget),
        tag(Id::ListItem, u"LI"),
        tag(Id::Rule, u"T6"),
        tag(Id::Preformatted, u"T7"),
        tag(Id::Centre, u"CENTER"),
        tag(Id::LineBreak, u"T8"),
        tag(Id::Paragraph, u"T9"),
        tag(Id::Address, u"T10"),
        tag(Id::Comment, u"T11"),
        menu(Id::BrowserMenu, u"M3"),
        command(Id::ShowInBrowser, u"IE", document::showInBrowser),
        menu(Id::HelpMenu, u"M4"),
        command(Id::Help, u"Help", help::showHelp),
        command(Id::Version, u"Ver", help::showVersion),
    };
    return join(designedRows(), code);
}

} // namespace

const std::vector<MenuEntry>& menuTree()
{
    static const std::vector<MenuEntry> tree = buildTree();
    return tree;
}

} // namespace mx
