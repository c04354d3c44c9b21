// The desktop session ending (log-off, shut-down) as a callback.
#pragma once

#include <functional>

class QObject;

void onSessionEnd(QObject *context, std::function<void()> fn);
