#include "controls/browser/nestingguard.h"

#include "controls/browser/asciibytes.h"

#include <QSet>
#include <vector>

namespace {
using ascii::isSpace;
using ascii::lower;

// Elements whose content is text up to their end tag.
bool holdsText(const QByteArray &name)
{
    static const QSet<QByteArray> kNames{"script",  "style",    "xmp",      "iframe",
                                         "noembed", "noframes", "textarea", "title"};
    return kNames.contains(name);
}

// Elements that never hold another of their kind directly: void elements, and elements an
// equal start tag closes (a new <p> or <li> ends the open one), and the document's frame.
bool isFlat(const QByteArray &name)
{
    static const QSet<QByteArray> kNames{
        "area",  "base",  "basefont", "bgsound",  "br",       "col",    "embed",
        "frame", "hr",    "image",    "img",      "input",    "keygen", "link",
        "meta",  "param", "source",   "track",    "wbr",      "p",      "li",
        "dd",    "dt",    "option",   "optgroup", "tr",       "td",     "th",
        "tbody", "thead", "tfoot",    "caption",  "colgroup", "rb",     "rt",
        "rp",    "html",  "head",     "body",     "form",     "select", "button"};
    return kNames.contains(name);
}

struct Tag {
    QByteArray name;   // lower case
    qsizetype end = 0; // just past its '>', or the end of the input
    bool selfClosing = false;
};

// Reads a tag whose name starts at pos, honouring quoted attribute values.
Tag readTag(const QByteArray &s, qsizetype pos)
{
    const qsizetype n = s.size();
    Tag tag;
    while (pos < n && !isSpace(s.at(pos)) && s.at(pos) != '/' && s.at(pos) != '>')
        tag.name += lower(s.at(pos++));
    while (pos < n) {
        const char c = s.at(pos);
        if (c == '>') {
            tag.end = pos + 1;
            return tag;
        }
        if (c == '/') {
            tag.selfClosing = pos + 1 < n && s.at(pos + 1) == '>';
            ++pos;
            continue;
        }
        if (isSpace(c)) {
            ++pos;
            continue;
        }
        ++pos; // an attribute name, then perhaps a value
        while (pos < n && !isSpace(s.at(pos)) && s.at(pos) != '/' && s.at(pos) != '>' &&
               s.at(pos) != '=')
            ++pos;
        while (pos < n && isSpace(s.at(pos)))
            ++pos;
        if (pos < n && s.at(pos) == '=') {
            ++pos;
            while (pos < n && isSpace(s.at(pos)))
                ++pos;
            if (pos < n && (s.at(pos) == '"' || s.at(pos) == '\'')) {
                const qsizetype close = s.indexOf(s.at(pos), pos + 1);
                pos = close < 0 ? n : close + 1;
            } else {
                while (pos < n && !isSpace(s.at(pos)) && s.at(pos) != '>')
                    ++pos;
            }
        }
    }
    tag.end = n;
    return tag;
}

// Where the end tag "</name" (any case, then a blank, '/' or '>') starts at or after pos.
qsizetype findEndTag(const QByteArray &lowered, const QByteArray &name, qsizetype pos)
{
    const QByteArray needle = "</" + name;
    for (qsizetype at = lowered.indexOf(needle, pos); at >= 0;
         at = lowered.indexOf(needle, at + 2)) {
        const qsizetype after = at + needle.size();
        if (after >= lowered.size() || isSpace(lowered.at(after)) || lowered.at(after) == '/' ||
            lowered.at(after) == '>')
            return at;
    }
    return lowered.size();
}

struct Open {
    QByteArray name;
    bool foreign = false; // inside <svg> or <math>, where "/>" ends an element
};
} // namespace

GuardedSource limitNesting(const QByteArray &s, int maxDepth)
{
    GuardedSource out;
    const QByteArray lowered = s.toLower();
    const qsizetype n = s.size();
    std::vector<Open> stack;
    qsizetype copied = 0; // s[copied, pos) still has to go to the output
    qsizetype pos = 0;
    auto drop = [&](qsizetype from, qsizetype to) {
        out.html += s.mid(copied, from - copied);
        copied = to;
        ++out.droppedTags;
    };
    while (pos < n) {
        const qsizetype lt = s.indexOf('<', pos);
        if (lt < 0 || lt + 1 >= n)
            break;
        const char next = s.at(lt + 1);
        if (lowered.mid(lt, 4) == "<!--") {
            const qsizetype close = s.indexOf("-->", lt + 4);
            pos = close < 0 ? n : close + 3;
        } else if (next == '!' || next == '?') {
            const qsizetype close = s.indexOf('>', lt + 2);
            pos = close < 0 ? n : close + 1;
        } else if (next == '/' && lt + 2 < n && ascii::isLetter(s.at(lt + 2))) {
            const Tag tag = readTag(s, lt + 2);
            for (auto it = stack.rbegin(); it != stack.rend(); ++it)
                if (it->name == tag.name) {
                    stack.erase(std::next(it).base(), stack.end());
                    break;
                }
            pos = tag.end;
        } else if (ascii::isLetter(next)) {
            const Tag tag = readTag(s, lt + 1);
            pos = tag.end;
            const bool foreign =
                (!stack.empty() && stack.back().foreign) || tag.name == "svg" || tag.name == "math";
            if (tag.name == "plaintext")
                break; // the rest is text
            if (holdsText(tag.name)) {
                pos = findEndTag(lowered, tag.name, pos);
                continue;
            }
            if (isFlat(tag.name) || (foreign && tag.selfClosing))
                continue;
            if (static_cast<int>(stack.size()) >= maxDepth)
                drop(lt, tag.end);
            else
                stack.push_back({tag.name, foreign});
        } else {
            pos = lt + 1;
        }
    }
    if (out.droppedTags == 0)
        return {s, 0};
    out.html += s.mid(copied);
    return out;
}
