#include "controls/browser/treereader.h"

#include "controls/browser/asciibytes.h"
#include "controls/browser/document.h"
#include "controls/browser/gumbotree.h"
#include "controls/browser/inputvalue.h"

#include <gumbo.h>

#include <QHash>
#include <algorithm>
#include <map>
#include <vector>

namespace {
using Attributes = QList<QPair<QString, QString>>;

bool isHtml(const GumboNode *node, GumboTag tag)
{
    return node->type == GUMBO_NODE_ELEMENT && node->v.element.tag == tag &&
           node->v.element.tag_namespace == GUMBO_NAMESPACE_HTML;
}

bool isText(const GumboNode *node)
{
    return node->type == GUMBO_NODE_TEXT || node->type == GUMBO_NODE_WHITESPACE ||
           node->type == GUMBO_NODE_CDATA;
}

Attributes attributesOf(const GumboNode *node)
{
    Attributes out;
    const GumboVector &v = node->v.element.attributes;
    for (unsigned i = 0; i < v.length; ++i) {
        const auto *a = static_cast<const GumboAttribute *>(v.data[i]);
        out.append({QString::fromUtf8(a->name), QString::fromUtf8(a->value)});
    }
    return out;
}

const GumboAttribute *attributeOf(const GumboNode *node, const char *name)
{
    return gumbo_get_attribute(&node->v.element.attributes, name);
}

QString attributeValue(const GumboNode *node, const char *name)
{
    const GumboAttribute *a = attributeOf(node, name);
    return a ? QString::fromUtf8(a->value) : QString();
}

const GumboVector &childrenOf(const GumboNode *node)
{
    return node->type == GUMBO_NODE_DOCUMENT ? node->v.document.children : node->v.element.children;
}

// The text of all text descendants in tree order, leaving out script elements (HTML and SVG).
QString descendantText(const GumboNode *root)
{
    QString out;
    std::vector<const GumboNode *> stack{root};
    while (!stack.empty()) {
        const GumboNode *node = stack.back();
        stack.pop_back();
        if (isText(node)) {
            out += QString::fromUtf8(node->v.text.text);
        } else if (node->type == GUMBO_NODE_ELEMENT &&
                   (node == root || node->v.element.tag != GUMBO_TAG_SCRIPT)) {
            const GumboVector &children = node->v.element.children;
            for (unsigned i = children.length; i-- > 0;)
                stack.push_back(static_cast<const GumboNode *>(children.data[i]));
        }
    }
    return out;
}

QString stripAndCollapse(const QString &text)
{
    QString out;
    bool space = false;
    for (const QChar c : text) {
        if (c == u'\t' || c == u'\n' || c == u'\f' || c == u'\r' || c == u' ') {
            space = !out.isEmpty();
        } else {
            if (space)
                out += QLatin1Char(' ');
            space = false;
            out += c;
        }
    }
    return out;
}

std::vector<HtmlOption> optionsOf(const GumboNode *select)
{
    std::vector<HtmlOption> options;
    auto add = [&options](const GumboNode *option, bool groupDisabled) {
        HtmlOption o;
        const GumboAttribute *value = attributeOf(option, "value");
        o.value =
            value ? QString::fromUtf8(value->value) : stripAndCollapse(descendantText(option));
        o.selected = attributeOf(option, "selected") != nullptr;
        o.disabled = groupDisabled || attributeOf(option, "disabled") != nullptr;
        options.push_back(o);
    };
    const GumboVector &children = select->v.element.children;
    for (unsigned i = 0; i < children.length; ++i) {
        const auto *child = static_cast<const GumboNode *>(children.data[i]);
        if (isHtml(child, GUMBO_TAG_OPTION)) {
            add(child, false);
        } else if (isHtml(child, GUMBO_TAG_OPTGROUP)) {
            const bool disabled = attributeOf(child, "disabled") != nullptr;
            const GumboVector &grouped = child->v.element.children;
            for (unsigned j = 0; j < grouped.length; ++j)
                if (isHtml(static_cast<const GumboNode *>(grouped.data[j]), GUMBO_TAG_OPTION))
                    add(static_cast<const GumboNode *>(grouped.data[j]), disabled);
        }
    }
    return options;
}

// The rows a single-choice select shows: its size attribute read as a browser reads a
// non-negative whole number (blanks, an optional '+', digits, whatever follows ignored); 1
// when that gives no number above zero. Large sizes count as 2: only "one row" matters.
int displaySize(const QString &size)
{
    qsizetype i = 0;
    while (i < size.size() && ascii::isSpace(size.at(i)))
        ++i;
    if (i < size.size() && size.at(i) == u'+')
        ++i;
    int rows = 0;
    for (; i < size.size() && size.at(i) >= u'0' && size.at(i) <= u'9'; ++i)
        rows = std::min(rows * 10 + (size.at(i).unicode() - u'0'), 2);
    return rows > 0 ? rows : 1;
}

// A single-choice select shows exactly one chosen option when it shows one row: the last
// one marked selected, else the first that is not disabled.
void settleSelectedness(std::vector<HtmlOption> &options, bool multiple,
                        const QString &sizeAttribute)
{
    if (multiple)
        return;
    auto last = std::find_if(options.rbegin(), options.rend(),
                             [](const HtmlOption &o) { return o.selected; });
    if (last != options.rend()) {
        for (HtmlOption &o : options)
            o.selected = &o == &*last;
        return;
    }
    if (displaySize(sizeAttribute) != 1)
        return;
    auto first = std::find_if(options.begin(), options.end(),
                              [](const HtmlOption &o) { return !o.disabled; });
    if (first != options.end())
        first->selected = true;
}

struct Context {
    HtmlForm *form = nullptr;      // nearest ancestor form
    bool fieldsetDisabled = false; // inside a disabled fieldset, outside its first legend
    bool inDatalist = false;
    QString direction = QStringLiteral("ltr");
};

struct Frame {
    const GumboNode *node;
    unsigned next = 0; // next child to visit
    Context own;       // what applies to the node itself
    Context forChildren;
    const GumboNode *exemptLegend = nullptr; // a disabled fieldset's first legend child
};

// Where the tree builder's form element pointer is set and cleared, and where listed elements
// are created, in source order.
struct OwnerEvent {
    unsigned offset;
    enum Kind { FormOpened, FormClosed, Created } kind;
    HtmlForm *form = nullptr;
    HtmlElement *element = nullptr;
    HtmlForm *ancestor = nullptr;
};

struct Range {
    unsigned begin;
    unsigned end;
};

bool listedTag(const GumboNode *node, HtmlElement::Kind &kind)
{
    if (node->v.element.tag_namespace != GUMBO_NAMESPACE_HTML)
        return false;
    switch (node->v.element.tag) {
    case GUMBO_TAG_INPUT:
        kind = HtmlElement::Kind::Input;
        return true;
    case GUMBO_TAG_BUTTON:
        kind = HtmlElement::Kind::Button;
        return true;
    case GUMBO_TAG_SELECT:
        kind = HtmlElement::Kind::Select;
        return true;
    case GUMBO_TAG_TEXTAREA:
        kind = HtmlElement::Kind::Textarea;
        return true;
    case GUMBO_TAG_FIELDSET:
        kind = HtmlElement::Kind::Fieldset;
        return true;
    case GUMBO_TAG_OBJECT:
        kind = HtmlElement::Kind::Object;
        return true;
    case GUMBO_TAG_OUTPUT:
        kind = HtmlElement::Kind::Output;
        return true;
    default:
        return false;
    }
}

bool disableable(HtmlElement::Kind kind)
{
    return kind == HtmlElement::Kind::Input || kind == HtmlElement::Kind::Button ||
           kind == HtmlElement::Kind::Select || kind == HtmlElement::Kind::Textarea ||
           kind == HtmlElement::Kind::Fieldset;
}

// Offsets of the </form> end tags the tokenizer produces: occurrences outside tags, text,
// comments, and outside select and template elements (where the tree builder ignores them).
std::vector<unsigned> formEndTags(const QByteArray &source, std::vector<Range> covered)
{
    std::sort(covered.begin(), covered.end(),
              [](const Range &a, const Range &b) { return a.begin < b.begin; });
    std::vector<Range> merged;
    for (const Range &r : covered) {
        if (!merged.empty() && r.begin <= merged.back().end)
            merged.back().end = std::max(merged.back().end, r.end);
        else
            merged.push_back(r);
    }
    std::vector<unsigned> out;
    const QByteArray lower = source.toLower();
    for (qsizetype at = lower.indexOf("</form"); at >= 0; at = lower.indexOf("</form", at + 6)) {
        if (at + 6 >= lower.size())
            break;
        const char after = lower.at(at + 6);
        if (!(after == '\t' || after == '\n' || after == '\f' || after == '\r' || after == ' ' ||
              after == '/' || after == '>'))
            continue;
        const auto offset = static_cast<unsigned>(at);
        auto it = std::upper_bound(merged.begin(), merged.end(), offset,
                                   [](unsigned o, const Range &r) { return o < r.begin; });
        if (it != merged.begin() && offset < std::prev(it)->end)
            continue;
        out.push_back(offset);
    }
    return out;
}

} // namespace

