#include "controls/qtdialogs.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>
#include <cstdlib>
#include <stdexcept>

int QtMessageBox::ask(const QString &text, int style, const QString &title)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (style & 0x70) {
    case 16:
        icon = QMessageBox::Critical;
        break;
    case 32:
        icon = QMessageBox::Question;
        break;
    case 48:
        icon = QMessageBox::Warning;
        break;
    case 64:
        icon = QMessageBox::Information;
        break;
    default:
        break;
    }
    if ((style & 0x0F) != 4)
        throw std::invalid_argument("only Yes/No questions are asked");
    QMessageBox box(icon, title, text, QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    if (style & 4096) // system-modal: the question stays above every other window
        box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    const int answer = box.exec();
    if (answer == QMessageBox::Yes)
        return 6;
    if (answer == QMessageBox::No)
        return 7;
    return 0;
}

void QtShell::open(const QString &url)
{
    const QUrl u(url, QUrl::StrictMode);
    if (!u.isValid() || u.scheme().isEmpty())
        throw std::invalid_argument("not an address");
    if (!QDesktopServices::openUrl(u))
        throw std::runtime_error("no browser could be started");
}

void QtProcess::end()
{
    if (m_beforeEnd)
        m_beforeEnd();
    // Every setting is already on disk: nothing is left to save or tear down.
    std::_Exit(0);
}
