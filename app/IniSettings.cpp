#include "app/IniSettings.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace orr {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";

void AppendUtf8(std::string& s, char32_t c)
{
    if (c < 0x80) {
        s += char(c);
    } else if (c < 0x800) {
        s += char(0xC0 | (c >> 6));
        s += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += char(0xE0 | (c >> 12));
        s += char(0x80 | ((c >> 6) & 0x3F));
        s += char(0x80 | (c & 0x3F));
    } else {
        s += char(0xF0 | (c >> 18));
        s += char(0x80 | ((c >> 12) & 0x3F));
        s += char(0x80 | ((c >> 6) & 0x3F));
        s += char(0x80 | (c & 0x3F));
    }
}

// The UTF-16 units of a UTF-8 text (a malformed byte: U+FFFD), as QString holds it.
std::u16string Utf16(std::string_view s)
{
    std::u16string out;
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const int nMore = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
        char32_t c = nMore == 0 ? b : nMore == 1 ? b & 0x1Fu : nMore == 2 ? b & 0x0Fu : b & 0x07u;
        bool bOk = nMore >= 0 && i + std::size_t(nMore) < s.size();
        for (int k = 1; bOk && k <= nMore; ++k) {
            const auto n = static_cast<unsigned char>(s[i + std::size_t(k)]);
            bOk = (n & 0xC0) == 0x80;
            c = c << 6 | (n & 0x3Fu);
        }
        if (!bOk) {
            out += u'\xFFFD';
            ++i;
            continue;
        }
        i += std::size_t(nMore) + 1;
        if (c >= 0x10000) {
            out += char16_t(0xD800 + ((c - 0x10000) >> 10));
            out += char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += char16_t(c);
        }
    }
    return out;
}

// UTF-16 units (from %U and \x escapes) as UTF-8.
std::string Utf8(const std::u16string& s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00);
        AppendUtf8(out, c);
    }
    return out;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

// Lower-case hex digits without leading zeros, as QByteArray::number(n, 16) gives them.
std::string HexLower(unsigned n)
{
    std::string s;
    do {
        s.insert(s.begin(), "0123456789abcdef"[n & 15]);
        n >>= 4;
    } while (n);
    return s;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trimmed(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x >= 'A' && x <= 'Z' ? x + 32 : x) == (y >= 'A' && y <= 'Z' ? y + 32 : y);
           });
}

// The next logical line of an INI text from nPos: leading blanks and
// comment lines (";" first) skipped, up to a line end or ";" outside
// double quotes; a backslash takes the next character along (a line end:
// the line goes on). nEquals: the first "=" outside quotes, or npos.
bool NextLine(std::string_view s, std::size_t& nPos, std::string_view& line, std::size_t& nEquals)
{
    std::size_t nStart = nPos;
    for (;;) {
        while (nStart < s.size() && IsBlank(s[nStart]))
            ++nStart;
        if (nStart < s.size() && s[nStart] == ';') {
            while (nStart < s.size() && s[nStart] != '\n' && s[nStart] != '\r')
                ++nStart;
            continue;
        }
        break;
    }
    nEquals = std::string_view::npos;
    bool bQuoted = false;
    std::size_t i = nStart;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '=' && !bQuoted && nEquals == std::string_view::npos) {
            nEquals = i - nStart;
        } else if ((c == '\n' || c == '\r' || c == ';') && !bQuoted) {
            break;
        } else if (c == '\\' && i + 1 < s.size()) {
            ++i;
            if (i + 1 < s.size() && ((s[i] == '\n' && s[i + 1] == '\r') || (s[i] == '\r' && s[i + 1] == '\n')))
                ++i;
        } else if (c == '"') {
            bQuoted = !bQuoted;
        }
    }
    line = s.substr(nStart, i - nStart);
    nPos = i;
    return !line.empty();
}

}  // namespace

IniSettings::IniSettings(std::string sFile) : msFile(std::move(sFile)), mContent(Read(msFile)) {}

IniSettings::~IniSettings() { Sync(); }

std::string IniSettings::EscapeKey(std::string_view sKey)
{
    std::string out;
    for (const char16_t c : Utf16(sKey)) {
        if (c == u'/') {
            out += '\\';
        } else if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' ||
                   c == u'-' || c == u'.') {
            out += char(c);
        } else if (c <= 0xFF) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += "%U";
            for (int nShift = 12; nShift >= 0; nShift -= 4)
                out += kHex[(c >> nShift) & 15];
        }
    }
    return out;
}