class HtmlTreeReader::Reader {
public:
    Reader(HtmlDocument &document, std::vector<std::unique_ptr<HtmlForm>> &forms,
           std::vector<std::unique_ptr<HtmlElement>> &elements)
        : m_document(document), m_forms(forms), m_elements(elements)
    {
    }

    void walk(const GumboNode *root);
    void assignOwners(const QByteArray &source);
    void settleRadioGroups();

    QUrl baseHref;
    bool haveBaseHref = false;
    QString baseTarget;
    bool haveBaseTarget = false;
    QString title;
    bool haveTitle = false;

private:
    void visit(const GumboNode *node, const Context &context);
    Context childContext(const Frame &parent, const GumboNode *child) const;
    void createElement(const GumboNode *node, HtmlElement::Kind kind, const Context &context);

    HtmlDocument &m_document;
    std::vector<std::unique_ptr<HtmlForm>> &m_forms;
    std::vector<std::unique_ptr<HtmlElement>> &m_elements;
    std::vector<OwnerEvent> m_events;
    std::vector<Range> m_covered;
    QHash<QString, HtmlForm *> m_firstWithId; // nullptr: the first element with the ID is no form
    std::map<HtmlElement *, QString> m_formAttribute;
    std::map<const GumboNode *, HtmlForm *> m_formOfNode;
};

