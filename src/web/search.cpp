// The search: Enter in the box or a click on the button loads the maker's search page in the
// hidden browser, writes the query into its field "q" and submits its first form.
#include "app/frmMain.h"

#include "controls/browser/document.h"
#include "web/addresses.h"
#include "web/formSubmit.h"

#include <QScopedValueRollback>
#include <stdexcept>

namespace {
constexpr Int16 kEnter = 13;

HtmlDocument &loaded(const std::shared_ptr<HtmlDocument> &document)
{
    if (!document)
        throw std::runtime_error("no document");
    return *document;
}

// The box is made when a person first comes to the tab; until then nothing is typed.
QString typed(const TextBox *box)
{
    return box ? box->text() : QString();
}
} // namespace

void frmMain::Text1_KeyPress(Int16 &keyAscii)
{
    if (branch([&] { return isBlank(typed(Text1)); }))
        return;
    if (branch([&] { return keyAscii == kEnter; })) {
        step([&] { keyAscii = 0; });
        step([&] { picButton_Click(); });
    }
}

void frmMain::picButton_Click()
{
    if (branch([&] { return isBlank(typed(Text1)); }))
        return;
    // Enter or a click while a search waits for its page would start a second search inside
    // the first, and each would check for updates: the running search is the one.
    if (m_searching)
        return;
    const QScopedValueRollback<bool> searching(m_searching, true);
    IBrowser &browser = m_platform.browser;
    step([&] { browser.Navigate(addresses::searchPage()); });
    step([&] { TimerRetract->setEnabled(false); });
    step([&] { TimerRetract->setEnabled(true); });
    // Wait for the page, keeping the window responsive and sleeping between events; the end
    // of the load is an event (a load always ends: it has a time-out), and a Busy that cannot
    // be read ends the wait.
    bool busy = false;
    step([&] { busy = browser.Busy(); });
    while (busy) {
        step([&] { m_platform.events.waitEvents(); });
        busy = false;
        step([&] { busy = browser.Busy(); });
    }
    std::shared_ptr<HtmlDocument> document;
    step([&] { document = browser.Document(); });
    step([&] { formSubmit(loaded(document), 0, QStringLiteral("q"), typed(Text1)); });
    step([&] { loaded(document).form(0).submit(); });
    step([&] { m_platform.events.doEvents(); });
    updateCheck();
}
