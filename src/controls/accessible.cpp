#include "controls/accessible.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace {
const char *const kRoleProperty = "accessibleRole";

QAccessibleInterface *withGivenRole(const QString &, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    const QVariant role = widget ? widget->property(kRoleProperty) : QVariant();
    if (!role.isValid())
        return nullptr; // Qt's own interface
    return new QAccessibleWidget(widget, static_cast<QAccessible::Role>(role.toInt()));
}
} // namespace

void setAccessible(QWidget &control, QAccessible::Role role, const QString &name)
{
    static const bool installed = (QAccessible::installFactory(withGivenRole), true);
    Q_UNUSED(installed);
    control.setProperty(kRoleProperty, static_cast<int>(role));
    control.setAccessibleName(name);
}