Context HtmlTreeReader::Reader::childContext(const Frame &parent, const GumboNode *child) const
{
    Context c = parent.forChildren;
    if (parent.exemptLegend == child)
        c.fieldsetDisabled = parent.own.fieldsetDisabled;
    return c;
}

void HtmlTreeReader::Reader::walk(const GumboNode *root)
{
    std::vector<Frame> stack;
    stack.push_back(Frame{root, 0, Context{}, Context{}, nullptr});
    while (!stack.empty()) {
        Frame &top = stack.back();
        const GumboVector &children = childrenOf(top.node);
        if (top.next >= children.length) {
            stack.pop_back();
            continue;
        }
        const auto *child = static_cast<const GumboNode *>(children.data[top.next++]);
        if (isText(child) || child->type == GUMBO_NODE_COMMENT) {
            m_covered.push_back({child->v.text.start_pos.offset,
                                 child->v.text.start_pos.offset +
                                     static_cast<unsigned>(child->v.text.original_text.length)});
            continue;
        }
        const GumboElement &e = child->v.element;
        m_covered.push_back({e.start_pos.offset,
                             e.start_pos.offset + static_cast<unsigned>(e.original_tag.length)});
        if (child->type == GUMBO_NODE_TEMPLATE || isHtml(child, GUMBO_TAG_SELECT)) {
            // The tree builder ignores </form> inside these; template contents are no part of the
            // document.
            const unsigned end = e.end_pos.offset > e.start_pos.offset ? e.end_pos.offset : ~0u;
            m_covered.push_back({e.start_pos.offset, end});
        }
        if (child->type != GUMBO_NODE_ELEMENT)
            continue;
        const Context context = childContext(top, child);
        visit(child, context);

        Frame frame{child, 0, context, context, nullptr};
        if (auto it = m_formOfNode.find(child); it != m_formOfNode.end())
            frame.forChildren.form = it->second;
        if (isHtml(child, GUMBO_TAG_DATALIST))
            frame.forChildren.inDatalist = true;
        const QString dir = ascii::lower(attributeValue(child, "dir"));
        if (dir == u"ltr" || dir == u"rtl")
            frame.forChildren.direction = dir;
        if (isHtml(child, GUMBO_TAG_FIELDSET) && attributeOf(child, "disabled")) {
            frame.forChildren.fieldsetDisabled = true;
            for (unsigned i = 0; i < e.children.length; ++i) {
                const auto *c = static_cast<const GumboNode *>(e.children.data[i]);
                if (isHtml(c, GUMBO_TAG_LEGEND)) {
                    frame.exemptLegend = c;
                    break;
                }
            }
        }
        stack.push_back(frame);
    }
}

