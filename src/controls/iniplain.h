// The settings file in the plain form this program writes: lines of "name=value" under
// "[General]", perhaps other sections, names and values of letters, digits, spaces and "+-._[]".
// For such a file (and a plain name) these give the same answers as Qt's INI reader, without its
// lock files, its second disk sync or its caches. A file in any other form (quotes, escapes, lists,
// comments, other characters, lines that are neither a section nor a value) gets std::nullopt: the
// caller falls back to the full reader.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

namespace iniplain {

struct Value {
    bool found = false;
    QByteArray text; // the value with its surrounding spaces and tabs removed
};

// The last value of `name` in the general section.
std::optional<Value> find(QByteArrayView file, QByteArrayView name);

// The file with `name` set to `value` in the general section: its last line replaced, or a line
// added after the section's last line (a new "[General]" section opening the file if it has
// none). Every other line keeps its bytes. Needs a plain name and value.
std::optional<QByteArray> withValue(QByteArrayView file, QByteArrayView name, QByteArrayView value);

} // namespace iniplain
