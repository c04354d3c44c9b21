// The entry points of the web module, which the program loads once its window is on the screen.
#include "controls/browser/qtbrowser.h"
#include "controls/browser/qttransfer.h"

extern "C" {
IBrowser *harrowkit_make_browser(IShell &shell);
ITransfer *harrowkit_make_transfer();

IBrowser *harrowkit_make_browser(IShell &shell)
{
    return new QtBrowser(shell);
}

ITransfer *harrowkit_make_transfer()
{
    return new QtTransfer();
}
}
