// A light pass over HTML source before the tree builder sees it. The tree builder's cost grows
// with the nesting depth times the number of tags, so a page of a few MiB of unclosed <div>s
// would take hours. The pass follows the nesting with a simple tag stack and leaves out start
// tags that would nest deeper than a limit (browsers cap the depth of their trees as well);
// ordinary pages pass through unchanged.
#pragma once

#include <QByteArray>

struct GuardedSource {
    QByteArray html;           // the source to parse
    qsizetype droppedTags = 0; // start tags left out for depth
};

inline constexpr int kMaxNestingDepth = 512;

GuardedSource limitNesting(const QByteArray &utf8, int maxDepth = kMaxNestingDepth);
