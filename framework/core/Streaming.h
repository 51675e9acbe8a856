// Stored layouts. Classes register their published properties (name, type,
// default, stored test, reader and writer); a reader creates components by
// class name from a layout and sets their properties through the writers, a
// writer stores them back, leaving out defaults. Layouts exist in a text form
// (embedded in the program) and in a binary form; both carry the same data.
#pragma once

#include <any>
#include <climits>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "Classes.h"

class TReader;
class TWriter;

// Value kinds of the binary form. A list is 0x01, its values, then 0x00;
// an identifier is 0x07, a length byte and its characters.
enum TValueType : std::uint8_t {
    vaNull = 0,
    vaList = 1,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaExtended = 5,
    vaString = 6,
    vaIdent = 7,
    vaFalse = 8,
    vaTrue = 9,
    vaBinary = 10,
    vaSet = 11,
    vaLString = 12,
    vaNil = 13,
    vaInt64 = 14,
};

// How deep objects and lists may nest in a layout, the root object counting
// as the first level. Every reader (text, binary, binary to text) refuses a
// deeper layout with its error instead of recursing until the stack runs
// out. Real layouts nest a handful of levels; the bound also keeps a hostile
// layout from building an absurdly deep tree of windows, whose cost grows
// faster than its depth.
inline constexpr int MaxLayoutNesting = 256;

// Declares stored properties that have no published property.
class TFiler {
public:
    virtual ~TFiler() = default;
    // ReadData is called when a layout holds the property; WriteData is
    // called when writing and HasData is true.
    virtual void DefineProperty(const String& Name, const std::function<void(TReader&)>& ReadData,
                                const std::function<void(TWriter&)>& WriteData, bool HasData) = 0;
    TComponent* Root() const { return root_; }

protected:
    TComponent* root_ = nullptr;
};

// What the root of a layout offers the reader: its event handlers by name
// and the fields that hold its components.
class ILayoutRoot {
public:
    virtual ~ILayoutRoot() = default;
    virtual TNotifyEvent MethodByName(const String& Name) const = 0;
    // A handler of an event with other parameters than Sender: the handler's
    // std::function type held in the std::any; empty when there is none.
    virtual std::any HandlerByName(const String& Name) const { return {}; }
    virtual void BindField(const String& Name, TComponent* Component) = 0;
};

class TReader : public TFiler {
public:
    explicit TReader(std::vector<std::uint8_t> data);

    // Creates the components of the layout, owned by Root, and reads every
    // property; then resolves references and calls Loaded on each component.
    void ReadRootComponent(TComponent* Root);
    // Reads the properties of one object (no children) from a layout whose
    // root describes it; used to load sub-layouts and tests.
    void ReadProperties(TPersistent* Instance);

    TValueType NextValue() const;
    TValueType ReadValue();
    void ReadListBegin();
    void ReadListEnd();
    bool EndOfList() const;
    String ReadIdent();
    String ReadString();
    // The bytes of a string value as stored: UTF-8 from our writers, but a
    // layout may hold other bytes, which ReadString decodes to U+FFFD.
    std::string ReadStringBytes();
    long long ReadInteger();
    bool ReadBoolean();
    double ReadFloat();
    std::vector<String> ReadSet();
    std::vector<std::uint8_t> ReadBinary();
    void SkipValue();

    // The parent the next child control is read into.
    TComponent* Owner() const { return root_; }

    void DefineProperty(const String& Name, const std::function<void(TReader&)>& ReadData,
                        const std::function<void(TWriter&)>& WriteData, bool HasData) override;

    // Component references are resolved after everything has been read.
    void AddFixup(std::function<void(TComponent*)> assign, const String& name);
    TNotifyEvent ResolveMethod(const String& name) const;
    // The root's handler of that name for an event of type E; empty when the
    // root has none of that type.
    template <class E>
    E ResolveHandler(const String& name) const {
        if constexpr (std::is_same_v<E, TNotifyEvent>) {
            return ResolveMethod(name);
        } else {
            const std::any handler = ResolveTypedHandler(name);
            const E* typed = std::any_cast<E>(&handler);
            return typed ? *typed : E();
        }
    }

    [[noreturn]] void Error(const String& message) const;

private:
    std::any ResolveTypedHandler(const String& name) const;
    std::uint8_t ReadByte();
    std::string ReadShortString();
    std::string ReadBytes(size_t n);
    void ReadSignature();
    TComponent* ReadComponent(TComponent* parent);
    void ReadObjectBody(TComponent* instance, TComponent* parentForChildren);
    void ReadProperty(TPersistent* instance);
    void ReadPropertyValue(TPersistent* instance, const String& path);