std::string IniSettings::UnescapeKey(std::string_view sKey)
{
    const std::u16string s = Utf16(sKey);
    std::u16string out;
    for (std::size_t i = 0; i < s.size();) {
        if (s[i] == u'\\') {
            out += u'/';
            ++i;
            continue;
        }
        if (s[i] != u'%' || i + 1 == s.size()) {
            out += s[i++];
            continue;
        }
        const std::size_t nFirst = i + (s[i + 1] == u'U' ? 2 : 1);
        const std::size_t nDigits = s[i + 1] == u'U' ? 4 : 2;
        unsigned nValue = 0;
        bool bOk = nFirst + nDigits <= s.size();
        for (std::size_t k = 0; bOk && k < nDigits; ++k) {
            const int h = s[nFirst + k] < 0x80 ? HexValue(char(s[nFirst + k])) : -1;
            bOk = h >= 0;
            nValue = nValue * 16 + unsigned(h);
        }
        if (!bOk) {
            out += u'%';
            ++i;
            continue;
        }
        out += char16_t(nValue);
        i = nFirst + nDigits;
    }
    return Utf8(out);
}

std::string IniSettings::EscapeValue(std::string_view sValue)
{
    std::string out = sValue.starts_with('@') ? "@" : "";
    bool bQuotes = false, bEscapeDigit = false;
    for (const char c : sValue) {
        const auto u = static_cast<unsigned char>(c);
        bQuotes = bQuotes || c == ';' || c == ',' || c == '=';
        if (bEscapeDigit && HexValue(c) >= 0) {
            out += "\\x" + HexLower(u);
            continue;
        }
        bEscapeDigit = false;
        switch (c) {
        case '\0': out += "\\0"; bEscapeDigit = true; break;
        case '\a': out += "\\a"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\v': out += "\\v"; break;
        case '"':
        case '\\': out += '\\'; out += c; break;
        default:
            if (u <= 0x1F) {
                out += "\\x" + HexLower(u);
                bEscapeDigit = true;
            } else {
                out += c;
            }
        }
    }
    if (bQuotes || (!out.empty() && (out.front() == ' ' || out.back() == ' ')))
        out = '"' + out + '"';
    return out;
}

std::string IniSettings::UnescapeValue(std::string_view s)
{
    std::u16string value;
    bool bList = false, bQuoted = false, bWasQuoted = false;
    std::size_t nChopLimit = 0;
    const auto chop = [&] {
        while (value.size() > nChopLimit && (value.back() == u' ' || value.back() == u'\t'))
            value.pop_back();
    };
    std::size_t i = 0;
    const auto skipBlanks = [&] {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
            ++i;
        nChopLimit = value.size();
    };
    skipBlanks();
    while (i < s.size()) {
        const char c = s[i];
        if (c == '\\') {
            if (++i >= s.size())
                break;
            const char e = s[i++];
            static constexpr std::string_view kFrom = "abfnrtv\"?'\\", kTo = "\a\b\f\n\r\t\v\"?'\\";
            if (const std::size_t k = kFrom.find(e); k != std::string_view::npos) {
                value += char16_t(kTo[k]);
                continue;
            }
            const bool bHex = e == 'x';
            if (bHex || (e >= '0' && e <= '7')) {
                unsigned nValue = bHex ? 0 : unsigned(e - '0');
                while (i < s.size() && (bHex ? HexValue(s[i]) >= 0 : s[i] >= '0' && s[i] <= '7'))
                    nValue = nValue * (bHex ? 16 : 8) + unsigned(HexValue(s[i++]));
                value += char16_t(nValue);
            } else if ((e == '\n' || e == '\r') && i < s.size() && (s[i] == '\n' || s[i] == '\r') && s[i] != e) {
                ++i;  // a line end in two characters
            }
            nChopLimit = value.size();
        } else if (c == '"') {
            ++i;
            bWasQuoted = true;
            bQuoted = !bQuoted;
            if (!bQuoted)
                skipBlanks();
        } else if (c == ',' && !bQuoted) {
            // Several values: a list, which is no text.
            bList = true;
            bWasQuoted = false;
            value.clear();
            ++i;
            skipBlanks();
        } else {
            std::size_t j = i + 1;
            while (j < s.size() && s[j] != '\\' && s[j] != '"' && s[j] != ',')
                ++j;
            value += Utf16(s.substr(i, j - i));
            i = j;
        }
    }
    if (!bWasQuoted)
        chop();
    return bList ? std::string() : Utf8(value);
}

