// The parts of a formula shared by its parser and its evaluator (not part of the store's
// interface): the tree a formula parses into, and the evaluation of one.
#pragma once

#include "store/Formula.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace store {

enum class Op {
    Literal,
    Field,
    Function,
    Negate,
    Not,
    Concat, // ":"
    Add,
    Subtract,
    Multiply,
    Divide,
    Equal,
    NotEqual,
    Less,
    Greater,
    LessEqual,
    GreaterEqual,
    And,
    Or,
};

struct FormulaNode {
    Op op = Op::Literal;
    int depth = 1; // of the tree below and including this node
    ValueList literal;
    std::u16string name; // field or function name (functions folded to lower case)
    std::vector<std::unique_ptr<FormulaNode>> args;
};

namespace formula {

[[noreturn]] inline void Fail(const std::string& message) {
    throw FormulaError(message);
}

// Whether name (folded to lower case) is a function the evaluator knows.
bool IsKnownFunction(std::u16string_view name);
// The value of the formula tree root for note.
ValueList Evaluate(const FormulaNode& root, const NoteData& note, bool viewContext);
// Whether a condition's value is true: its first value a number other than 0 (raises FormulaError
// for a text or date).
bool IsTrue(const ValueList& values);

} // namespace formula

} // namespace store
