#include "store/Formula.h"

#include "store/FormulaTree.h"
#include "store/Names.h"
#include "store/OleTime.h"

#include <QString>

#include <cmath>
#include <cstdio>

namespace store {

namespace {

using namespace formula;
using NodePtr = std::unique_ptr<FormulaNode>;

bool IsNameChar(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' || c == u'$' ||
           c == u'.' || c >= 0x80;
}

// Parsing and evaluating recurse along the formula's nesting and along chains of operators;
// deeper formulas are refused rather than allowed to exhaust the stack.
constexpr int kMaxDepth = 256;

class Parser {
public:
    explicit Parser(const std::u16string& text) : m_text(text) {}

    NodePtr parseFormula() {
        skipSpace();
        // Leading statements separated by ";" are allowed; the last one gives the result.
        NodePtr result;
        for (;;) {
            if (matchKeyword(u"select"))
                skipSpace();
            result = parseLogical();
            skipSpace();
            if (m_pos < m_text.size() && m_text[m_pos] == u';') {
                ++m_pos;
                skipSpace();
                if (m_pos >= m_text.size())
                    break;
                continue;
            }
            break;
        }
        if (m_pos != m_text.size())
            Fail("unexpected text in formula at position " + std::to_string(m_pos));
        return result;
    }

private:
    void skipSpace() {
        while (m_pos < m_text.size() &&
               (m_text[m_pos] == u' ' || m_text[m_pos] == u'\t' || m_text[m_pos] == u'\r' || m_text[m_pos] == u'\n'))
            ++m_pos;
    }

    bool matchKeyword(std::u16string_view word) {
        if (m_text.size() - m_pos < word.size())
            return false;
        if (!EqualsIgnoreCase(std::u16string_view(m_text).substr(m_pos, word.size()), word))
            return false;
        const size_t end = m_pos + word.size();
        if (end < m_text.size() && IsNameChar(m_text[end]))
            return false;
        m_pos = end;
        return true;
    }

    bool match(std::u16string_view token) {
        skipSpace();
        if (std::u16string_view(m_text).substr(m_pos, token.size()) == token) {
            m_pos += token.size();
            return true;
        }
        return false;
    }

    // Counts one level of recursion of the parser while alive.
    struct Nesting {
        explicit Nesting(Parser& parser) : m_parser(parser) {
            if (++m_parser.m_nesting > kMaxDepth)
                Fail("formula nested too deeply");
        }
        ~Nesting() { --m_parser.m_nesting; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;
        Parser& m_parser;
    };

    static void setDepth(FormulaNode& node) {
        int deepest = 0;
        for (const auto& arg : node.args)
            deepest = std::max(deepest, arg->depth);
        node.depth = deepest + 1;
        if (node.depth > kMaxDepth)
            Fail("formula nested too deeply");
    }

    static NodePtr make(Op op, NodePtr a, NodePtr b = nullptr) {
        auto node = std::make_unique<FormulaNode>();
        node->op = op;
        node->args.push_back(std::move(a));
        if (b)
            node->args.push_back(std::move(b));
        setDepth(*node);
        return node;
    }

    // "!", "&", "|": one level, left to right; "!" prefixes an operand of this level.
    NodePtr parseLogical() {
        Nesting nesting(*this);
        NodePtr left = parseNot();
        for (;;) {
            if (match(u"&"))
                left = make(Op::And, std::move(left), parseNot());
            else if (match(u"|"))
                left = make(Op::Or, std::move(left), parseNot());
            else
                return left;
        }
    }

    NodePtr parseNot() {
        skipSpace();
        if (m_pos < m_text.size() && m_text[m_pos] == u'!' &&
            !(m_pos + 1 < m_text.size() && m_text[m_pos + 1] == u'=')) {
            ++m_pos;
            Nesting nesting(*this);
            return make(Op::Not, parseNot());
        }
        return parseComparison();
    }

    NodePtr parseComparison() {
        NodePtr left = parseAdditive();
        for (;;) {
            Op op;
            if (match(u"!=") || match(u"<>") || match(u"><"))
                op = Op::NotEqual;
            else if (match(u"<="))
                op = Op::LessEqual;
            else if (match(u">="))
                op = Op::GreaterEqual;
            else if (match(u"="))
                op = Op::Equal;
            else if (match(u"<"))
                op = Op::Less;
            else if (match(u">"))
                op = Op::Greater;
            else
                return left;
            left = make(op, std::move(left), parseAdditive());
        }
    }

    NodePtr parseAdditive() {
        NodePtr left = parseMultiplicative();
        for (;;) {
            if (match(u"+"))
                left = make(Op::Add, std::move(left), parseMultiplicative());
            else if (match(u"-"))
                left = make(Op::Subtract, std::move(left), parseMultiplicative());
            else
                return left;
        }
    }

    NodePtr parseMultiplicative() {
        NodePtr left = parseUnary();
        for (;;) {
            if (match(u"*"))
                left = make(Op::Multiply, std::move(left), parseUnary());
            else if (match(u"/"))
                left = make(Op::Divide, std::move(left), parseUnary());
            else
                return left;
        }
    }

