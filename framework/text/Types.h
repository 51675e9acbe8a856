// Basic value types of the toolkit layer: strings, points, rectangles, sets,
// exceptions and the root classes (TObject, TPersistent). Free of any
// windowing dependency.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

// Text is UTF-16, as the controls and the log rules count characters in
// UTF-16 code units.
using String = std::u16string;

// UTF-8 <-> UTF-16. Malformed UTF-8 bytes become U+FFFD; lone surrogates are
// carried through in the generalised (WTF-8) form so that nothing is lost.
String Utf8ToString(std::string_view utf8);
std::string StringToUtf8(std::u16string_view text);
inline String S(std::string_view utf8) { return Utf8ToString(utf8); }

String IntToStr(long long value);
// Number * Numerator / Denominator in 64 bits, rounded to the nearest integer
// (halves away from zero); -1 when Denominator is 0.
int MulDiv(int Number, int Numerator, int Denominator);
// ASCII-only case folding, as identifier comparisons of the toolkit use.
String UpperCase(std::u16string_view s);
String LowerCase(std::u16string_view s);
int CompareText(std::u16string_view a, std::u16string_view b);
inline bool SameText(std::u16string_view a, std::u16string_view b) { return CompareText(a, b) == 0; }

struct TPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

inline TPoint Point(int x, int y) { return TPoint{x, y}; }

// Right and Bottom are exclusive.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool Contains(TPoint p) const { return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom; }
    TPoint TopLeft() const { return {Left, Top}; }
    TPoint BottomRight() const { return {Right, Bottom}; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

inline TRect Rect(int left, int top, int right, int bottom) { return TRect{left, top, right, bottom}; }
inline TRect Bounds(int left, int top, int width, int height) { return TRect{left, top, left + width, top + height}; }
inline TRect InflateRect(TRect r, int dx, int dy) { return TRect{r.Left - dx, r.Top - dy, r.Right + dx, r.Bottom + dy}; }
inline TRect OffsetRect(TRect r, int dx, int dy) { return TRect{r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy}; }
// The common part of two rectangles; empty (all zero) when they do not meet.
TRect IntersectRect(const TRect& a, const TRect& b);
// The smallest rectangle holding both; an empty rectangle adds nothing.
TRect UnionRect(const TRect& a, const TRect& b);

// A set over an enumeration with at most 32 members; bit n stands for the
// member of ordinal n, so Bits() is also the stored form of the set.
template <class E>
class Set {
public:
    constexpr Set() = default;
    constexpr Set(std::initializer_list<E> members) {
        for (E m : members) bits_ |= Bit(m);
    }
    static constexpr Set FromBits(std::uint32_t bits) {
        Set s;
        s.bits_ = bits;
        return s;
    }
    constexpr bool Contains(E m) const { return (bits_ & Bit(m)) != 0; }
    constexpr Set& Include(E m) { bits_ |= Bit(m); return *this; }
    constexpr Set& Exclude(E m) { bits_ &= ~Bit(m); return *this; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr std::uint32_t Bits() const { return bits_; }
    constexpr Set operator+(Set o) const { return FromBits(bits_ | o.bits_); }
    constexpr Set operator-(Set o) const { return FromBits(bits_ & ~o.bits_); }
    constexpr Set operator*(Set o) const { return FromBits(bits_ & o.bits_); }
    constexpr Set operator+(E m) const { return FromBits(bits_ | Bit(m)); }
    constexpr Set operator-(E m) const { return FromBits(bits_ & ~Bit(m)); }
    friend constexpr bool operator==(Set a, Set b) { return a.bits_ == b.bits_; }

private:
    static constexpr std::uint32_t Bit(E m) { return std::uint32_t{1} << static_cast<unsigned>(m); }
    std::uint32_t bits_ = 0;
};

// Errors carry the message that the user is shown.
class Exception : public std::exception {
public:
    explicit Exception(String message) : message_(std::move(message)), utf8_(StringToUtf8(message_)) {}
    const String& Message() const { return message_; }
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    String message_;
    std::string utf8_;
};

class EListError : public Exception { using Exception::Exception; };
class EInvalidOperation : public Exception { using Exception::Exception; };
class EConvertError : public Exception { using Exception::Exception; };
class EFOpenError : public Exception { using Exception::Exception; };
class EReadError : public Exception { using Exception::Exception; };
class EOutOfResources : public Exception { using Exception::Exception; };
// A value outside the range of a subrange type.
class ERangeError : public Exception { using Exception::Exception; };
// An object used as a class it does not belong to.
class EInvalidCast : public Exception {
public:
    EInvalidCast() : Exception(u"Invalid class typecast") {}
};

// The message the user is shown for an error: an Exception's own message,
// "Out of memory" when memory ran out, otherwise the error's text.
String ErrorMessage(const std::exception& error);

// Where errors go that escape an event handler or a clean-up step (the
// application object installs its default error handler here); without a
// handler, the message goes to the error stream.
using TExceptionHandler = std::function<void(const std::exception& error)>;
void SetExceptionHandler(TExceptionHandler handler);
// Never raises: should the handler itself fail (memory may be short while
// it shows the error), the message goes to the error stream.
void HandleEventException(const std::exception& error) noexcept;

// Hands on an error raised by a clean-up step (a destructor, the end of a
// guard): to HandleEventException, unless another error is already on its
// way out. That one then reaches the user, and the failure to clean up
// after it is its consequence.
void ReportCleanupError(std::exception_ptr error) noexcept;
// Runs a clean-up step where no error may escape.
template <class F>
void RunCleanup(F&& step) noexcept {
    try {
        step();
    } catch (...) {
        ReportCleanupError(std::current_exception());
    }
}

// Root of every toolkit class. ClassName is what stored layouts and
// class-name tests use.
class TObject {
public:
    virtual ~TObject() = default;
    virtual const char* ClassName() const { return "TObject"; }
};

#define LV_CLASS_NAME(Name) \
    const char* ClassName() const override { return #Name; }

class TFiler;

// An object whose state can be copied (Assign) and stored in a layout: its
// published properties, and what DefineProperties declares (see
// Streaming.h).
class TPersistent : public TObject {
public:
    LV_CLASS_NAME(TPersistent)
    // Copies Source into this object; raises when the classes do not fit.
    virtual void Assign(TPersistent* Source);
    // Declares stored properties that have no published property.
    virtual void DefineProperties(TFiler* Filer) {}

protected:
    virtual void AssignTo(TPersistent* Dest);
};

using TNotifyEvent = std::function<void(TObject* Sender)>;
