#include "store/Formula.h"

#include "store/RichText.h"

#include <QString>

#include <cmath>
#include <cstdio>
#include <functional>

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

namespace {

using NodePtr = std::unique_ptr<FormulaNode>;

[[noreturn]] void Fail(const std::string& message) {
    throw FormulaError(message);
}

// Whether name (folded) is a function the evaluator knows; defined with the function table.
bool IsKnownFunction(std::u16string_view name);

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

    NodePtr parseList() {
        NodePtr left = parsePrimary();
        while (match(u":"))
            left = make(Op::Concat, std::move(left), parsePrimary());
        return left;
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

ValueList Bool(bool b) {
    return {Scalar(b ? 1.0 : 0.0)};
}

bool IsTrue(const ValueList& v) {
    if (v.empty())
        return false;
    if (auto n = std::get_if<double>(&v.front()))
        return *n != 0;
    Fail("a condition must be a number");
}

int CompareScalars(const Scalar& a, const Scalar& b) {
    if (a.index() != b.index())
        Fail("comparison of values of different types");
    if (auto x = std::get_if<std::u16string>(&a)) {
        const auto fa = FoldCase(*x), fb = FoldCase(std::get<std::u16string>(b));
        return fa < fb ? -1 : (fa > fb ? 1 : 0);
    }
    const double x = std::holds_alternative<double>(a) ? std::get<double>(a) : std::get<OleDate>(a).value;
    const double y = std::holds_alternative<double>(b) ? std::get<double>(b) : std::get<OleDate>(b).value;
    return x < y ? -1 : (x > y ? 1 : 0);
}

// Pair-wise combination of two lists: the shorter list's last element repeats.
ValueList PairWise(const ValueList& a, const ValueList& b,
                   const std::function<Scalar(const Scalar&, const Scalar&)>& f) {
    ValueList out;
    if (a.empty() || b.empty())
        return out;
    const size_t n = std::max(a.size(), b.size());
    for (size_t i = 0; i < n; ++i)
        out.push_back(f(a[std::min(i, a.size() - 1)], b[std::min(i, b.size() - 1)]));
    return out;
}

double Number(const Scalar& s) {
    if (auto n = std::get_if<double>(&s))
        return *n;
    Fail("a number is required");
}

std::u16string Text(const Scalar& s) {
    if (auto t = std::get_if<std::u16string>(&s))
        return *t;
    Fail("text is required");
}

class Evaluator {
public:
    Evaluator(const NoteData& note, bool viewContext) : m_note(note), m_viewContext(viewContext) {}

    ValueList eval(const FormulaNode& n) const {
        switch (n.op) {
        case Op::Literal:
            return n.literal;
        case Op::Field:
            return field(n.name);
        case Op::Function:
            return function(n);
        case Op::Negate: {
            ValueList v = eval(*n.args[0]);
            for (auto& s : v)
                s = -Number(s);
            return v;
        }
        case Op::Not:
            return Bool(!IsTrue(eval(*n.args[0])));
        case Op::Concat: {
            ValueList a = eval(*n.args[0]);
            ValueList b = eval(*n.args[1]);
            a.insert(a.end(), b.begin(), b.end());
            return a;
        }
        case Op::Add:
            return PairWise(eval(*n.args[0]), eval(*n.args[1]), [](const Scalar& x, const Scalar& y) -> Scalar {
                if (std::holds_alternative<std::u16string>(x))
                    return Text(x) + Text(y);
                return Number(x) + Number(y);
            });
        case Op::Subtract:
            return Arithmetic(n, [](double x, double y) { return x - y; });
        case Op::Multiply:
            return Arithmetic(n, [](double x, double y) { return x * y; });
        case Op::Divide:
            return Arithmetic(n, [](double x, double y) {
                if (y == 0)
                    Fail("division by zero");
                return x / y;
            });
        case Op::Equal:
            return Compare(n, [](int c) { return c == 0; });
        case Op::NotEqual:
            return Compare(n, [](int c) { return c != 0; });
        case Op::Less:
            return Compare(n, [](int c) { return c < 0; });
        case Op::Greater:
            return Compare(n, [](int c) { return c > 0; });
        case Op::LessEqual:
            return Compare(n, [](int c) { return c <= 0; });
        case Op::GreaterEqual:
            return Compare(n, [](int c) { return c >= 0; });
        case Op::And:
            return Bool(IsTrue(eval(*n.args[0])) && IsTrue(eval(*n.args[1])));
        case Op::Or:
            return Bool(IsTrue(eval(*n.args[0])) || IsTrue(eval(*n.args[1])));
        }
        return {};
    }

private:
    ValueList Arithmetic(const FormulaNode& n, double (*f)(double, double)) const {
        return PairWise(eval(*n.args[0]), eval(*n.args[1]),
                        [f](const Scalar& x, const Scalar& y) -> Scalar { return f(Number(x), Number(y)); });
    }

    ValueList Compare(const FormulaNode& n, bool (*test)(int)) const {
        const ValueList a = eval(*n.args[0]);
        const ValueList b = eval(*n.args[1]);
        bool any = false;
        PairWise(a, b, [&](const Scalar& x, const Scalar& y) -> Scalar {
            if (test(CompareScalars(x, y)))
                any = true;
            return 0.0;
        });
        return Bool(any);
    }

    const ItemData* available(const std::u16string& name) const {
        const ItemData* item = m_note.findItem(name);
        if (item && m_viewContext && item->type == item_type::kRichText)
            return nullptr; // rich text is not a summary item
        return item;
    }

    ValueList field(const std::u16string& name) const {
        if (EqualsIgnoreCase(name, u"Form") && !m_note.findItem(u"Form"))
            return {Scalar(m_note.form)};
        const ItemData* item = available(name);
        if (!item)
            return {Scalar(std::u16string())};
        if (item->type == item_type::kRichText)
            return {Scalar(RichTextPlainText(item->richText))};
        if (item->values.empty())
            return {Scalar(std::u16string())};
        return item->values;
    }

    ValueList arg(const FormulaNode& n, size_t i) const {
        if (i >= n.args.size())
            Fail("too few arguments for " + Utf16ToUtf8(n.name));
        return eval(*n.args[i]);
    }

    ValueList function(const FormulaNode& n) const;

public:
    // The functions, each given its node (the name tells apart those that share a body); the
    // table after the class names them.
    ValueList constant(const FormulaNode& n) const { return Bool(n.name != u"@false"); }
    ValueList isAvailable(const FormulaNode& n) const {
        if (n.args.size() != 1 || n.args[0]->op != Op::Field)
            Fail(Utf16ToUtf8(n.name) + " needs an item name");
        const bool present = available(n.args[0]->name) != nullptr;
        return Bool(n.name == u"@isavailable" ? present : !present);
    }
    ValueList created(const FormulaNode&) const { return {Scalar(OleDate{m_note.created})}; }
    ValueList modified(const FormulaNode&) const { return {Scalar(OleDate{m_note.modified})}; }
    ValueList uniqueId(const FormulaNode&) const { return {Scalar(m_note.unid)}; }
    ValueList attachments(const FormulaNode&) const {
        return {Scalar(static_cast<double>(m_note.attachmentNames().size()))};
    }
    ValueList attachmentNames(const FormulaNode&) const {
        ValueList names;
        for (auto& name : m_note.attachmentNames())
            names.emplace_back(name);
        if (names.empty())
            names.emplace_back(std::u16string());
        return names;
    }
    ValueList text(const FormulaNode& n) const {
        ValueList v = arg(n, 0);
        for (auto& s : v)
            s = ScalarToText(s);
        return v;
    }
    ValueList ifThen(const FormulaNode& n) const {
        if (n.args.size() < 3 || n.args.size() % 2 == 0)
            Fail("@If needs an odd number of arguments, at least three");
        for (size_t i = 0; i + 1 < n.args.size(); i += 2)
            if (IsTrue(eval(*n.args[i])))
                return eval(*n.args[i + 1]);
        return eval(*n.args.back());
    }
    ValueList changeText(const FormulaNode& n) const {
        ValueList v = arg(n, 0);
        for (auto& s : v) {
            QString t = QString::fromStdU16String(Text(s));
            t = n.name == u"@uppercase" ? t.toUpper() : (n.name == u"@lowercase" ? t.toLower() : t.simplified());
            s = t.toStdU16String();
        }
        return v;
    }
    ValueList elements(const FormulaNode& n) const {
        ValueList v = arg(n, 0);
        if (v.size() == 1 && std::holds_alternative<std::u16string>(v[0]) && std::get<std::u16string>(v[0]).empty())
            return {Scalar(0.0)};
        return {Scalar(static_cast<double>(v.size()))};
    }
    ValueList contains(const FormulaNode& n) const {
        const ValueList hay = arg(n, 0);
        const ValueList needles = arg(n, 1);
        for (const auto& h : hay)
            for (const auto& nd : needles) {
                const auto ht = FoldCase(Text(h)), nt = FoldCase(Text(nd));
                if (n.name == u"@contains" ? ht.find(nt) != std::u16string::npos : ht.rfind(nt, 0) == 0)
                    return Bool(true);
            }
        return Bool(false);
    }

private:
    const NoteData& m_note;
    bool m_viewContext;
};

using Function = ValueList (Evaluator::*)(const FormulaNode&) const;

// Every function the formulas know, by its name in lower case.
const std::pair<std::u16string_view, Function> kFunctions[] = {
    {u"@all", &Evaluator::constant},
    {u"@true", &Evaluator::constant},
    {u"@false", &Evaluator::constant},
    {u"@isavailable", &Evaluator::isAvailable},
    {u"@isunavailable", &Evaluator::isAvailable},
    {u"@created", &Evaluator::created},
    {u"@modified", &Evaluator::modified},
    {u"@documentuniqueid", &Evaluator::uniqueId},
    {u"@attachments", &Evaluator::attachments},
    {u"@attachmentnames", &Evaluator::attachmentNames},
    {u"@text", &Evaluator::text},
    {u"@if", &Evaluator::ifThen},
    {u"@uppercase", &Evaluator::changeText},
    {u"@lowercase", &Evaluator::changeText},
    {u"@trim", &Evaluator::changeText},
    {u"@elements", &Evaluator::elements},
    {u"@contains", &Evaluator::contains},
    {u"@begins", &Evaluator::contains},
};

const Function* FindFunction(std::u16string_view name) {
    for (const auto& [known, function] : kFunctions)
        if (known == name)
            return &function;
    return nullptr;
}

bool IsKnownFunction(std::u16string_view name) {
    return FindFunction(name) != nullptr;
}

ValueList Evaluator::function(const FormulaNode& n) const {
    const Function* found = FindFunction(n.name);
    if (!found)
        Fail("unknown function " + Utf16ToUtf8(n.name));
    return (this->**found)(n);
}

} // namespace

Formula::Formula(const std::u16string& text) : m_root(Parser(text).parseFormula()) {}
Formula::~Formula() = default;
Formula::Formula(Formula&&) noexcept = default;
Formula& Formula::operator=(Formula&&) noexcept = default;

ValueList Formula::evaluate(const NoteData& note, bool viewContext) const {
    return Evaluator(note, viewContext).eval(*m_root);
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