bool IniSettings::NaturalLess(std::string_view a, std::string_view b)
{
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (digit(a[i]) && digit(b[j])) {
            const std::size_t si = i, sj = j;
            while (i < a.size() && digit(a[i]))
                ++i;
            while (j < b.size() && digit(b[j]))
                ++j;
            const std::string_view na = a.substr(si, i - si), nb = b.substr(sj, j - sj);
            if (na.size() != nb.size())
                return na.size() < nb.size();
            if (na != nb)
                return na < nb;
            continue;
        }
        if (a[i] != b[j])
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

IniSettings::Content IniSettings::Read(const std::string& sFile)
{
    std::ifstream in(sFile, std::ios::binary);
    const std::string s{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    Content content;
    std::string sSection;
    std::size_t nPos = 0, nEquals = 0;
    std::string_view line;
    while (NextLine(s, nPos, line, nEquals)) {
        if (line.front() == '[') {
            const std::size_t nClose = line.find(']');
            const std::string_view name =
                Trimmed(line.substr(1, nClose == std::string_view::npos ? std::string_view::npos : nClose - 1));
            sSection = EqualsNoCase(name, "general")    ? std::string()
                       : EqualsNoCase(name, "%general") ? std::string(name.substr(1))
                                                        : UnescapeKey(name);
            continue;
        }
        if (nEquals == std::string_view::npos)
            continue;
        Change change{sSection, UnescapeKey(Trimmed(line.substr(0, nEquals))), {}};
        change.sValue = UnescapeValue(line.substr(nEquals + 1));
        if (change.sValue == "@Invalid()")
            change.bDelete = true;  // a value QSettings reads as none
        else if (change.sValue.starts_with("@@"))
            change.sValue.erase(0, 1);
        else if (change.sValue.starts_with("@ByteArray(") && change.sValue.ends_with(')'))
            change.sValue = change.sValue.substr(11, change.sValue.size() - 12);
        Apply(content, change);
    }
    return content;
}

void IniSettings::Apply(Content& content, const Change& change)
{
    auto section = std::find_if(content.begin(), content.end(),
                                [&](const Section& x) { return x.sName == change.sSection; });
    if (section == content.end()) {
        if (change.bDelete)
            return;
        section = content.insert(content.end(), Section{change.sSection, {}});
    }
    auto& keys = section->keys;
    auto key = std::find_if(keys.begin(), keys.end(), [&](const auto& kv) { return kv.first == change.sKey; });
    if (change.bDelete) {
        if (key != keys.end())
            keys.erase(key);
    } else if (key == keys.end()) {
        keys.emplace_back(change.sKey, change.sValue);
    } else {
        key->second = change.sValue;
    }
}

std::string IniSettings::Text(const Content& content)
{
    std::string out;
    for (const Section& section : content) {
        if (section.keys.empty())
            continue;
        if (!out.empty())
            out += '\n';
        out += '[';
        out += section.sName.empty()           ? std::string("General")
               : EqualsNoCase(section.sName, "general") ? "%" + section.sName
                                                       : EscapeKey(section.sName);
        out += "]\n";
        for (const auto& [sKey, sValue] : section.keys)
            out += EscapeKey(sKey) + "=" + EscapeValue(sValue) + "\n";
    }
    return out;
}

const std::string* IniSettings::Find(const Content& content, const std::string& sSection, const std::string& sKey)
{
    for (const Section& section : content)
        if (section.sName == sSection)
            for (const auto& [key, value] : section.keys)
                if (key == sKey)
                    return &value;
    return nullptr;
}

std::string IniSettings::Get(const std::string&, const std::string& sSection, const std::string& sKey,
                             const std::string& sDefault) const
{
    const std::string* p = Find(mContent, sSection, sKey);
    return p ? *p : sDefault;
}

void IniSettings::Save(const std::string&, const std::string& sSection, const std::string& sKey,
                       const std::string& sValue)
{
    mChanges.push_back({sSection, sKey, sValue});
    Apply(mContent, mChanges.back());
}

void IniSettings::Delete(const std::string&, const std::string& sSection, const std::string& sKey)
{
    mChanges.push_back({sSection, sKey, {}, true});
    Apply(mContent, mChanges.back());
}

SettingsList IniSettings::ListSection(const std::string&, const std::string& sSection) const
{
    SettingsList list;
    for (const Section& section : mContent)
        if (section.sName == sSection)
            for (const auto& kv : section.keys)
                if (kv.first.find('/') == std::string::npos)  // "a/b" is key b of group a to QSettings
                    list.push_back(kv);
    std::sort(list.begin(), list.end(), [](const auto& a, const auto& b) { return NaturalLess(a.first, b.first); });
    return list;
}

bool IniSettings::Sync()
{
    if (mChanges.empty())
        return true;
    // Another program may have written since: its keys stay, ours win.
    mContent = Read(msFile);
    for (const Change& change : mChanges)
        Apply(mContent, change);
    mChanges.clear();
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path file(msFile);
    if (file.has_parent_path())
        fs::create_directories(file.parent_path(), ec);
    const fs::path temp = file.string() + ".tmp" + std::to_string(::getpid());
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << Text(mContent);
        if (!out.flush())
            return fs::remove(temp, ec), false;
    }
    fs::rename(temp, file, ec);
    if (ec)
        fs::remove(temp, ec);
    return !ec;
}

}  // namespace orr
