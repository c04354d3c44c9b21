// Runs the gumbo HTML5 tree builder within a time and memory budget. Some malformed inputs
// (thousands of unclosed elements, for one) cost the tree builder time that grows with the
// square of their size; a parse over budget is abandoned and a shorter prefix of the page is
// parsed instead, so any page yields a sound tree in bounded time.
#pragma once

#include <QByteArray>
#include <chrono>
#include <cstddef>
#include <memory>

struct GumboInternalOutput;

struct ParseBudget {
    std::chrono::milliseconds base{500};    // for any page
    std::chrono::milliseconds perMiB{2000}; // added for each MiB of markup
    std::size_t maxMemory = std::size_t{512} << 20;
    qsizetype shortestPrefix = 4096; // below this an over-budget page gives an empty tree
};

class GumboTree {
public:
    // Parses UTF-8 markup. The tree covers the first parsedBytes() of it: all of it, a
    // prefix when the whole was over budget, or nothing.
    explicit GumboTree(const QByteArray &utf8, const ParseBudget &budget = {});
    ~GumboTree();
    GumboTree(const GumboTree &) = delete;
    GumboTree &operator=(const GumboTree &) = delete;

    GumboInternalOutput *output() const { return m_output; }
    const QByteArray &source() const { return m_source; }
    qsizetype parsedBytes() const { return m_source.size(); }
    bool complete() const { return m_complete; }

    struct Arena;

private:
    bool attempt(const QByteArray &utf8, const ParseBudget &budget);

    QByteArray m_source;
    std::unique_ptr<Arena> m_arena;
    GumboInternalOutput *m_output = nullptr;
    bool m_complete = false;
};
