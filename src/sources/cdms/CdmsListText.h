#pragma once

#include <QString>
#include <QStringList>

namespace zelvaro {

// Splits an XML list text into lines: a piece ends before each '>' and
// before each carriage return or line feed, except inside a quoted run (a
// double quote or an apostrophe up to the next of the same character);
// separators belong to no piece and empty pieces are dropped. Linear in the
// text's length.
void splitListText(const QString& text, QStringList& lines);

// Replaces, in this order, "&apos;" by an apostrophe, "&amp;" by an
// ampersand, line feeds and carriage returns by blanks, each as long as the
// line holds it, first occurrence first.
QString replaceListEntities(const QString& line);

// Decodes, in one left-to-right pass, the references the names library
// writes into attribute values besides "&apos;" and "&amp;" (which
// replaceListEntities undoes first): "&quot;", "&lt;", "&gt;" and numeric
// ones ("&#34;", "&#x22;"). A numeric line break or tab becomes a blank; a
// reference that names no character, or a control character, stays as it is.
QString decodeValueReferences(const QString& text);

// The value of attribute `name` (name="value"): the text after the first
// occurrence of the key up to the next double quote, or to the end of the
// line, with decodeValueReferences applied; empty when the key does not
// occur. The references are decoded after the value is cut out, so a
// quote written "&quot;" stays inside it.
QString listAttribute(const QString& line, const QString& name);

} // namespace zelvaro
