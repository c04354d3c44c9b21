// The document model of the hidden browser: the forms of a parsed HTML page and their listed
// elements, with the state a script would see (current values, checkedness, selected options).
// A plain model without widgets; it is built from markup, a URL and the charset it was decoded
// with, so it can be created straight from a string.
#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>
#include <vector>

class HtmlDocument;
class HtmlForm;
struct FormSubmission;
struct ParseBudget;

// One option of a select element.
struct HtmlOption {
    QString value;         // its value attribute, else its whitespace-collapsed text
    bool selected = false; // current selectedness
    bool disabled = false; // its own disabled attribute or a disabled optgroup parent
};

// A form-listed element: input (except image buttons), button, select, textarea, fieldset,
// object, output.
class HtmlElement {
public:
    enum class Kind { Input, Button, Select, Textarea, Fieldset, Object, Output };

    QString name() const; // the element's name attribute ("" when none)
    QString value() const;
    // Like assigning element.value in a browser; a file input accepts only "" and throws
    // std::runtime_error otherwise.
    void setValue(const QString &value);

    Kind kind() const { return m_kind; }
    // input: the type keyword (lower case, "text" when missing or unknown); button: submit,
    // reset or button; otherwise empty.
    QString type() const { return m_type; }
    bool hasAttribute(const QString &name) const;
    QString attribute(const QString &name) const; // "" when absent
    // Its own disabled attribute, or inside a disabled fieldset and not inside that
    // fieldset's first legend.
    bool disabled() const { return m_disabled; }
    bool checked() const { return m_checked; }
    void setChecked(bool checked);
    bool insideDatalist() const { return m_inDatalist; }
    // "ltr" or "rtl": from the nearest dir attribute of the element or its ancestors; "auto"
    // on a text field or textarea looks at its value's first strong character.
    QString directionality() const;
    const std::vector<HtmlOption> &options() const { return m_options; }
    bool multiple() const { return hasAttribute(QStringLiteral("multiple")); }
    HtmlForm *form() const { return m_form; }

private:
    friend class HtmlTreeReader;
    friend class HtmlDocument;

    Kind m_kind = Kind::Input;
    QString m_type;
    QList<QPair<QString, QString>> m_attributes;
    QString m_value; // input in value mode: current value; textarea: raw value
    bool m_checked = false;
    bool m_disabled = false;
    bool m_inDatalist = false;
    QString m_direction = QStringLiteral("ltr"); // inherited or own "ltr"/"rtl"
    bool m_dirAuto = false;                      // own dir=auto
    std::vector<HtmlOption> m_options;
    HtmlForm *m_form = nullptr;
    HtmlDocument *m_document = nullptr;
};

class HtmlForm {
public:
    int length() const;           // number of listed elements of the form
    HtmlElement &item(int index); // throws std::out_of_range outside 0..length-1
    const HtmlElement &item(int index) const;
    // Builds the submission and hands it to the document's submission handler. Throws
    // std::runtime_error when the document has no browsing context any more (detached), the
    // form's method is dialog, or the action may not be followed (e.g. a javascript: URL).
    void submit();

    QString attribute(const QString &name) const; // "" when absent
    bool hasAttribute(const QString &name) const;
    HtmlDocument &document() const { return *m_document; }

private:
    friend class HtmlTreeReader;
    friend class HtmlDocument;

    QList<QPair<QString, QString>> m_attributes;
    std::vector<HtmlElement *> m_elements; // tree order
    HtmlDocument *m_document = nullptr;
};

class HtmlDocument {
public:
    using SubmissionHandler = std::function<void(const FormSubmission &)>;

    // Parses the markup (any size, any state of repair) as an HTML document at url. charset
    // is the label of the encoding the markup was decoded from (an unknown one counts as
    // UTF-8); it names the encoding of form submissions.
    HtmlDocument(const QString &html, const QUrl &url,
                 const QString &charset = QStringLiteral("UTF-8"));
    // The same with the parser's time and memory budget given (see gumbotree.h).
    HtmlDocument(const QString &html, const QUrl &url, const QString &charset,
                 const ParseBudget &budget);
    ~HtmlDocument();
    HtmlDocument(const HtmlDocument &) = delete;
    HtmlDocument &operator=(const HtmlDocument &) = delete;

    int formCount() const;
    HtmlForm &form(int index); // throws std::out_of_range
    QUrl url() const { return m_url; }
    QString charset() const { return m_charset; } // canonical name, e.g. "windows-1252"
    // The first <base href>, resolved against the URL, else the URL.
    QUrl baseUrl() const { return m_baseUrl; }
    // The first <base target>, else "".
    QString baseTarget() const { return m_baseTarget; }
    QString title() const { return m_title; }
    // False when the markup was over the parser's budget and only a prefix of it was read.
    bool complete() const { return m_complete; }

    // Where submit() sends its submissions; none set means no browsing context.
    void setSubmissionHandler(SubmissionHandler handler);
    // Cuts the document off its browsing context: later submissions throw.
    void detach();
    bool attached() const { return static_cast<bool>(m_handler); }
    // Hands a submission to the handler; throws std::runtime_error when there is none.
    void dispatch(const FormSubmission &submission);

private:
    friend class HtmlTreeReader;
    friend class HtmlElement; // a radio button unchecks the rest of its group

    QUrl m_url;
    QUrl m_baseUrl;
    QString m_baseTarget;
    QString m_charset;
    QString m_title;
    bool m_complete = true;
    std::vector<std::unique_ptr<HtmlForm>> m_forms;
    std::vector<std::unique_ptr<HtmlElement>> m_elements;
    SubmissionHandler m_handler;
};
