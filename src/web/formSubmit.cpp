#include "web/formSubmit.h"

#include "controls/browser/document.h"
#include "controls/resume.h"

void formSubmit(HtmlDocument &document, Int16 formIndex, const QString &fieldName,
                const QString &fieldValue)
{
    int length = 0;
    try {
        length = document.form(formIndex).length();
    } catch (const std::exception &) {
        return; // no such form: nothing to fill
    }
    for (int i = 0; i < length; ++i) {
        bool match = false;
        step([&] { match = document.form(formIndex).item(i).name() == fieldName; });
        if (match) {
            step([&] { document.form(formIndex).item(i).setValue(fieldValue); });
            return;
        }
    }
}

bool isBlank(const QString &text)
{
    for (const QChar c : text)
        if (c != u' ')
            return false;
    return true;
}