    NodePtr parseUnary() {
        Nesting nesting(*this);
        if (match(u"-"))
            return make(Op::Negate, parseUnary());
        if (match(u"+"))
            return parseUnary();
        return parseList();
    }

    // "a : b : c" is one list node of all its parts, however long (a folder's members, say).
    NodePtr parseList() {
        NodePtr first = parsePrimary();
        if (!match(u":"))
            return first;
        NodePtr list = make(Op::Concat, std::move(first));
        do
            list->args.push_back(parsePrimary());
        while (match(u":"));
        setDepth(*list);
        return list;
    }

    NodePtr parsePrimary() {
        skipSpace();
        if (m_pos >= m_text.size())
            Fail("formula ends where a value is expected");
        const char16_t c = m_text[m_pos];
        if (c == u'(') {
            ++m_pos;
            NodePtr inner = parseLogical();
            if (!match(u")"))
                Fail("missing )");
            return inner;
        }
        if (c == u'"' || c == u'{')
            return parseString();
        if ((c >= u'0' && c <= u'9') || c == u'.')
            return parseNumber();
        if (c == u'@')
            return parseFunction();
        if (IsNameChar(c)) {
            const size_t start = m_pos;
            while (m_pos < m_text.size() && IsNameChar(m_text[m_pos]))
                ++m_pos;
            auto node = std::make_unique<FormulaNode>();
            node->op = Op::Field;
            node->name = m_text.substr(start, m_pos - start);
            return node;
        }
        Fail("unexpected character in formula at position " + std::to_string(m_pos));
    }

    NodePtr parseString() {
        const char16_t close = m_text[m_pos] == u'"' ? u'"' : u'}';
        ++m_pos;
        std::u16string value;
        for (;;) {
            if (m_pos >= m_text.size())
                Fail("unterminated text literal");
            const char16_t c = m_text[m_pos++];
            if (c == close)
                break;
            if (c == u'\\' && close == u'"' && m_pos < m_text.size()) {
                value += m_text[m_pos++];
                continue;
            }
            value += c;
        }
        auto node = std::make_unique<FormulaNode>();
        node->literal.emplace_back(std::move(value));
        return node;
    }

    NodePtr parseNumber() {
        const size_t start = m_pos;
        while (m_pos < m_text.size() && ((m_text[m_pos] >= u'0' && m_text[m_pos] <= u'9') || m_text[m_pos] == u'.'))
            ++m_pos;
        bool ok = false;
        const double value =
            QString::fromUtf16(m_text.data() + start, static_cast<qsizetype>(m_pos - start)).toDouble(&ok);
        if (!ok)
            Fail("bad number in formula");
        auto node = std::make_unique<FormulaNode>();
        node->literal.emplace_back(value);
        return node;
    }

    NodePtr parseFunction() {
        const size_t start = m_pos++;
        while (m_pos < m_text.size() && IsNameChar(m_text[m_pos]))
            ++m_pos;
        auto node = std::make_unique<FormulaNode>();
        node->op = Op::Function;
        node->name = FoldCase(std::u16string_view(m_text).substr(start, m_pos - start));
        if (!IsKnownFunction(node->name))
            Fail("unknown function " + Utf16ToUtf8(node->name));
        if (match(u"(")) {
            if (!match(u")")) {
                do {
                    node->args.push_back(parseLogical());
                } while (match(u";"));
                if (!match(u")"))
                    Fail("missing ) after function arguments");
            }
        }
        setDepth(*node);
        return node;
    }

    const std::u16string& m_text;
    size_t m_pos = 0;
    int m_nesting = 0;
};

} // namespace

Formula::Formula(const std::u16string& text) : m_root(Parser(text).parseFormula()) {}
Formula::~Formula() = default;
Formula::Formula(Formula&&) noexcept = default;
Formula& Formula::operator=(Formula&&) noexcept = default;

ValueList Formula::evaluate(const NoteData& note, bool viewContext) const {
    return Evaluate(*m_root, note, viewContext);
}

bool Formula::selects(const NoteData& note) const {
    try {
        return IsTrue(evaluate(note, true));
    } catch (const FormulaError&) {
        return false;
    }
}

std::u16string ScalarToText(const Scalar& value) {
    if (auto text = std::get_if<std::u16string>(&value))
        return *text;
    if (auto number = std::get_if<double>(&value)) {
        if (std::isfinite(*number) && *number == std::trunc(*number) && std::fabs(*number) < 1e15)
            return Utf8ToUtf16(std::to_string(static_cast<long long>(*number)));
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, "%.15g", *number);
        return Utf8ToUtf16(buffer);
    }
    const CivilTime t = FromOleDate(std::get<OleDate>(value).value);
    char buffer[40];
    if (t.hour == 0 && t.minute == 0 && t.second == 0)
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", t.year, t.month, t.day);
    else
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                      t.second);
    return Utf8ToUtf16(buffer);
}

} // namespace store
