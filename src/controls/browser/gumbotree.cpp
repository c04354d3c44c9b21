#include "controls/browser/gumbotree.h"

#include <gumbo.h>

#include <csetjmp>
#include <cstdlib>

// Every block gumbo allocates is linked into the arena, so an abandoned parse (left through
// longjmp from the allocator) frees all of it at once.
struct GumboTree::Arena {
    struct alignas(std::max_align_t) Block {
        Block *prev;
        Block *next;
        std::size_t size;
    };

    std::jmp_buf escape;
    Block *head = nullptr;
    std::size_t live = 0;
    std::size_t maxMemory = 0;
    std::size_t calls = 0;
    std::chrono::steady_clock::time_point deadline;

    ~Arena() { freeAll(); }

    void freeAll()
    {
        while (head) {
            Block *next = head->next;
            std::free(head);
            head = next;
        }
        live = 0;
    }
};

namespace {
using Arena = GumboTree::Arena;
constexpr std::size_t kClockEvery = 256; // allocations between looks at the clock

void *arenaAllocate(void *userdata, std::size_t size)
{
    auto *arena = static_cast<Arena *>(userdata);
    const bool overMemory = arena->live + size > arena->maxMemory;
    const bool overTime =
        (++arena->calls % kClockEvery) == 0 && std::chrono::steady_clock::now() > arena->deadline;
    if (overMemory || overTime)
        std::longjmp(arena->escape, 1);
    auto *block = static_cast<Arena::Block *>(std::malloc(sizeof(Arena::Block) + size));
    if (!block)
        std::longjmp(arena->escape, 1);
    block->prev = nullptr;
    block->next = arena->head;
    block->size = size;
    if (arena->head)
        arena->head->prev = block;
    arena->head = block;
    arena->live += size;
    return block + 1;
}

void arenaFree(void *userdata, void *pointer)
{
    if (!pointer)
        return;
    auto *arena = static_cast<Arena *>(userdata);
    Arena::Block *block = static_cast<Arena::Block *>(pointer) - 1;
    if (block->prev)
        block->prev->next = block->next;
    else
        arena->head = block->next;
    if (block->next)
        block->next->prev = block->prev;
    arena->live -= block->size;
    std::free(block);
}

// No object with a destructor lives in this frame: the allocator may leave it by longjmp.
GumboOutput *runGumbo(Arena *arena, const GumboOptions *options, const char *data,
                      std::size_t length)
{
    if (setjmp(arena->escape) != 0)
        return nullptr;
    return gumbo_parse_with_options(options, data, length);
}

// Cuts UTF-8 at a character boundary at or before length.
qsizetype utf8Boundary(const QByteArray &utf8, qsizetype length)
{
    while (length > 0 && length < utf8.size() &&
           (static_cast<unsigned char>(utf8.at(length)) & 0xC0) == 0x80)
        --length;
    return length;
}
} // namespace

GumboTree::GumboTree(const QByteArray &utf8, const ParseBudget &budget)
{
    qsizetype length = utf8.size();
    for (;;) {
        if (attempt(utf8.left(length), budget)) {
            m_complete = length == utf8.size();
            return;
        }
        if (length <= budget.shortestPrefix)
            break;
        length = utf8Boundary(utf8, length / 4);
    }
    attempt(QByteArray(), budget);
}

GumboTree::~GumboTree() = default;

bool GumboTree::attempt(const QByteArray &utf8, const ParseBudget &budget)
{
    m_output = nullptr;
    m_arena = std::make_unique<Arena>();
    m_source = utf8;
    const double mebibytes = static_cast<double>(utf8.size()) / (1024.0 * 1024.0);
    const auto allowed = budget.base + std::chrono::duration_cast<std::chrono::milliseconds>(
                                           budget.perMiB * mebibytes);
    m_arena->deadline = std::chrono::steady_clock::now() + allowed;
    m_arena->maxMemory = budget.maxMemory;

    GumboOptions options = kGumboDefaultOptions;
    options.allocator = arenaAllocate;
    options.deallocator = arenaFree;
    options.userdata = m_arena.get();
    options.max_errors = 0; // parse errors are not needed; recording them costs memory
    m_output = runGumbo(m_arena.get(), &options, m_source.constData(),
                        static_cast<std::size_t>(m_source.size()));
    if (!m_output)
        m_arena->freeAll();
    return m_output != nullptr;
}
