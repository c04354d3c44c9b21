// Qt implementations of the message box, the shell's URL opening and the end of the process.
#pragma once

#include "controls/platform.h"

class QtMessageBox : public IMessageBox {
public:
    int ask(const QString &text, int style, const QString &title) override;
};

class QtShell : public IShell {
public:
    void open(const QString &url) override;
};

class QtProcess : public IProcess {
public:
    // beforeEnd runs first, e.g. to give up the instance lock.
    explicit QtProcess(std::function<void()> beforeEnd = {}) : m_beforeEnd(std::move(beforeEnd)) {}
    [[noreturn]] void end() override;

private:
    std::function<void()> m_beforeEnd;
};
