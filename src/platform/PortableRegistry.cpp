#include "platform/PortableRegistry.h"

#include "platform/WholeFile.h"

#include "interfaces/ComObject.h"
#include "interfaces/FileSystem.h"

#include <fstream>
#include <sstream>
#include <vector>

namespace {

char16_t FoldAscii(char16_t c) {
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

bool EqualNoCase(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    }
    return true;
}

using Values = std::map<std::u16string, RegistryValue>;

Values::iterator FindValue(Values& values, const std::u16string& name) {
    for (auto it = values.begin(); it != values.end(); ++it) {
        if (EqualNoCase(it->first, name))
            return it;
    }
    return values.end();
}

constexpr char kRootPrefix[] = "HKEY_LOCAL_MACHINE\\";

// A quoted string: "\" and quotes escaped, line breaks as \n and \r, so that a value never
// breaks its line.
std::string Quote(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        if (c == '\r') {
            out += "\\r";
            continue;
        }
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

// Parses a quoted string starting at pos; returns the text and moves pos past the closing quote.
bool Unquote(const std::string& line, size_t& pos, std::string& out) {
    if (pos >= line.size() || line[pos] != '"')
        return false;
    out.clear();
    for (++pos; pos < line.size(); ++pos) {
        if (line[pos] == '\\' && pos + 1 < line.size()) {
            const char escaped = line[++pos];
            out += escaped == 'n' ? '\n' : escaped == 'r' ? '\r' : escaped;
        } else if (line[pos] == '"') {
            ++pos;
            return true;
        } else {
            out += line[pos];
        }
    }
    return false;
}

class MemoryKey : public IRegistryKey {
public:
    MemoryKey(RegistryData& data, std::u16string key) : m_data(data), m_key(std::move(key)) {}

    std::optional<std::u16string> ReadString(const std::u16string& name) override {
        auto& values = m_data.keys[m_key];
        auto it = FindValue(values, name);
        if (it == values.end() || it->second.raw)
            return std::nullopt;
        return it->second.text;
    }
    void WriteString(const std::u16string& name, const std::u16string& value) override {
        auto& values = m_data.keys[m_key];
        auto it = FindValue(values, name);
        if (it != values.end())
            it->second = {value, false};
        else
            values[name] = {value, false};
    }

private:
    RegistryData& m_data;
    std::u16string m_key;
};

bool FileIsUsable(const std::filesystem::path& file) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const auto status = fs::status(file, ec);
    if (ec || !fs::is_regular_file(status))
        return false;
    const auto perms = status.permissions();
    const auto none = fs::perms::none;
    if ((perms & (fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read)) == none)
        return false;
    if ((perms & (fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write)) == none)
        return false;
    std::fstream probe(file, std::ios::in | std::ios::out | std::ios::binary);
    return probe.is_open();
}

std::optional<RegistryData> LoadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return RegistryData::Parse(text.str());
}

void SaveFile(const std::filesystem::path& file, const RegistryData& data) {
    const std::string text = data.Serialize();
    try {
        WriteWholeFile(QString::fromStdU16String(file.u16string()), QByteArray::fromStdString(text),
                       QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                           QFileDevice::ReadOther);
    } catch (const WholeFileError& error) {
        throw RegistryError("cannot write " + PathText(file) + ": " + error.what());
    }
}

class FileKey : public IRegistryKey {
public:
    FileKey(std::filesystem::path file, RegistryData data, std::u16string key)
        : m_file(std::move(file)), m_data(std::move(data)), m_key(std::move(key)) {}

    std::optional<std::u16string> ReadString(const std::u16string& name) override {
        return MemoryKey(m_data, m_key).ReadString(name);
    }
    void WriteString(const std::u16string& name, const std::u16string& value) override {
        // Another writer may have changed the file since the key was opened: apply the change
        // to the file as it is now.
        auto current = LoadFile(m_file);
        if (!current)
            throw RegistryError("cannot read " + PathText(m_file));
        const auto key = current->AddKey(m_key);
        MemoryKey(*current, key).WriteString(name, value);
        SaveFile(m_file, *current);
        m_data = std::move(*current);
    }

private:
    std::filesystem::path m_file;
    RegistryData m_data;
    std::u16string m_key;
};

} // namespace

std::optional<std::u16string> RegistryData::FindKey(const std::u16string& path) const {
    const auto wanted = NormalRegistryKey(path);
    for (const auto& [name, values] : keys) {
        if (EqualNoCase(name, wanted))
            return name;
    }
    return std::nullopt;
}

