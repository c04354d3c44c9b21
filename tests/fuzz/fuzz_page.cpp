// A search page and a query in, the request out: the path a fetched page takes from its bytes
// to the submission the hidden browser would send (encoding sniffed, decoded, parsed, field
// "q" of each form filled, each form submitted), and for a POST to a new window the page that
// carries it to the person's browser.
//
// Input: the page's bytes, optionally followed by a NUL byte and the query (UTF-8).
#include "controls/browser/charset.h"
#include "controls/browser/document.h"
#include "controls/browser/sniff.h"
#include "controls/browser/submission.h"
#include "controls/browser/submitpages.h"
#include "web/formSubmit.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>

namespace {
constexpr int kMaxForms = 8;
const QUrl kPageUrl(QStringLiteral("http://127.0.0.1:8080/dir/search.htm?old=1#top"));
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const qsizetype nul = input.indexOf('\0');
    const QByteArray body = nul < 0 ? input : input.left(nul);
    const QString query = nul < 0 ? QString::fromUtf8("harrow kit \xC3\xBC \xE6\x97\xA5")
                                  : QString::fromUtf8(input.mid(nul + 1));

    const sniff::Result encoding = sniff::encoding(body, "text/html");
    const QString text = charset::decode(body.mid(encoding.bomLength), encoding.charset);
    HtmlDocument document(text, kPageUrl, encoding.charset);
    document.setSubmissionHandler([](const FormSubmission &s) {
        if (s.post && s.newContext)
            SubmitPages::page(s);
    });
    for (int i = 0; i < document.formCount() && i < kMaxForms; ++i) {
        formSubmit(document, static_cast<Int16>(i), QStringLiteral("q"), query);
        try {
            document.form(i).submit();
        } catch (const std::runtime_error &) {
            // an action the browser may not follow: no request, as designed
        }
    }
    return 0;
}
