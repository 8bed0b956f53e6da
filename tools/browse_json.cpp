#include "browse_print.h"

#include "names.h"
#include "names_utf8.h"

#include <cstdio>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

// Names are 8-bit text: in the ANSI code page on Windows, as stored
// (UTF-8 as a rule) elsewhere. JSON is UTF-8: Windows text is converted
// through UTF-16; elsewhere a byte that does not begin a well-formed UTF-8
// character becomes U+FFFD, so the output is always valid, and whole is
// cleared: the name is then also given as its bytes (NameField).
std::string Utf8(const std::string& text, bool* whole = nullptr) {
    if (whole)
        *whole = true;
#if defined(_WIN32)
    if (text.empty())
        return text;
    const int wide =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &w[0], wide);
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, &out[0], n, nullptr, nullptr);
    return out;
#else
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const Utf8Char c = DecodeUtf8(text.data() + i, text.size() - i);
        if (c.code >= kNotUtf8 || c.length > text.size() - i) {
            out += "\xEF\xBF\xBD";
            if (whole)
                *whole = false;
            i += 1;
        } else {
            out.append(text, i, c.length);
            i += c.length;
        }
    }
    return out;
#endif
}

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (unsigned char ch : Utf8(text)) {
        char esc[8];
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += static_cast<char>(ch);
        } else if (ch < 0x20 || ch == 0x7f) {
            std::snprintf(esc, sizeof esc, "\\u%04x", ch);
            out += esc;
        } else {
            out += static_cast<char>(ch);
        }
    }
    return out + "\"";
}

// "name", and for a name that is not UTF-8 also "name_bytes": its bytes in
// hexadecimal, so that a script can show the real name or hand it back as
// a pattern.
std::string NameField(const std::string& name) {
    bool whole = true;
    Utf8(name, &whole);
    std::string out = "\"name\": " + Quoted(name);
    if (!whole) {
        out += ", \"name_bytes\": \"";
        for (unsigned char ch : name) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%02x", ch);
            out += hex;
        }
        out += '"';
    }
    return out;
}

// One object per level of the tree; indent is the depth of its line.
std::string Object(const Computer& c, const std::string& indent);
std::string Object(const Device& d, const std::string& indent);
std::string Object(const Area& a, const std::string& indent);
std::string Object(const TypeItems& t, const std::string& indent);
std::string Object(const Item& i, const std::string& indent);

// Each element on a line of its own, one level deeper than the line that
// opens the array; the array closes at that line's depth. An empty one
// stays "[]".
template <class Element>
std::string Array(const std::vector<Element>& elements, const std::string& indent) {
    const std::string inner = indent + "  ";
    std::string out = "[";
    for (size_t i = 0; i < elements.size(); ++i)
        out += (i == 0 ? "\n" : ",\n") + inner + Object(elements[i], inner);
    return out + (elements.empty() ? "]" : "\n" + indent + "]");
}

std::string Object(const Computer& c, const std::string& indent) {
    return "{" + NameField(c.name) + ", \"devices\": " + Array(c.devices, indent) + "}";
}

std::string Object(const Device& d, const std::string& indent) {
    return "{" + NameField(d.name) + ", \"areaCount\": " + std::to_string(d.areaCount) +
           ", \"areas\": " + Array(d.areas, indent) + "}";
}

std::string Object(const Area& a, const std::string& indent) {
    return "{" + NameField(a.name) + ", \"types\": " + Array(a.types, indent) + "}";
}

std::string Object(const TypeItems& t, const std::string& indent) {
    return "{\"code\": " + std::to_string(t.code) + ", " + NameField(t.name) +
           ", \"items\": " + Array(t.items, indent) + "}";
}

std::string Object(const Item& i, const std::string&) {
    return "{" + NameField(i.name) + ", \"size\": " + std::to_string(i.size) +
           ", \"time\": " + std::to_string(i.modTime) +
           ", \"local\": " + Quoted(LocalTime(i.modTime)) + "}";
}

} // namespace

bool PrintJson(const std::vector<Computer>& computers, int flags) {
    const std::string json = "{\n  \"flags\": " + std::to_string(flags) +
                             ",\n  \"computers\": " + Array(computers, "  ") + "\n}\n";
    return WriteOut(json, kUtf8Text);
}
