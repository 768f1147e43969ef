// Value lists and view entries' column values as the database keeps them, and as automation
// values.
#pragma once

#include "interfaces/ComObject.h"
#include "store/Note.h"

#include <string>
#include <string_view>
#include <vector>

namespace store {

// Value lists as stored: a sequence of entries, each 'T' + u32 length + UTF-8, 'N' + f64 or
// 'D' + f64 (little endian). Decoding checks every bound and raises CorruptData.
std::string EncodeValues(const ValueList& values);
ValueList DecodeValues(std::string_view bytes);

// A view entry's column values: per column, u32 byte length + a value list.
std::string EncodeColumns(const std::vector<ValueList>& columns);
std::vector<ValueList> DecodeColumns(std::string_view bytes);

// A scalar or value list as an automation value: one value as itself, several as an array,
// none as empty text.
Variant ToVariant(const Scalar& value);
Variant ToVariant(const ValueList& values);
// Always an array (GetItemValue); an empty list gives one empty text.
Variant ToVariantArray(const ValueList& values);

} // namespace store
