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
    [[noreturn]] void end() override;
};
