// Automation objects, their values and their errors: the small part of COM that the program's
// interfaces to outside servers (Domino Objects, the spreadsheet) are written in. Standard C++
// only, so that the Windows back ends can be built without Qt.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

// HRESULTs the program meets or raises itself.
namespace hresult {
constexpr int32_t kClassNotRegistered = static_cast<int32_t>(0x80040154); // REGDB_E_CLASSNOTREG
constexpr int32_t kInvalidClassString = static_cast<int32_t>(0x800401F3); // CO_E_CLASSSTRING
constexpr int32_t kNoInterface = static_cast<int32_t>(0x80004002);        // E_NOINTERFACE
constexpr int32_t kPointer = static_cast<int32_t>(0x80004003);            // E_POINTER
constexpr int32_t kFail = static_cast<int32_t>(0x80004005);               // E_FAIL
constexpr int32_t kTypeMismatch = static_cast<int32_t>(0x80020005);       // DISP_E_TYPEMISMATCH
constexpr int32_t kBadIndex = static_cast<int32_t>(0x8002000B);           // DISP_E_BADINDEX
} // namespace hresult

// The error a failing automation call raises: the server's description and its code.
class EOleException : public std::runtime_error {
public:
    EOleException(std::u16string message, int32_t code);

    const std::u16string& message() const noexcept { return m_message; }
    int32_t code() const noexcept { return m_code; }

private:
    std::u16string m_message;
    int32_t m_code;
};

// UTF-16 to UTF-8 and back; invalid sequences become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
// Appends one character (a code point) to UTF-8 text.
void AppendUtf8(std::string& out, char32_t c);
std::u16string Utf8ToUtf16(std::string_view text);
// Appends UTF-8 text to UTF-16 text, as Utf8ToUtf16 converts it.
void AppendUtf16(std::u16string& out, std::string_view text);

class IDispatchObject;

// A date-time as automation keeps it: days since 1899-12-30, the fraction being the time of day.
struct OleDate {
    double value = 0;
    friend bool operator==(OleDate, OleDate) = default;
};

// An automation value: empty, boolean, number, date-time, text, array of values, or an object.
class Variant {
public:
    using Array = std::vector<Variant>;
    using Object = std::shared_ptr<IDispatchObject>;
    enum class Kind { Empty, Boolean, Number, DateTime, Text, Array, Object };

    Variant() = default;
    Variant(bool value) : m_value(value) {}
    Variant(int value) : m_value(static_cast<double>(value)) {}
    Variant(double value) : m_value(value) {}
    Variant(OleDate value) : m_value(value) {}
    Variant(std::u16string value) : m_value(std::move(value)) {}
    Variant(const char16_t* value) : m_value(std::u16string(value)) {}
    Variant(Array value) : m_value(std::move(value)) {}
    Variant(Object value) : m_value(std::move(value)) {}

    Kind kind() const noexcept { return static_cast<Kind>(m_value.index()); }
    bool isEmpty() const noexcept { return kind() == Kind::Empty; }

    // Typed access; a value of another kind raises a type-mismatch EOleException.
    bool asBoolean() const;
    double asNumber() const;
    OleDate asDateTime() const;
    const std::u16string& asText() const;
    const Array& asArray() const;
    const Object& asObject() const;

    friend bool operator==(const Variant&, const Variant&) = default;

private:
    std::variant<std::monostate, bool, double, OleDate, std::u16string, Array, Object> m_value;
};

// Base of every automation object. Its default value is what a conversion of the object to
// text gives (a view gives its name, an item its name); objects without one raise an error.
class IDispatchObject {
public:
    virtual ~IDispatchObject() = default;
    virtual std::u16string DefaultValueText();
};