std::u16string RegistryData::AddKey(const std::u16string& path) {
    const auto wanted = NormalRegistryKey(path);
    std::u16string result;
    size_t pos = 0;
    while (true) {
        auto next = wanted.find(u'\\', pos);
        if (next == std::u16string::npos)
            next = wanted.size();
        const auto component = wanted.substr(pos, next - pos);
        const auto candidate = result.empty() ? component : result + u"\\" + component;
        if (auto existing = FindKey(candidate)) {
            result = *existing;
        } else {
            result = candidate;
            keys[result];
        }
        if (next == wanted.size())
            return result;
        pos = next + 1;
    }
}

RegistryData RegistryData::Parse(const std::string& utf8Text) {
    std::vector<std::string> lines;
    {
        std::istringstream in(utf8Text);
        for (std::string line; std::getline(in, line);) {
            while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
                line.pop_back();
            lines.push_back(std::move(line));
        }
    }
    // A line that can only start something of its own: never the continuation of hex data.
    const auto startsEntry = [](const std::string& line) {
        return line.empty() || line[0] == '[' || line[0] == '"' || line[0] == '@' || line[0] == ';';
    };
    RegistryData data;
    std::optional<std::u16string> current;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string line = lines[i];
        // Hex values run over several lines ending in "\". A continuation mark with no data after
        // it (the end of the file, a blank line, the next entry) ends the value there.
        while (!line.empty() && line.back() == '\\' && line.find("=hex") != std::string::npos) {
            line.pop_back();
            if (i + 1 < lines.size() && !startsEntry(lines[i + 1]))
                line += lines[++i];
            // What the mark leaves at the end is trimmed as every line is.
            while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
                line.pop_back();
        }
        if (line.empty() || line[0] == ';')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            std::string name = line.substr(1, line.size() - 2);
            current.reset();
            if (name.rfind(kRootPrefix, 0) == 0)
                current = data.AddKey(Utf8ToUtf16(name.substr(sizeof(kRootPrefix) - 1)));
            continue;
        }
        if (!current)
            continue;
        std::string name;
        size_t pos = 0;
        if (line[0] == '@') {
            pos = 1;
        } else if (!Unquote(line, pos, name)) {
            continue;
        }
        if (pos >= line.size() || line[pos] != '=')
            continue;
        ++pos;
        std::string value;
        size_t after = pos;
        RegistryValue stored;
        if (Unquote(line, after, value))
            stored = {Utf8ToUtf16(value), false};
        else
            stored = {Utf8ToUtf16(line.substr(pos)), true};
        data.keys[*current][Utf8ToUtf16(name)] = std::move(stored);
    }
    return data;
}

std::string RegistryData::Serialize() const {
    std::string out = "REGEDIT4\n";
    for (const auto& [key, values] : keys) {
        out += "\n[" + std::string(kRootPrefix) + Utf16ToUtf8(key) + "]\n";
        for (const auto& [name, value] : values) {
            out += name.empty() ? std::string("@") : Quote(Utf16ToUtf8(name));
            out += "=";
            out += value.raw ? Utf16ToUtf8(value.text) : Quote(Utf16ToUtf8(value.text));
            out += "\n";
        }
    }
    return out;
}

std::unique_ptr<IRegistryKey> MemoryRegistry::OpenKey(const std::u16string& path) {
    const auto key = data.FindKey(path);
    if (!key)
        return nullptr;
    for (const auto& [denied, on] : deniedKeys) {
        if (on && EqualNoCase(NormalRegistryKey(denied), *key))
            return nullptr;
    }
    return std::make_unique<MemoryKey>(data, *key);
}

std::unique_ptr<IRegistryKey> MemoryRegistry::CreateKey(const std::u16string& path) {
    return std::make_unique<MemoryKey>(data, data.AddKey(path));
}

std::unique_ptr<IRegistryKey> FileRegistry::OpenKey(const std::u16string& path) {
    if (!FileIsUsable(m_file))
        return nullptr;
    auto data = LoadFile(m_file);
    if (!data)
        return nullptr;
    const auto key = data->FindKey(path);
    if (!key)
        return nullptr;
    return std::make_unique<FileKey>(m_file, std::move(*data), *key);
}

std::unique_ptr<IRegistryKey> FileRegistry::CreateKey(const std::u16string& path) {
    std::error_code ec;
    RegistryData data;
    if (std::filesystem::exists(m_file, ec)) {
        if (!FileIsUsable(m_file))
            throw RegistryError("the registry file " + PathText(m_file) + " cannot be written");
        auto loaded = LoadFile(m_file);
        if (!loaded)
            throw RegistryError("cannot read " + PathText(m_file));
        data = std::move(*loaded);
    }
    const auto key = data.AddKey(path);
    SaveFile(m_file, data);
    return std::make_unique<FileKey>(m_file, std::move(data), key);
}
