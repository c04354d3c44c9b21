#include "controls/browser/lazyweb.h"

#include "controls/browser/loadable.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>
#include <dlfcn.h>
#include <stdexcept>
#include <utility>

LazyBrowser::LazyBrowser(Make make) : m_make(std::move(make)) {}

LazyBrowser::~LazyBrowser() = default;

IBrowser *LazyBrowser::browser()
{
    if (!m_tried) {
        m_tried = true;
        m_browser = m_make();
    }
    return m_browser.get();
}

void LazyBrowser::Navigate(const QString &url)
{
    if (m_held && !m_browser) {
        if (loadableUrl(url).isEmpty())
            throw std::invalid_argument("unsupported address: " + url.trimmed().toStdString());
        m_waiting = url; // a later load replaces a waiting one, as it would a running one
        return;
    }
    m_waiting.reset();
    IBrowser *real = browser();
    if (!real)
        throw std::runtime_error("no web part to load pages with");
    real->Navigate(url);
}

bool LazyBrowser::Busy()
{
    return m_waiting || (m_browser && m_browser->Busy());
}

std::shared_ptr<HtmlDocument> LazyBrowser::Document()
{
    if (m_waiting)
        throw std::runtime_error("the page is still loading");
    if (!m_browser)
        throw std::runtime_error("no page loaded");
    return m_browser->Document();
}

void LazyBrowser::releaseRequests()
{
    m_held = false;
    if (!m_waiting)
        return;
    const QString url = *std::exchange(m_waiting, std::nullopt);
    try {
        if (IBrowser *real = browser())
            real->Navigate(url);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "HarrowKIT: %s\n", e.what());
    }
}

LazyTransfer::LazyTransfer(Make make) : m_make(std::move(make)) {}

LazyTransfer::~LazyTransfer() = default;

QString LazyTransfer::OpenURL(const QString &url)
{
    if (!m_transfer)
        m_transfer = m_make();
    if (!m_transfer)
        throw std::runtime_error("no web part to fetch " + url.toStdString() + " with");
    return m_transfer->OpenURL(url);
}

namespace {
// The module, loaded once: from where an installation puts it beside the program, else from
// the program's own folder (a build tree). It stays loaded for the life of the process.
void *module()
{
    static void *const handle = []() -> void * {
        const QString bin = QCoreApplication::applicationDirPath();
        QByteArrayList why;
        for (const QString &folder : {bin + QStringLiteral("/" HARROWKIT_WEB_FROM_BIN), bin}) {
            const QString path = QDir::cleanPath(folder + QStringLiteral("/harrowkit-web.so"));
            if (void *loaded = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW))
                return loaded;
            why << ::dlerror();
        }
        std::fprintf(stderr, "HarrowKIT: the web part could not be loaded: %s\n",
                     why.join("; ").constData());
        return nullptr;
    }();
    return handle;
}

template <typename Entry> Entry entry(const char *name)
{
    void *loaded = module();
    return loaded ? reinterpret_cast<Entry>(::dlsym(loaded, name)) : nullptr;
}
} // namespace

std::unique_ptr<IBrowser> webmodule::makeBrowser(IShell &shell)
{
    const auto make = entry<IBrowser *(*)(IShell &)>("harrowkit_make_browser");
    return std::unique_ptr<IBrowser>(make ? make(shell) : nullptr);
}

std::unique_ptr<ITransfer> webmodule::makeTransfer()
{
    const auto make = entry<ITransfer *(*)()>("harrowkit_make_transfer");
    return std::unique_ptr<ITransfer>(make ? make() : nullptr);
}