    std::vector<std::uint8_t> data_;
    size_t pos_ = 0;
    std::vector<TComponent*> loaded_;
    struct Fixup {
        std::function<void(TComponent*)> assign;
        String name;
    };
    std::vector<Fixup> fixups_;
    String currentProperty_;
    bool propertyHandled_ = false;
    String currentObjectName_;
    int depth_ = 0;  // objects and lists entered, for MaxLayoutNesting
};

class TWriter : public TFiler {
public:
    TWriter();
    const std::vector<std::uint8_t>& Data() const { return data_; }

    void WriteRootComponent(TComponent* Root);

    void WriteListBegin();
    void WriteListEnd();
    void WriteIdent(const String& ident);
    void WriteString(const String& s);
    void WriteInteger(long long v);
    void WriteBoolean(bool v);
    void WriteFloat(double v);
    void WriteSet(const std::vector<String>& members);
    void WriteBinary(const std::vector<std::uint8_t>& bytes);
    void WriteNil();

    void DefineProperty(const String& Name, const std::function<void(TReader&)>& ReadData,
                        const std::function<void(TWriter&)>& WriteData, bool HasData) override;

private:
    void WriteByte(std::uint8_t b);
    void WriteShortString(const std::string& s);
    void WriteComponent(TComponent* c);
    void WriteProperties(TPersistent* instance, const String& prefix);
    void WritePropertyName(const String& name);

    std::vector<std::uint8_t> data_;
    String prefix_;
};

// Text form <-> binary form.
std::vector<std::uint8_t> ObjectTextToBinary(std::string_view text);
// Binary data as the text form writes it between the braces of a binary
// value: two hexadecimal digits a byte. Layouts built into a program use it
// for the pictures the program embeds.
std::string BinaryToText(const std::uint8_t* Data, std::size_t Size);
std::string ObjectBinaryToText(const std::vector<std::uint8_t>& data);

// Reads a text layout into Root (creating its components).
void ReadComponentFromText(TComponent* Root, std::string_view text);
// The text layout of a component and everything it stores.
std::string WriteComponentToText(TComponent* Root);

// ---------------------------------------------------------------------------
// Published properties

struct TEnumType {
    String Name;
    std::vector<String> Values;  // by ordinal
    int Ordinal(std::u16string_view name) const;
};

enum class TPropKind { Integer, Boolean, Enumeration, Set, String, Color, Float, Persistent, Component, Event };

struct TPropInfo {
    String Name;
    TPropKind Kind = TPropKind::Integer;
    const TEnumType* Type = nullptr;
    std::function<void(TPersistent*, TReader&)> Read;
    std::function<void(TPersistent*, TWriter&)> Write;
    std::function<bool(TPersistent*)> IsDefault;  // equal to the default: not written
    std::function<bool(TPersistent*)> Stored;     // the stored test
    std::function<TPersistent*(TPersistent*)> Object;  // Persistent: the sub-object
    // Integer, Boolean, Enumeration and Color: the current value as a number
    // (a Boolean as 0 or 1, an enumeration as its ordinal).
    std::function<long long(TPersistent*)> GetOrd;
};

class TClassInfo {
public:
    String Name;
    const TClassInfo* Parent = nullptr;
    std::function<TComponent*(TComponent*)> Create;  // empty for abstract classes
    std::vector<TPropInfo> Props;

    // The most derived definition of a property, or nil.
    const TPropInfo* FindProp(std::u16string_view name) const;
    // Properties in declaration order, base classes first; a redeclared
    // property keeps its first place with the most derived definition.
    std::vector<const TPropInfo*> AllProps() const;
    bool InheritsFrom(std::u16string_view name) const;
};

// Registers a class; the parent must be registered first (or be empty). A
// class is registered once: a second registration of its name raises
// instead of replacing the first.
TClassInfo& RegisterClassInfo(const String& name, const String& parentName);
// Runs a unit's registration of its classes the first time the unit is asked
// for them, however many windows and tests ask. Register is the unit's own
// routine (or a lambda without captures, which is one routine however often
// its line runs); a failing registration is not tried again.
void RegisterClassesOnce(void (*Register)());
const TClassInfo* FindClassInfo(std::u16string_view name);
const TClassInfo* ClassInfoOf(const TPersistent* instance);
// The published property of that name of an instance's class, or nil.
const TPropInfo* GetPropInfo(const TPersistent* instance, std::u16string_view name);

std::uint32_t ReadColorValue(TReader& r);
void WriteColorValue(TWriter& w, std::uint32_t color);
// Names of event handlers read from layouts, kept so that writing can store
// them back.
void RememberHandlerName(TPersistent* instance, const String& property, const String& method);
String HandlerName(TPersistent* instance, const String& property);
void ForgetHandlerNames(TPersistent* instance) noexcept;