void HtmlTreeReader::Reader::visit(const GumboNode *node, const Context &context)
{
    const GumboAttribute *id = attributeOf(node, "id");
    // An empty id attribute gives the element no ID.
    const bool firstWithId =
        id && id->value[0] != '\0' && !m_firstWithId.contains(QString::fromUtf8(id->value));
    HtmlForm *form = nullptr;
    if (isHtml(node, GUMBO_TAG_FORM)) {
        m_forms.push_back(std::make_unique<HtmlForm>());
        form = m_forms.back().get();
        form->m_attributes = attributesOf(node);
        form->m_document = &m_document;
        m_formOfNode[node] = form;
        m_events.push_back(
            {node->v.element.start_pos.offset, OwnerEvent::FormOpened, form, nullptr, nullptr});
    }
    if (firstWithId)
        m_firstWithId.insert(QString::fromUtf8(id->value), form);

    HtmlElement::Kind kind{};
    if (listedTag(node, kind))
        createElement(node, kind, context);
    if (isHtml(node, GUMBO_TAG_BASE)) {
        const GumboAttribute *href = attributeOf(node, "href");
        if (href && !haveBaseHref) {
            haveBaseHref = true;
            const QUrl resolved =
                m_document.url().resolved(QUrl(QString::fromUtf8(href->value).trimmed()));
            const QString scheme = resolved.scheme().toLower();
            if (resolved.isValid() && scheme != u"data" && scheme != u"javascript")
                baseHref = resolved;
        }
        const GumboAttribute *target = attributeOf(node, "target");
        if (target && !haveBaseTarget) {
            haveBaseTarget = true;
            baseTarget = QString::fromUtf8(target->value);
        }
    }
    if (isHtml(node, GUMBO_TAG_TITLE) && !haveTitle) {
        haveTitle = true;
        title = stripAndCollapse(descendantText(node));
    }
}

