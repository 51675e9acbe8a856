// The text rules written the plain way, one character at a time, as the
// oracle for the fast decoder and line splitter: byte-order marks, UTF-8
// when valid and Windows-1252 otherwise, UTF-16 in either byte order, and
// CR, LF and CR LF each ending a line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace reference {

enum class Mark { None, Utf8, Utf16LE, Utf16BE };

inline Mark MarkOf(std::string_view bytes, std::size_t& length) {
    const struct {
        std::string_view bytes;
        Mark mark;
    } marks[] = {{"\xEF\xBB\xBF", Mark::Utf8}, {"\xFF\xFE", Mark::Utf16LE}, {"\xFE\xFF", Mark::Utf16BE}};
    for (const auto& m : marks) {
        if (bytes.substr(0, m.bytes.size()) == m.bytes) {
            length = m.bytes.size();
            return m.mark;
        }
    }
    length = 0;
    return Mark::None;
}

// The UTF-8 sequence at bytes[at] by its definition: the lead byte gives the
// length, every further byte is 10xxxxxx, and the code point is neither
// overlong nor above U+10FFFF (nor a surrogate, unless allowed). Returns
// its length, or 0 when it is malformed.
inline std::size_t Utf8At(std::string_view bytes, std::size_t at, bool allowSurrogates, char32_t& cp) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    std::size_t length;
    char32_t smallest;
    if (lead < 0x80) {
        cp = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, cp = lead & 0x1F, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, cp = lead & 0x0F, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, cp = lead & 0x07, smallest = 0x10000;
    } else {
        return 0;
    }
    if (bytes.size() - at < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(bytes[at + i]);
        if ((next & 0xC0) != 0x80) return 0;
        cp = cp << 6 | (next & 0x3F);
    }
    if (cp < smallest || cp > 0x10FFFF) return 0;
    if (!allowSurrogates && cp >= 0xD800 && cp <= 0xDFFF) return 0;
    return length;
}

inline bool IsUtf8(std::string_view bytes, bool allowSurrogates) {
    char32_t cp;
    for (std::size_t at = 0, n; at < bytes.size(); at += n)
        if ((n = Utf8At(bytes, at, allowSurrogates, cp)) == 0) return false;
    return true;
}

// Malformed bytes become U+FFFD one by one; surrogates stand as themselves.
inline std::u32string FromUtf8(std::string_view bytes) {
    std::u32string text;
    for (std::size_t at = 0; at < bytes.size();) {
        char32_t cp;
        const std::size_t n = Utf8At(bytes, at, true, cp);
        text += n ? cp : U'\uFFFD';
        at += n ? n : 1;
    }
    return text;
}

inline char32_t FromWindows1252(unsigned char byte) {
    switch (byte) {
        case 0x80: return 0x20AC;  // euro sign
        case 0x82: return 0x201A;
        case 0x83: return 0x0192;
        case 0x84: return 0x201E;
        case 0x85: return 0x2026;
        case 0x86: return 0x2020;
        case 0x87: return 0x2021;
        case 0x88: return 0x02C6;
        case 0x89: return 0x2030;
        case 0x8A: return 0x0160;
        case 0x8B: return 0x2039;
        case 0x8C: return 0x0152;
        case 0x8E: return 0x017D;
        case 0x91: return 0x2018;
        case 0x92: return 0x2019;
        case 0x93: return 0x201C;
        case 0x94: return 0x201D;
        case 0x95: return 0x2022;
        case 0x96: return 0x2013;
        case 0x97: return 0x2014;
        case 0x98: return 0x02DC;
        case 0x99: return 0x2122;
        case 0x9A: return 0x0161;
        case 0x9B: return 0x203A;
        case 0x9C: return 0x0153;
        case 0x9E: return 0x017E;
        case 0x9F: return 0x0178;
        default: return byte;  // Latin-1, and the five undefined bytes as their C1 controls
    }
}

inline std::u32string FromWindows1252(std::string_view bytes) {
    std::u32string text;
    for (char byte : bytes) text += FromWindows1252(static_cast<unsigned char>(byte));
    return text;
}

// A high surrogate followed by a low one is a pair; any other unit stands
// as itself; an odd last byte is U+FFFD.
inline std::u32string FromUtf16(std::string_view bytes, bool littleEndian) {
    std::vector<char32_t> units;
    for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
        const auto first = static_cast<unsigned char>(bytes[at]);
        const auto second = static_cast<unsigned char>(bytes[at + 1]);
        units.push_back(littleEndian ? second << 8 | first : first << 8 | second);
    }
    std::u32string text;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const bool high = units[i] >= 0xD800 && units[i] <= 0xDBFF;
        if (high && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            text += 0x10000 + ((units[i] - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else {
            text += units[i];
        }
    }
    if (bytes.size() % 2) text += U'\uFFFD';
    return text;
}

// What a loader makes of a file's bytes.
inline std::u32string DecodeFile(std::string_view bytes) {
    std::size_t markLength;
    const Mark mark = MarkOf(bytes, markLength);
    const std::string_view text = bytes.substr(markLength);
    switch (mark) {
        case Mark::Utf8: return FromUtf8(text);
        case Mark::Utf16LE: return FromUtf16(text, true);
        case Mark::Utf16BE: return FromUtf16(text, false);
        case Mark::None: break;
    }
    return IsUtf8(text, false) ? FromUtf8(text) : FromWindows1252(text);
}

// Generalised UTF-8: a surrogate code point is written like any other.
inline std::string ToUtf8(std::u32string_view text) {
    std::string bytes;
    for (char32_t cp : text) {
        if (cp < 0x80) {
            bytes += static_cast<char>(cp);
        } else if (cp < 0x800) {
            bytes += static_cast<char>(0xC0 | cp >> 6);
            bytes += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            bytes += static_cast<char>(0xE0 | cp >> 12);
            bytes += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            bytes += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            bytes += static_cast<char>(0xF0 | cp >> 18);
            bytes += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
            bytes += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            bytes += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return bytes;
}

// A code point above U+FFFF is a surrogate pair; any other is one unit.
inline std::u16string ToUtf16(std::u32string_view text) {
    std::u16string units;
    for (char32_t cp : text) {
        if (cp < 0x10000) {
            units += static_cast<char16_t>(cp);
        } else {
            units += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            units += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        }
    }
    return units;
}

// One line: its content is [start, end), its break (if any) follows.
struct Line {
    std::size_t start, end;
};

// CR LF, a lone CR and a lone LF each end a line and are not part of it; a
// break at the very end starts no further line; NUL is an ordinary character.
template <class Text>
std::vector<Line> SplitLines(const Text& text, std::size_t begin) {
    std::vector<Line> lines;
    std::size_t start = begin;
    for (std::size_t at = begin; at < text.size(); ++at) {
        if (text[at] != '\r' && text[at] != '\n') continue;
        lines.push_back({start, at});
        if (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n') ++at;
        start = at + 1;
    }
    if (start < text.size()) lines.push_back({start, text.size()});
    return lines;
}

}  // namespace reference
