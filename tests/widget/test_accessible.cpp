// What a screen reader finds on the window through Qt's accessibility interfaces: every control
// a person can reach, with its name, its role and, for the knobs, the tooltip as description.
#include "fakes.h"

#include <QAccessible>
#include <gtest/gtest.h>
#include <map>
#include <ostream>
#include <string>

namespace {
struct Spoken {
    QAccessible::Role role;
    std::string description;
    bool operator==(const Spoken &) const = default;
};

void PrintTo(const Spoken &s, std::ostream *os)
{
    *os << "role 0x" << std::hex << s.role << " description \"" << s.description << '"';
}

// Every named node under the window's accessible interface, walked as a screen reader does.
void collect(QAccessibleInterface &node, std::map<std::string, Spoken> &found)
{
    for (int i = 0; i < node.childCount(); ++i) {
        QAccessibleInterface *child = node.child(i);
        ASSERT_NE(child, nullptr);
        const QString name = child->text(QAccessible::Name);
        if (!name.isEmpty())
            found[name.toStdString()] = {child->role(),
                                         child->text(QAccessible::Description).toStdString()};
        collect(*child, found);
    }
}
} // namespace

TEST(Accessible, EveryReachableControlHasANameAndARoleAndTheKnobsKeepTheirTooltips)
{
    FakeDesktop d;
    auto w = d.start();
    QAccessibleInterface *window = QAccessible::queryAccessibleInterface(w.get());
    ASSERT_NE(window, nullptr);
    std::map<std::string, Spoken> found;
    collect(*window, found);

    const std::map<std::string, Spoken> expected{
        {"Search the web", {QAccessible::EditableText, ""}},
        {"Search", {QAccessible::Button, ""}},
        {"Change skin", {QAccessible::Button, " Change Skin "}},
        {"Stay on top", {QAccessible::Button, " Stay On Top Mode: ON "}},
        {"Exit HarrowKIT", {QAccessible::Button, " Exit HarrowKIT "}},
        {"Search engine home page", {QAccessible::Link, ""}},
        {"HarrowKIT downloads", {QAccessible::Link, ""}},
        {"HarrowKIT home page", {QAccessible::Link, ""}}};
    EXPECT_EQ(found, expected);
}