void HtmlTreeReader::Reader::createElement(const GumboNode *node, HtmlElement::Kind kind,
                                           const Context &context)
{
    QString type;
    if (kind == HtmlElement::Kind::Input) {
        type = inputvalue::typeKeyword(attributeValue(node, "type"));
        if (type == u"image")
            return; // image buttons are not among a form's listed elements
    } else if (kind == HtmlElement::Kind::Button) {
        type = ascii::lower(attributeValue(node, "type"));
        if (type != u"reset" && type != u"button")
            type = QStringLiteral("submit");
    }
    auto element = std::make_unique<HtmlElement>();
    HtmlElement &el = *element;
    el.m_kind = kind;
    el.m_type = type;
    el.m_attributes = attributesOf(node);
    el.m_document = &m_document;
    el.m_inDatalist = context.inDatalist;
    el.m_direction = context.direction;
    const QString dir = ascii::lower(el.attribute(QStringLiteral("dir")));
    if (dir == u"ltr" || dir == u"rtl")
        el.m_direction = dir;
    el.m_dirAuto = dir == u"auto";
    el.m_disabled = disableable(kind) &&
                    (context.fieldsetDisabled || el.hasAttribute(QStringLiteral("disabled")));
    switch (kind) {
    case HtmlElement::Kind::Input:
        el.m_checked = el.hasAttribute(QStringLiteral("checked"));
        el.m_value = inputvalue::sanitize(type, el.attribute(QStringLiteral("value")),
                                          el.attribute(QStringLiteral("min")),
                                          el.attribute(QStringLiteral("max")),
                                          el.attribute(QStringLiteral("step")), el.multiple());
        break;
    case HtmlElement::Kind::Textarea:
        el.m_value = descendantText(node);
        break;
    case HtmlElement::Kind::Output:
        el.m_value = descendantText(node);
        break;
    case HtmlElement::Kind::Select:
        el.m_options = optionsOf(node);
        settleSelectedness(el.m_options, el.multiple(), el.attribute(QStringLiteral("size")));
        break;
    default:
        break;
    }
    if (el.hasAttribute(QStringLiteral("form")))
        m_formAttribute[&el] = el.attribute(QStringLiteral("form"));
    m_events.push_back(
        {node->v.element.start_pos.offset, OwnerEvent::Created, nullptr, &el, context.form});
    m_elements.push_back(std::move(element));
}

// Replays the tree builder's form element pointer in source order: an element created while
// it points at a form belongs to that form even outside it (a form in a table, a form whose
// element was closed early). A form attribute names the owner by ID instead; otherwise the
// owner is the nearest ancestor form.
void HtmlTreeReader::Reader::assignOwners(const QByteArray &source)
{
    for (const unsigned offset : formEndTags(source, m_covered))
        m_events.push_back({offset, OwnerEvent::FormClosed, nullptr, nullptr, nullptr});
    std::stable_sort(m_events.begin(), m_events.end(),
                     [](const OwnerEvent &a, const OwnerEvent &b) { return a.offset < b.offset; });
    HtmlForm *pointer = nullptr;
    for (const OwnerEvent &event : m_events) {
        switch (event.kind) {
        case OwnerEvent::FormOpened:
            pointer = event.form;
            break;
        case OwnerEvent::FormClosed:
            pointer = nullptr;
            break;
        case OwnerEvent::Created:
            if (auto it = m_formAttribute.find(event.element); it != m_formAttribute.end())
                event.element->m_form = m_firstWithId.value(it->second, nullptr);
            else
                event.element->m_form = pointer ? pointer : event.ancestor;
            break;
        }
    }
    for (const auto &element : m_elements)
        if (element->m_form)
            element->m_form->m_elements.push_back(element.get());
}

// Of the radio buttons of one group marked checked, the last one created stays checked.
void HtmlTreeReader::Reader::settleRadioGroups()
{
    std::map<std::pair<HtmlForm *, QString>, HtmlElement *> checked;
    for (const OwnerEvent &event : m_events) {
        HtmlElement *e = event.element;
        if (event.kind != OwnerEvent::Created || e->type() != u"radio" || !e->checked() ||
            e->name().isEmpty())
            continue;
        HtmlElement *&previous = checked[{e->form(), e->name()}];
        if (previous)
            previous->setChecked(false);
        previous = e;
    }
}

void HtmlTreeReader::read(HtmlDocument &document, const GumboTree &tree)
{
    const auto *output = static_cast<const GumboOutput *>(tree.output());
    if (!output)
        return;
    Reader reader(document, document.m_forms, document.m_elements);
    reader.walk(output->document);
    reader.assignOwners(tree.source());
    reader.settleRadioGroups();
    if (reader.haveBaseHref && reader.baseHref.isValid())
        document.m_baseUrl = reader.baseHref;
    document.m_baseTarget = reader.baseTarget;
    document.m_title = reader.title;
}
