// A small formula language: what view selections, computed view columns and Evaluate need.
//
//   [SELECT] expression
//
// Operands: item names, "text" literals (\" and \\ escape), numbers, @functions. Operators, from
// the highest precedence: ":" (list concatenation); unary "-" "+"; "*" "/"; "+" "-"; comparisons
// "=" "!=" "<>" "<" ">" "<=" ">="; then "!", "&" and "|" on one level, left to right.
// Lists combine pair-wise (the shorter list's last element repeats); a comparison is true when
// any pair satisfies it. Text comparisons ignore letter case.
// Functions: @All @True @False @IsAvailable @IsUnavailable @Created @Modified @DocumentUniqueID
// @Attachments @AttachmentNames @Text @If @UpperCase @LowerCase @Trim @Elements @Contains @Begins.
#pragma once

#include "store/Note.h"

#include <memory>
#include <stdexcept>
#include <string>

namespace store {

class FormulaError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct FormulaNode;

class Formula {
public:
    // Parses text; raises FormulaError on a syntax error or an unknown @function.
    explicit Formula(const std::u16string& text);
    ~Formula();
    Formula(Formula&&) noexcept;
    Formula& operator=(Formula&&) noexcept;

    // Evaluates against a note. In a view context only summary items are available (rich text
    // is not). Raises FormulaError on a run-time error (such as arithmetic on text).
    ValueList evaluate(const NoteData& note, bool viewContext = false) const;
    // True when the result's first value is a non-zero number; errors count as false.
    bool selects(const NoteData& note) const;

private:
    std::unique_ptr<FormulaNode> m_root;
};

// Text form of a value as formulas and rich-text plain text show it.
std::u16string ScalarToText(const Scalar& value);

} // namespace store
