#include "Types.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>

String Utf8ToString(std::string_view utf8) {
    String out;
    out.reserve(utf8.size());
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* end = p + utf8.size();
    while (p < end) {
        unsigned char c = *p;
        if (c < 0x80) {
            out.push_back(c);
            ++p;
            continue;
        }
        int extra = 0;
        char32_t cp = 0;
        char32_t min = 0;
        if ((c & 0xE0) == 0xC0) { extra = 1; cp = c & 0x1F; min = 0x80; }
        else if ((c & 0xF0) == 0xE0) { extra = 2; cp = c & 0x0F; min = 0x800; }
        else if ((c & 0xF8) == 0xF0) { extra = 3; cp = c & 0x07; min = 0x10000; }
        else { out.push_back(0xFFFD); ++p; continue; }
        if (end - p <= extra) { out.push_back(0xFFFD); ++p; continue; }
        bool ok = true;
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80) { ok = false; break; }
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        if (!ok || cp < min || cp > 0x10FFFF) { out.push_back(0xFFFD); ++p; continue; }
        p += extra + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));  // lone surrogates arrive here unchanged
        }
    }
    return out;
}

std::string StringToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

String IntToStr(long long value) {
    std::string digits = std::to_string(value);
    return String(digits.begin(), digits.end());
}

String UpperCase(std::u16string_view s) {
    String out(s);
    for (auto& c : out)
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    return out;
}

String LowerCase(std::u16string_view s) {
    String out(s);
    for (auto& c : out)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
    return out;
}

int CompareText(std::u16string_view a, std::u16string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= u'a' && x <= u'z') x = static_cast<char16_t>(x - 32);
        if (y >= u'a' && y <= u'z') y = static_cast<char16_t>(y - 32);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

TRect IntersectRect(const TRect& a, const TRect& b) {
    TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
    if (r.IsEmpty()) return TRect{};
    return r;
}

TRect UnionRect(const TRect& a, const TRect& b) {
    if (a.IsEmpty()) return b;
    if (b.IsEmpty()) return a;
    return TRect{std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right), std::max(a.Bottom, b.Bottom)};
}

int MulDiv(int Number, int Numerator, int Denominator) {
    if (Denominator == 0) return -1;
    const long long p = static_cast<long long>(Number) * Numerator;
    const long long d = Denominator;
    const bool negative = (p < 0) != (d < 0);
    const long long q = (std::llabs(p) + std::llabs(d) / 2) / std::llabs(d);
    return static_cast<int>(negative ? -q : q);
}

// ---------------------------------------------------------------------------
// Errors that escape

namespace {

TExceptionHandler gExceptionHandler;

// Writes an error to the error stream without allocating: memory may be
// what ran out.
void WriteToErrorStream(const std::exception& error) noexcept {
    const char* text = dynamic_cast<const std::bad_alloc*>(&error) ? "Out of memory" : error.what();
    std::fprintf(stderr, "%s\n", text);
}

}  // namespace

String ErrorMessage(const std::exception& error) {
    if (const auto* e = dynamic_cast<const Exception*>(&error)) return e->Message();
    if (dynamic_cast<const std::bad_alloc*>(&error)) return u"Out of memory";
    return Utf8ToString(error.what());
}

void SetExceptionHandler(TExceptionHandler handler) { gExceptionHandler = std::move(handler); }

void HandleEventException(const std::exception& error) noexcept {
    if (!gExceptionHandler) {
        WriteToErrorStream(error);
        return;
    }
    try {
        gExceptionHandler(error);
    } catch (...) {
        WriteToErrorStream(error);
    }
}

void ReportCleanupError(std::exception_ptr error) noexcept {
    if (std::uncaught_exceptions() > 0) return;
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        HandleEventException(e);
    } catch (...) {
        std::fputs("An error of unknown kind arose while cleaning up\n", stderr);
    }
}

// ---------------------------------------------------------------------------
// TPersistent

void TPersistent::Assign(TPersistent* Source) {
    if (Source) {
        Source->AssignTo(this);
        return;
    }
    AssignTo(nullptr);
}

void TPersistent::AssignTo(TPersistent* Dest) {
    throw EConvertError(u"Cannot assign a " + S(ClassName()) + u" to a " + (Dest ? S(Dest->ClassName()) : u"nil"));
}
