// Fills the first field of one form of a page whose name is exactly fieldName.
#pragma once

#include "controls/int16.h"

#include <QString>

class HtmlDocument;

void formSubmit(HtmlDocument &document, Int16 formIndex, const QString &fieldName,
                const QString &fieldValue);

// True when the text is empty once blanks (U+0020 only) are taken off both ends.
bool isBlank(const QString &text);