// Typed registration of published properties.
template <class T>
class TClassBuilder {
public:
    TClassBuilder(const char16_t* name, const char16_t* parentName) : info_(RegisterClassInfo(name, parentName)) {
        if constexpr (std::is_constructible_v<T, TComponent*> && !std::is_abstract_v<T>)
            info_.Create = [](TComponent* owner) -> TComponent* { return new T(owner); };
    }

    template <class G, class S>
    TClassBuilder& Integer(const char16_t* name, G get, S set, std::optional<long long> def = std::nullopt,
                           std::function<bool(T&)> stored = {}) {
        TPropInfo p = Base(name, TPropKind::Integer, stored);
        p.Read = [set](TPersistent* o, TReader& r) {
            const long long value = r.ReadInteger();
            if (value < INT_MIN || value > INT_MAX) r.Error(u"Invalid property value " + IntToStr(value));
            std::invoke(set, Self(o), static_cast<int>(value));
        };
        p.Write = [get](TPersistent* o, TWriter& w) { w.WriteInteger(std::invoke(get, Self(o))); };
        p.GetOrd = [get](TPersistent* o) { return static_cast<long long>(std::invoke(get, Self(o))); };
        if (def) p.IsDefault = [get, d = *def](TPersistent* o) { return static_cast<long long>(std::invoke(get, Self(o))) == d; };
        return Add(std::move(p));
    }

    template <class G, class S>
    TClassBuilder& Boolean(const char16_t* name, G get, S set, std::optional<bool> def = std::nullopt,
                           std::function<bool(T&)> stored = {}) {
        TPropInfo p = Base(name, TPropKind::Boolean, stored);
        p.Read = [set](TPersistent* o, TReader& r) { std::invoke(set, Self(o), r.ReadBoolean()); };
        p.Write = [get](TPersistent* o, TWriter& w) { w.WriteBoolean(std::invoke(get, Self(o))); };
        p.GetOrd = [get](TPersistent* o) { return static_cast<bool>(std::invoke(get, Self(o))) ? 1LL : 0LL; };
        if (def) p.IsDefault = [get, d = *def](TPersistent* o) { return static_cast<bool>(std::invoke(get, Self(o))) == d; };
        return Add(std::move(p));
    }

    template <class E, class G, class S>
    TClassBuilder& Enumeration(const char16_t* name, const TEnumType& type, G get, S set,
                               std::optional<E> def = std::nullopt, std::function<bool(T&)> stored = {}) {
        TPropInfo p = Base(name, TPropKind::Enumeration, stored);
        p.Type = &type;
        p.Read = [set, &type](TPersistent* o, TReader& r) {
            const String ident = r.ReadIdent();
            const int ord = type.Ordinal(ident);
            if (ord < 0) r.Error(u"Invalid property value " + ident);
            std::invoke(set, Self(o), static_cast<E>(ord));
        };
        p.Write = [get, &type](TPersistent* o, TWriter& w) {
            w.WriteIdent(type.Values.at(static_cast<size_t>(std::invoke(get, Self(o)))));
        };
        p.GetOrd = [get](TPersistent* o) { return static_cast<long long>(std::invoke(get, Self(o))); };
        if (def) p.IsDefault = [get, d = *def](TPersistent* o) { return static_cast<E>(std::invoke(get, Self(o))) == d; };
        return Add(std::move(p));
    }

    template <class E, class G, class S>
    TClassBuilder& SetOf(const char16_t* name, const TEnumType& type, G get, S set,
                         std::optional<Set<E>> def = std::nullopt, std::function<bool(T&)> stored = {}) {
        TPropInfo p = Base(name, TPropKind::Set, stored);
        p.Type = &type;
        p.Read = [set, &type](TPersistent* o, TReader& r) {
            Set<E> s;
            for (const String& m : r.ReadSet()) {
                const int ord = type.Ordinal(m);
                if (ord < 0) r.Error(u"Invalid property value " + m);
                s.Include(static_cast<E>(ord));
            }
            std::invoke(set, Self(o), s);
        };
        p.Write = [get, &type](TPersistent* o, TWriter& w) {
            const Set<E> s = std::invoke(get, Self(o));
            std::vector<String> members;
            for (size_t i = 0; i < type.Values.size(); ++i)
                if (s.Contains(static_cast<E>(i))) members.push_back(type.Values[i]);
            w.WriteSet(members);
        };
        if (def) p.IsDefault = [get, d = *def](TPersistent* o) { return std::invoke(get, Self(o)) == d; };
        return Add(std::move(p));
    }

