// What a screen reader announces for a control: its name and its role. Qt knows the role of its
// own widgets (a line edit is editable text); picture boxes and image areas are plain widgets to
// it, so the role given here is served by a factory that is installed on first use.
#pragma once

#include <QAccessible>
#include <QString>

class QWidget;

void setAccessible(QWidget &control, QAccessible::Role role, const QString &name);
