#include "controls/browser/document.h"

#include "controls/browser/inputvalue.h"
#include "controls/browser/submission.h"

#include <stdexcept>

namespace {
QString lookup(const QList<QPair<QString, QString>> &attributes, const QString &name)
{
    for (const auto &a : attributes)
        if (a.first == name)
            return a.second;
    return {};
}

bool contains(const QList<QPair<QString, QString>> &attributes, const QString &name)
{
    for (const auto &a : attributes)
        if (a.first == name)
            return true;
    return false;
}

void store(QList<QPair<QString, QString>> &attributes, const QString &name, const QString &value)
{
    for (auto &a : attributes)
        if (a.first == name) {
            a.second = value;
            return;
        }
    attributes.append({name, value});
}

// The textarea's API value: every CRLF and lone CR becomes LF.
QString lfNewlines(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}
} // namespace

// ---- HtmlElement

QString HtmlElement::name() const
{
    return attribute(QStringLiteral("name"));
}

bool HtmlElement::hasAttribute(const QString &name) const
{
    return contains(m_attributes, name);
}

QString HtmlElement::attribute(const QString &name) const
{
    return lookup(m_attributes, name);
}

QString HtmlElement::value() const
{
    switch (m_kind) {
    case Kind::Input:
        switch (inputvalue::mode(m_type)) {
        case inputvalue::Mode::Value:
            return m_value;
        case inputvalue::Mode::Default:
            return attribute(QStringLiteral("value"));
        case inputvalue::Mode::DefaultOn:
            return hasAttribute(QStringLiteral("value")) ? attribute(QStringLiteral("value"))
                                                         : QStringLiteral("on");
        case inputvalue::Mode::Filename:
            return {}; // no file is ever chosen
        }
        return {};
    case Kind::Textarea:
        return lfNewlines(m_value);
    case Kind::Select:
        for (const HtmlOption &option : m_options)
            if (option.selected)
                return option.value;
        return {};
    case Kind::Button:
        return attribute(QStringLiteral("value"));
    case Kind::Output:
        return m_value;
    case Kind::Fieldset:
    case Kind::Object:
        return {};
    }
    return {};
}

void HtmlElement::setValue(const QString &value)
{
    switch (m_kind) {
    case Kind::Input:
        switch (inputvalue::mode(m_type)) {
        case inputvalue::Mode::Value:
            m_value = inputvalue::sanitize(m_type, value, attribute(QStringLiteral("min")),
                                           attribute(QStringLiteral("max")),
                                           attribute(QStringLiteral("step")), multiple());
            return;
        case inputvalue::Mode::Default:
        case inputvalue::Mode::DefaultOn:
            store(m_attributes, QStringLiteral("value"), value);
            return;
        case inputvalue::Mode::Filename:
            if (!value.isEmpty())
                throw std::runtime_error("a file input's value can only be cleared");
            return;
        }
        return;
    case Kind::Textarea:
    case Kind::Output:
        m_value = value;
        return;
    case Kind::Select: {
        bool found = false;
        for (HtmlOption &option : m_options) {
            option.selected = !found && option.value == value;
            found = found || option.selected;
        }
        return;
    }
    case Kind::Button:
        store(m_attributes, QStringLiteral("value"), value);
        return;
    case Kind::Fieldset:
    case Kind::Object:
        return;
    }
}

QString HtmlElement::directionality() const
{
    if (!m_dirAuto || (m_kind != Kind::Input && m_kind != Kind::Textarea))
        return m_direction;
    for (const QChar c : value()) {
        const QChar::Direction d = c.direction();
        if (d == QChar::DirL)
            return QStringLiteral("ltr");
        if (d == QChar::DirR || d == QChar::DirAL)
            return QStringLiteral("rtl");
    }
    return QStringLiteral("ltr");
}

void HtmlElement::setChecked(bool checked)
{
    if (m_kind != Kind::Input)
        return;
    m_checked = checked;
    // Checking a radio button unchecks the others of its group: same form owner, same name.
    if (!checked || m_type != u"radio" || name().isEmpty() || !m_document)
        return;
    for (const auto &other : m_document->m_elements)
        if (other.get() != this && other->m_kind == Kind::Input && other->m_type == u"radio" &&
            other->m_form == m_form && other->name() == name())
            other->m_checked = false;
}

// ---- HtmlForm

int HtmlForm::length() const
{
    return static_cast<int>(m_elements.size());
}

HtmlElement &HtmlForm::item(int index)
{
    if (index < 0 || index >= length())
        throw std::out_of_range("no such form element");
    return *m_elements[static_cast<std::size_t>(index)];
}

const HtmlElement &HtmlForm::item(int index) const
{
    if (index < 0 || index >= length())
        throw std::out_of_range("no such form element");
    return *m_elements[static_cast<std::size_t>(index)];
}

QString HtmlForm::attribute(const QString &name) const
{
    return lookup(m_attributes, name);
}

bool HtmlForm::hasAttribute(const QString &name) const
{
    return contains(m_attributes, name);
}

void HtmlForm::submit()
{
    if (!m_document || !m_document->attached())
        throw std::runtime_error("the form's document is no longer in a browser");
    m_document->dispatch(planSubmission(*this));
}

// ---- HtmlDocument

HtmlDocument::~HtmlDocument() = default;

int HtmlDocument::formCount() const
{
    return static_cast<int>(m_forms.size());
}

HtmlForm &HtmlDocument::form(int index)
{
    if (index < 0 || index >= formCount())
        throw std::out_of_range("no such form");
    return *m_forms[static_cast<std::size_t>(index)];
}

void HtmlDocument::setSubmissionHandler(SubmissionHandler handler)
{
    m_handler = std::move(handler);
}

void HtmlDocument::detach()
{
    m_handler = nullptr;
}

void HtmlDocument::dispatch(const FormSubmission &submission)
{
    if (!m_handler)
        throw std::runtime_error("the document is no longer in a browser");
    // A copy: the handler may detach this document while it runs.
    const SubmissionHandler handler = m_handler;
    handler(submission);
}