    template <class G, class S>
    TClassBuilder& Str(const char16_t* name, G get, S set, std::optional<String> def = std::nullopt,
                       std::function<bool(T&)> stored = {}) {
        TPropInfo p = Base(name, TPropKind::String, stored);
        p.Read = [set](TPersistent* o, TReader& r) { std::invoke(set, Self(o), r.ReadString()); };
        p.Write = [get](TPersistent* o, TWriter& w) { w.WriteString(std::invoke(get, Self(o))); };
        if (def) p.IsDefault = [get, d = *def](TPersistent* o) { return String(std::invoke(get, Self(o))) == d; };
        return Add(std::move(p));
    }

    template <class G, class S>
    TClassBuilder& Color(const char16_t* name, G get, S set, std::optional<std::uint32_t> def = std::nullopt,
                         std::function<bool(T&)> stored = {}) {
        TPropInfo p = Base(name, TPropKind::Color, stored);
        p.Read = [set](TPersistent* o, TReader& r) { std::invoke(set, Self(o), ReadColorValue(r)); };
        p.Write = [get](TPersistent* o, TWriter& w) { WriteColorValue(w, std::invoke(get, Self(o))); };
        p.GetOrd = [get](TPersistent* o) { return static_cast<long long>(std::invoke(get, Self(o))); };
        if (def) p.IsDefault = [get, d = *def](TPersistent* o) { return static_cast<std::uint32_t>(std::invoke(get, Self(o))) == d; };
        return Add(std::move(p));
    }

    // A sub-object whose own properties are stored as "Name.Property".
    template <class G>
    TClassBuilder& Persistent(const char16_t* name, G get, std::function<bool(T&)> stored = {}) {
        TPropInfo p = Base(name, TPropKind::Persistent, stored);
        p.Object = [get](TPersistent* o) -> TPersistent* { return &std::invoke(get, Self(o)); };
        return Add(std::move(p));
    }

    // A reference to a component of the layout, stored by name.
    template <class C, class G, class S>
    TClassBuilder& Reference(const char16_t* name, G get, S set, std::function<bool(T&)> stored = {}) {
        TPropInfo p = Base(name, TPropKind::Component, stored);
        p.Read = [set](TPersistent* o, TReader& r) {
            if (r.NextValue() == vaNil) {
                r.ReadValue();
                std::invoke(set, Self(o), static_cast<C*>(nullptr));
                return;
            }
            const String ref = r.ReadIdent();
            r.AddFixup([o, set, ref, &r](TComponent* c) {
                auto* typed = dynamic_cast<C*>(c);
                if (!typed) r.Error(u"Invalid property value " + ref);
                std::invoke(set, Self(o), typed);
            }, ref);
        };
        p.Write = [get](TPersistent* o, TWriter& w) {
            C* c = std::invoke(get, Self(o));
            if (c) w.WriteIdent(c->Name());
            else w.WriteNil();
        };
        p.IsDefault = [get](TPersistent* o) { return std::invoke(get, Self(o)) == nullptr; };
        return Add(std::move(p));
    }

    // An event, stored by the name of the root's handler; E is the event's
    // std::function type (TNotifyEvent or one with more parameters), C the
    // class that declares it.
    template <class E, class C>
    TClassBuilder& Event(const char16_t* name, E C::*member) {
        static_assert(std::is_base_of_v<C, T>, "the event must be a member of the class or of a base");
        TPropInfo p = Base(name, TPropKind::Event, {});
        const String propName = name;
        p.Read = [member, propName](TPersistent* o, TReader& r) {
            const String method = r.ReadIdent();
            E handler = r.template ResolveHandler<E>(method);
            if (!handler) r.Error(u"Invalid property value " + method);
            Self(o).*member = handler;
            RememberHandlerName(o, propName, method);
        };
        p.Write = [propName](TPersistent* o, TWriter& w) { w.WriteIdent(HandlerName(o, propName)); };
        p.IsDefault = [propName](TPersistent* o) { return HandlerName(o, propName).empty(); };
        return Add(std::move(p));
    }

    // Any property whose reading and writing the caller spells out.
    TClassBuilder& Custom(TPropInfo p) { return Add(std::move(p)); }

    static T& Self(TPersistent* o) { return *static_cast<T*>(o); }

private:
    TPropInfo Base(const char16_t* name, TPropKind kind, std::function<bool(T&)> stored) {
        TPropInfo p;
        p.Name = name;
        p.Kind = kind;
        if (stored) p.Stored = [stored](TPersistent* o) { return stored(Self(o)); };
        return p;
    }
    TClassBuilder& Add(TPropInfo p) {
        info_.Props.push_back(std::move(p));
        return *this;
    }

    TClassInfo& info_;
};
