// Making a document: the markup parsed within its budget, and the model read from the tree.
#include "controls/browser/charset.h"
#include "controls/browser/document.h"
#include "controls/browser/gumbotree.h"
#include "controls/browser/nestingguard.h"
#include "controls/browser/treereader.h"

HtmlDocument::HtmlDocument(const QString &html, const QUrl &url, const QString &charset)
    : HtmlDocument(html, url, charset, ParseBudget{})
{
}

HtmlDocument::HtmlDocument(const QString &html, const QUrl &url, const QString &charset,
                           const ParseBudget &budget)
    : m_url(url), m_baseUrl(url), m_charset(charset::fromLabel(charset))
{
    if (m_charset.isEmpty())
        m_charset = QStringLiteral("UTF-8");
    const GumboTree tree(limitNesting(html.toUtf8()).html, budget);
    m_complete = tree.complete();
    HtmlTreeReader::read(*this, tree);
}
