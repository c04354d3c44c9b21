// The input element's type keywords and value modes, and the sanitization each type applies
// to its value.
#pragma once

#include <QString>

namespace inputvalue {

enum class Mode { Value, Default, DefaultOn, Filename };

// The type keyword for a type attribute value: lower case, "text" when missing or unknown.
QString typeKeyword(const QString &attribute);
Mode mode(const QString &type);
// The value as the type admits it; min, max, step and multiple are the element's attributes.
QString sanitize(const QString &type, const QString &value, const QString &min, const QString &max,
                 const QString &step, bool multiple);
// A valid floating-point number in the HTML syntax (no leading '+', no trailing '.').
bool isValidFloat(const QString &text, double *result = nullptr);

} // namespace inputvalue
