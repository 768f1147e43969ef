#include "store/FormulaTree.h"

#include "store/Names.h"
#include "store/RichText.h"

#include <QString>

#include <cmath>
#include <functional>

namespace store::formula {

namespace {

ValueList Bool(bool b) {
    return {Scalar(b ? 1.0 : 0.0)};
}

} // namespace

bool IsTrue(const ValueList& v) {
    if (v.empty())
        return false;
    if (auto n = std::get_if<double>(&v.front()))
        return *n != 0;
    Fail("a condition must be a number");
}

namespace {

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
            ValueList all;
            for (const auto& part : n.args) {
                ValueList values = eval(*part);
                all.insert(all.end(), values.begin(), values.end());
            }
            return all;
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

ValueList Evaluator::function(const FormulaNode& n) const {
    const Function* found = FindFunction(n.name);
    if (!found)
        Fail("unknown function " + Utf16ToUtf8(n.name));
    return (this->**found)(n);
}

} // namespace

bool IsKnownFunction(std::u16string_view name) {
    return FindFunction(name) != nullptr;
}

ValueList Evaluate(const FormulaNode& root, const NoteData& note, bool viewContext) {
    return Evaluator(note, viewContext).eval(root);
}

} // namespace store::formula
