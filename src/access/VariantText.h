// Conversion of automation values to the text the user sees: text unchanged, whole numbers in
// decimal, other numbers with at most 15 significant digits and the locale's decimal separator,
// date-times in the locale's short date and a H:mm:ss time (the date alone at midnight, the time
// alone on the zero date), an object as its default value. An array cannot be converted.
#pragma once

#include "interfaces/ComObject.h"

#include <QLocale>
#include <QString>
#include <QStringList>

QString VariantToText(const Variant& value, const QLocale& locale = QLocale());

// The interface is Chinese: where the process has no locale of its own (C or POSIX), values are
// shown as under the Chinese locale. Called once at start-up, before any value is shown.
void UseChineseLocaleWhereNoneIsSet();

// Each element of an array value converted to text; a value that is not an array raises a
// type-mismatch EOleException, and so does an element that is itself an array.
QStringList VariantArrayToTexts(const Variant& value, const QLocale& locale = QLocale());

// A value that may hold several values (a multi-valued view column entry) as text: the texts of
// its values joined by ", "; a single value as VariantToText gives it.
QString JoinedValueText(const Variant& value, const QLocale& locale = QLocale());

// True when the whole text is a signed 32-bit integer: leading blanks, an optional sign, then
// decimal digits or a hexadecimal number introduced by "$", "x", "X", "0x" or "0X".
bool IsIntegerText(const QString& text);

inline std::u16string ToU16(const QString& text) {
    return text.toStdU16String();
}
