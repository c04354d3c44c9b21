// The end of the desktop session as a callback: the session manager telling the program to
// quit, or the system asking it to end (SIGTERM from a log-out, systemd or kill; SIGHUP when
// its terminal or session goes). A session manager's mere request to save is not an end: every
// setting is already stored, so the program goes on.
#pragma once

#include <functional>

class QObject;

void onSessionEnd(QObject *context, std::function<void()> fn);
