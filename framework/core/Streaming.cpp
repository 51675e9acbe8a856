#include "Streaming.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <unordered_map>

#include "GraphicsTypes.h"

namespace {

// Appends raw bytes; written out by hand because the compiler's overflow
// checks misread vector::insert of byte ranges here.
void AppendBytes(std::vector<std::uint8_t>& out, const void* data, size_t n) {
    if (n == 0) return;
    const size_t at = out.size();
    out.resize(at + n);
    std::memcpy(out.data() + at, data, n);
}

const char kSignature[4] = {'L', 'V', 'F', '1'};
// Starts every object; an end marker (0) in its place ends a list of objects.
constexpr std::uint8_t kObjectMarker = 0xF0;

std::string Utf8(const String& s) { return StringToUtf8(s); }

// One more level of nesting for as long as it lives. Readers recurse once per
// level, so each refuses a level beyond MaxLayoutNesting before going on.
class TNestingLevel {
public:
    explicit TNestingLevel(int& depth) : depth_(depth) { ++depth_; }
    ~TNestingLevel() { --depth_; }
    TNestingLevel(const TNestingLevel&) = delete;
    TNestingLevel& operator=(const TNestingLevel&) = delete;
    bool TooDeep() const { return depth_ > MaxLayoutNesting; }

private:
    int& depth_;
};

// Completes "Nesting" in the readers' errors for a layout nested too deep.
const std::string kTooDeep = " deeper than " + std::to_string(MaxLayoutNesting) + " levels";

}  // namespace

// ---------------------------------------------------------------------------
// Class registry

namespace {

std::map<String, std::unique_ptr<TClassInfo>, std::less<>>& Registry() {
    static std::map<String, std::unique_ptr<TClassInfo>, std::less<>> registry;
    return registry;
}

}  // namespace

int TEnumType::Ordinal(std::u16string_view name) const {
    for (size_t i = 0; i < Values.size(); ++i)
        if (SameText(Values[i], name)) return static_cast<int>(i);
    return -1;
}

const TPropInfo* TClassInfo::FindProp(std::u16string_view name) const {
    for (const TClassInfo* c = this; c; c = c->Parent)
        for (const auto& p : c->Props)
            if (SameText(p.Name, name)) return &p;
    return nullptr;
}

std::vector<const TPropInfo*> TClassInfo::AllProps() const {
    std::vector<const TClassInfo*> chain;
    for (const TClassInfo* c = this; c; c = c->Parent) chain.insert(chain.begin(), c);
    std::vector<const TPropInfo*> out;
    for (const TClassInfo* c : chain) {
        for (const auto& p : c->Props) {
            bool seen = false;
            for (const TPropInfo* q : out)
                if (SameText(q->Name, p.Name)) seen = true;
            if (!seen) out.push_back(FindProp(p.Name));
        }
    }
    return out;
}

bool TClassInfo::InheritsFrom(std::u16string_view name) const {
    for (const TClassInfo* c = this; c; c = c->Parent)
        if (SameText(c->Name, name)) return true;
    return false;
}

TClassInfo& RegisterClassInfo(const String& name, const String& parentName) {
    if (FindClassInfo(name)) throw EComponentError(u"Class " + name + u" is registered already");
    auto& reg = Registry();
    auto& slot = reg[name];
    slot = std::make_unique<TClassInfo>();
    slot->Name = name;
    if (!parentName.empty()) {
        auto it = reg.find(parentName);
        if (it == reg.end()) throw EComponentError(u"Class " + parentName + u" is not registered");
        slot->Parent = it->second.get();
    }
    return *slot;
}

void RegisterClassesOnce(void (*Register)()) {
    static std::set<void (*)()> done;
    if (done.insert(Register).second) Register();
}

const TClassInfo* FindClassInfo(std::u16string_view name) {
    auto& reg = Registry();
    auto it = reg.find(name);
    if (it != reg.end()) return it->second.get();
    for (auto& [key, info] : reg)
        if (SameText(key, name)) return info.get();
    return nullptr;
}

const TClassInfo* ClassInfoOf(const TPersistent* instance) {
    return instance ? FindClassInfo(S(instance->ClassName())) : nullptr;
}

const TPropInfo* GetPropInfo(const TPersistent* instance, std::u16string_view name) {
    const TClassInfo* info = ClassInfoOf(instance);
    return info ? info->FindProp(name) : nullptr;
}

// ---------------------------------------------------------------------------
// Event handler names

namespace {

std::unordered_map<const TPersistent*, std::vector<std::pair<String, String>>>& HandlerNames() {
    static std::unordered_map<const TPersistent*, std::vector<std::pair<String, String>>> names;
    return names;
}

}  // namespace

void RememberHandlerName(TPersistent* instance, const String& property, const String& method) {
    auto& list = HandlerNames()[instance];
    for (auto& entry : list)
        if (SameText(entry.first, property)) {
            entry.second = method;
            return;
        }
    list.emplace_back(property, method);
}

String HandlerName(TPersistent* instance, const String& property) {
    auto it = HandlerNames().find(instance);
    if (it == HandlerNames().end()) return String();
    for (auto& entry : it->second)
        if (SameText(entry.first, property)) return entry.second;
    return String();
}

void ForgetHandlerNames(TPersistent* instance) noexcept { HandlerNames().erase(instance); }

std::uint32_t ReadColorValue(TReader& r) {
    if (r.NextValue() == vaIdent) {
        const String ident = r.ReadIdent();
        TColor c;
        if (!IdentToColor(ident, c)) r.Error(u"Invalid property value " + ident);
        return c;
    }
    // Written as a signed 32-bit number; read back unsigned as well.
    const long long value = r.ReadInteger();
    if (value < INT32_MIN || value > UINT32_MAX) r.Error(u"Invalid property value " + IntToStr(value));
    return static_cast<std::uint32_t>(value);
}

void WriteColorValue(TWriter& w, std::uint32_t color) {
    String ident;
    if (ColorToIdent(color, ident)) w.WriteIdent(ident);
    else w.WriteInteger(static_cast<std::int32_t>(color));
}

// ---------------------------------------------------------------------------
// TReader

TReader::TReader(std::vector<std::uint8_t> data) : data_(std::move(data)) {}

void TReader::Error(const String& message) const {
    String where = currentObjectName_;
    if (!currentProperty_.empty()) where += (where.empty() ? u"" : u".") + currentProperty_;
    throw EReadError(where.empty() ? message : u"Error reading " + where + u": " + message);
}

std::uint8_t TReader::ReadByte() {
    if (pos_ >= data_.size()) Error(u"Stream read error");
    return data_[pos_++];
}

std::string TReader::ReadBytes(size_t n) {
    if (data_.size() - pos_ < n) Error(u"Stream read error");
    std::string s(reinterpret_cast<const char*>(data_.data() + pos_), n);
    pos_ += n;
    return s;
}

std::string TReader::ReadShortString() { return ReadBytes(ReadByte()); }

void TReader::ReadSignature() {
    if (ReadBytes(4) != std::string(kSignature, 4)) Error(u"Invalid stream format");
}

TValueType TReader::NextValue() const {
    if (pos_ >= data_.size()) return vaNull;
    return static_cast<TValueType>(data_[pos_]);
}

TValueType TReader::ReadValue() { return static_cast<TValueType>(ReadByte()); }

void TReader::ReadListBegin() {
    if (ReadValue() != vaList) Error(u"Invalid property value");
}

void TReader::ReadListEnd() {
    if (ReadValue() != vaNull) Error(u"Invalid property value");
}

bool TReader::EndOfList() const { return NextValue() == vaNull; }

String TReader::ReadIdent() {
    switch (ReadValue()) {
        case vaIdent: return S(ReadShortString());
        case vaFalse: return u"False";
        case vaTrue: return u"True";
        case vaNil: return u"nil";
        case vaNull: return u"Null";
        default: Error(u"Invalid property value");
    }
}

String TReader::ReadString() { return S(ReadStringBytes()); }

std::string TReader::ReadStringBytes() {
    switch (ReadValue()) {
        case vaString: return ReadShortString();
        case vaLString: {
            std::uint32_t n = 0;
            for (int i = 0; i < 4; ++i) n |= static_cast<std::uint32_t>(ReadByte()) << (8 * i);
            return ReadBytes(n);
        }
        default: Error(u"Invalid property value");
    }
}

long long TReader::ReadInteger() {
    auto readLE = [this](int bytes) {
        unsigned long long v = 0;
        for (int i = 0; i < bytes; ++i) v |= static_cast<unsigned long long>(ReadByte()) << (8 * i);
        return v;
    };
    switch (ReadValue()) {
        case vaInt8: return static_cast<std::int8_t>(readLE(1));
        case vaInt16: return static_cast<std::int16_t>(readLE(2));
        case vaInt32: return static_cast<std::int32_t>(readLE(4));
        case vaInt64: return static_cast<long long>(readLE(8));
        default: Error(u"Invalid property value");
    }
}

bool TReader::ReadBoolean() {
    switch (ReadValue()) {
        case vaTrue: return true;
        case vaFalse: return false;
        default: Error(u"Invalid property value");
    }
}

double TReader::ReadFloat() {
    if (NextValue() != vaExtended) return static_cast<double>(ReadInteger());
    ReadValue();
    double d;
    const std::string bytes = ReadBytes(sizeof d);
    std::memcpy(&d, bytes.data(), sizeof d);
    // Neither form has a way to write an infinity or a NaN.
    if (!std::isfinite(d)) Error(u"Invalid floating point value");
    return d;
}

std::vector<String> TReader::ReadSet() {
    if (ReadValue() != vaSet) Error(u"Invalid property value");
    std::vector<String> members;
    for (;;) {
        std::string m = ReadShortString();
        if (m.empty()) break;
        members.push_back(S(m));
    }
    return members;
}

std::vector<std::uint8_t> TReader::ReadBinary() {
    if (ReadValue() != vaBinary) Error(u"Invalid property value");
    std::uint32_t n = 0;
    for (int i = 0; i < 4; ++i) n |= static_cast<std::uint32_t>(ReadByte()) << (8 * i);
    const std::string bytes = ReadBytes(n);
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

void TReader::SkipValue() {
    switch (NextValue()) {
        case vaList: {
            const TNestingLevel level(depth_);
            if (level.TooDeep()) Error(S("Nesting" + kTooDeep));
            ReadValue();
            while (!EndOfList()) SkipValue();
            ReadValue();
            return;
        }
        case vaInt8: case vaInt16: case vaInt32: case vaInt64: ReadInteger(); return;
        case vaExtended: ReadFloat(); return;
        case vaString: case vaLString: ReadString(); return;
        case vaIdent: case vaFalse: case vaTrue: case vaNil: case vaNull: ReadIdent(); return;
        case vaSet: ReadSet(); return;
        case vaBinary: ReadBinary(); return;
    }
    Error(u"Invalid property value");
}

void TReader::DefineProperty(const String& Name, const std::function<void(TReader&)>& ReadData,
                             const std::function<void(TWriter&)>&, bool) {
    if (propertyHandled_ || !SameText(Name, currentProperty_)) return;
    propertyHandled_ = true;
    if (ReadData) ReadData(*this);
    else SkipValue();
}

void TReader::AddFixup(std::function<void(TComponent*)> assign, const String& name) {
    fixups_.push_back({std::move(assign), name});
}

TNotifyEvent TReader::ResolveMethod(const String& name) const {
    if (auto* bindings = dynamic_cast<ILayoutRoot*>(root_)) return bindings->MethodByName(name);
    return {};
}

std::any TReader::ResolveTypedHandler(const String& name) const {
    if (auto* bindings = dynamic_cast<ILayoutRoot*>(root_)) return bindings->HandlerByName(name);
    return {};
}

void TReader::ReadPropertyValue(TPersistent* instance, const String& path) {
    const auto dot = path.find(u'.');
    if (dot != String::npos) {
        const TClassInfo* info = ClassInfoOf(instance);
        const TPropInfo* prop = info ? info->FindProp(path.substr(0, dot)) : nullptr;
        if (!prop || prop->Kind != TPropKind::Persistent) Error(u"Property " + path.substr(0, dot) + u" does not exist");
        ReadPropertyValue(prop->Object(instance), path.substr(dot + 1));
        return;
    }
    // Properties declared by DefineProperties come first (older names too).
    propertyHandled_ = false;
    const String saved = currentProperty_;
    currentProperty_ = path;
    instance->DefineProperties(this);
    currentProperty_ = saved;
    if (propertyHandled_) return;
    const TClassInfo* info = ClassInfoOf(instance);
    const TPropInfo* prop = info ? info->FindProp(path) : nullptr;
    if (!prop || !prop->Read) Error(u"Property " + path + u" does not exist");
    prop->Read(instance, *this);
}

void TReader::ReadProperty(TPersistent* instance) {
    const String name = S(ReadShortString());
    currentProperty_ = name;
    ReadPropertyValue(instance, name);
    currentProperty_.clear();
}

void TReader::ReadProperties(TPersistent* Instance) {
    ReadSignature();
    ReadByte();            // object marker
    ReadShortString();     // class name
    ReadShortString();     // object name
    while (NextValue() != vaNull) ReadProperty(Instance);
}

void TReader::ReadObjectBody(TComponent* instance, TComponent* parentForChildren) {
    instance->SetStateFlag(csReading, true);
    while (NextValue() != vaNull) ReadProperty(instance);
    ReadValue();
    parentForChildren->ReadChildren([&] {
        while (NextValue() != vaNull) ReadComponent(parentForChildren);
        ReadValue();
    });
    instance->SetStateFlag(csReading, false);
}

TComponent* TReader::ReadComponent(TComponent* parent) {
    if (ReadByte() != kObjectMarker) Error(u"Invalid stream format");
    const String className = S(ReadShortString());
    const String name = S(ReadShortString());
    const String savedObject = currentObjectName_;
    currentObjectName_ = name;
    const TNestingLevel level(depth_);
    if (level.TooDeep()) Error(S("Nesting" + kTooDeep));
    const TClassInfo* info = FindClassInfo(className);
    if (!info || !info->Create) Error(u"Class " + className + u" not found");
    TComponent* instance = info->Create(root_);
    loaded_.push_back(instance);
    instance->SetStateFlag(csLoading, true);
    instance->SetName(name);
    if (auto* bindings = dynamic_cast<ILayoutRoot*>(root_)) bindings->BindField(name, instance);
    instance->SetStateFlag(csReading, true);
    instance->SetParentComponent(parent);
    ReadObjectBody(instance, instance->HoldsChildren() ? instance : parent);
    currentObjectName_ = savedObject;
    return instance;
}

void TReader::ReadRootComponent(TComponent* Root) {
    root_ = Root;
    ReadSignature();
    if (ReadByte() != kObjectMarker) Error(u"Invalid stream format");
    ReadShortString();  // class name of the root: the root exists already
    const String name = S(ReadShortString());
    currentObjectName_ = name;
    const TNestingLevel level(depth_);
    Root->SetStateFlag(csLoading, true);
    if (!name.empty() && Root->Name().empty()) Root->SetName(name);
    loaded_.push_back(Root);
    ReadObjectBody(Root, Root);
    for (auto& f : fixups_) {
        TComponent* target = Root->FindComponent(f.name);
        if (!target && SameText(f.name, Root->Name())) target = Root;
        if (target) f.assign(target);
    }
    fixups_.clear();
    for (TComponent* c : loaded_) c->Loaded();
    loaded_.clear();
}

// ---------------------------------------------------------------------------
// TWriter

TWriter::TWriter() = default;

void TWriter::WriteByte(std::uint8_t b) { data_.push_back(b); }

void TWriter::WriteShortString(const std::string& s) {
    const size_t n = std::min<size_t>(s.size(), 255);
    WriteByte(static_cast<std::uint8_t>(n));
    AppendBytes(data_, s.data(), n);
}

void TWriter::WriteListBegin() { WriteByte(vaList); }
void TWriter::WriteListEnd() { WriteByte(vaNull); }

void TWriter::WriteIdent(const String& ident) {
    if (SameText(ident, u"False")) WriteByte(vaFalse);
    else if (SameText(ident, u"True")) WriteByte(vaTrue);
    else if (SameText(ident, u"nil")) WriteByte(vaNil);
    else {
        WriteByte(vaIdent);
        WriteShortString(Utf8(ident));
    }
}

void TWriter::WriteString(const String& s) {
    const std::string u = Utf8(s);
    if (u.size() <= 255) {
        WriteByte(vaString);
        WriteShortString(u);
        return;
    }
    WriteByte(vaLString);
    const auto n = static_cast<std::uint32_t>(u.size());
    for (int i = 0; i < 4; ++i) WriteByte(static_cast<std::uint8_t>(n >> (8 * i)));
    AppendBytes(data_, u.data(), u.size());
}

void TWriter::WriteInteger(long long v) {
    auto le = [this](unsigned long long x, int bytes) {
        for (int i = 0; i < bytes; ++i) WriteByte(static_cast<std::uint8_t>(x >> (8 * i)));
    };
    if (v >= -128 && v <= 127) { WriteByte(vaInt8); le(static_cast<unsigned long long>(v), 1); }
    else if (v >= -32768 && v <= 32767) { WriteByte(vaInt16); le(static_cast<unsigned long long>(v), 2); }
    else if (v >= INT32_MIN && v <= INT32_MAX) { WriteByte(vaInt32); le(static_cast<unsigned long long>(v), 4); }
    else { WriteByte(vaInt64); le(static_cast<unsigned long long>(v), 8); }
}

void TWriter::WriteBoolean(bool v) { WriteByte(v ? vaTrue : vaFalse); }

void TWriter::WriteFloat(double v) {
    WriteByte(vaExtended);
    std::uint8_t bytes[sizeof v];
    std::memcpy(bytes, &v, sizeof v);
    AppendBytes(data_, bytes, sizeof v);
}

void TWriter::WriteSet(const std::vector<String>& members) {
    WriteByte(vaSet);
    for (const auto& m : members) WriteShortString(Utf8(m));
    WriteByte(0);
}

void TWriter::WriteBinary(const std::vector<std::uint8_t>& bytes) {
    WriteByte(vaBinary);
    const auto n = static_cast<std::uint32_t>(bytes.size());
    for (int i = 0; i < 4; ++i) WriteByte(static_cast<std::uint8_t>(n >> (8 * i)));
    AppendBytes(data_, bytes.data(), bytes.size());
}

void TWriter::WriteNil() { WriteByte(vaNil); }

void TWriter::WritePropertyName(const String& name) { WriteShortString(Utf8(prefix_ + name)); }

void TWriter::DefineProperty(const String& Name, const std::function<void(TReader&)>&,
                             const std::function<void(TWriter&)>& WriteData, bool HasData) {
    if (!HasData || !WriteData) return;
    WritePropertyName(Name);
    WriteData(*this);
}

void TWriter::WriteProperties(TPersistent* instance, const String& prefix) {
    const TClassInfo* info = ClassInfoOf(instance);
    const String savedPrefix = prefix_;
    prefix_ = prefix;
    if (info) {
        for (const TPropInfo* p : info->AllProps()) {
            if (p->Stored && !p->Stored(instance)) continue;
            if (p->Kind == TPropKind::Persistent) {
                WriteProperties(p->Object(instance), prefix + p->Name + u".");
                prefix_ = prefix;
                continue;
            }
            if (!p->Write || (p->IsDefault && p->IsDefault(instance))) continue;
            WritePropertyName(p->Name);
            p->Write(instance, *this);
        }
    }
    instance->DefineProperties(this);
    prefix_ = savedPrefix;
}

void TWriter::WriteComponent(TComponent* c) {
    WriteByte(kObjectMarker);
    WriteShortString(c->ClassName());
    WriteShortString(Utf8(c->Name()));
    WriteProperties(c, String());
    WriteByte(vaNull);
    // Children: those placed on it that the root owns, then (for the root)
    // the owned components that have no parent.
    c->GetChildren([this](TComponent* child) { WriteComponent(child); }, root_);
    if (c == root_) {
        for (int i = 0; i < root_->ComponentCount(); ++i) {
            TComponent* owned = root_->Components(i);
            if (!owned->HasParent()) WriteComponent(owned);
        }
    }
    WriteByte(vaNull);
}

void TWriter::WriteRootComponent(TComponent* Root) {
    root_ = Root;
    AppendBytes(data_, kSignature, 4);
    WriteComponent(Root);
}

// ---------------------------------------------------------------------------
// Text form

namespace {

class TTextParser {
public:
    explicit TTextParser(std::string_view text) : text_(text) {}

    std::vector<std::uint8_t> Convert() {
        AppendBytes(out_, kSignature, 4);
        ParseObject();
        SkipBlanks();
        if (pos_ < text_.size()) Fail("unexpected text after the last end");
        return std::move(out_);
    }

private:
    [[noreturn]] void Fail(const std::string& what) const {
        int line = 1;
        for (size_t i = 0; i < pos_ && i < text_.size(); ++i)
            if (text_[i] == '\n') ++line;
        throw EReadError(S("Layout text, line " + std::to_string(line) + ": " + what));
    }

    void SkipBlanks() {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n') ++pos_;
            else if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/') {
                while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
            } else break;
        }
    }

    static bool IdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

    std::string Ident() {
        SkipBlanks();
        const size_t start = pos_;
        while (pos_ < text_.size() && (IdentChar(text_[pos_]) || text_[pos_] == '.')) ++pos_;
        // A leading digit would make a name the text form cannot write back.
        if (start == pos_ || std::isdigit(static_cast<unsigned char>(text_[start]))) Fail("identifier expected");
        return std::string(text_.substr(start, pos_ - start));
    }

    bool Peek(char c) {
        SkipBlanks();
        return pos_ < text_.size() && text_[pos_] == c;
    }

    void Expect(char c) {
        if (!Peek(c)) Fail(std::string("'") + c + "' expected");
        ++pos_;
    }

    bool PeekWord(const char* word) {
        SkipBlanks();
        const size_t n = std::strlen(word);
        if (text_.size() - pos_ < n) return false;
        for (size_t i = 0; i < n; ++i)
            if (std::tolower(static_cast<unsigned char>(text_[pos_ + i])) != word[i]) return false;
        return pos_ + n == text_.size() || !IdentChar(text_[pos_ + n]);
    }

    void Byte(std::uint8_t b) { out_.push_back(b); }
    void Short(const std::string& s) {
        if (s.size() > 255) Fail("name longer than 255 characters");
        Byte(static_cast<std::uint8_t>(s.size()));
        AppendBytes(out_, s.data(), s.size());
    }

    void ParseObject() {
        if (!PeekWord("object")) Fail("'object' expected");
        const TNestingLevel level(depth_);
        if (level.TooDeep()) Fail("nesting" + kTooDeep);
        pos_ += 6;
        std::string name = Ident();
        std::string cls;
        if (Peek(':')) {
            ++pos_;
            cls = Ident();
        } else {
            cls = name;
            name.clear();
        }
        Byte(kObjectMarker);
        Short(cls);
        Short(name);
        while (!PeekWord("object") && !PeekWord("end")) {
            const std::string prop = Ident();
            Expect('=');
            Short(prop);
            ParseValue();
        }
        Byte(vaNull);
        while (PeekWord("object")) ParseObject();
        if (!PeekWord("end")) Fail("'end' expected");
        pos_ += 3;
        Byte(vaNull);
    }

    void ParseValue() {
        SkipBlanks();
        if (pos_ >= text_.size()) Fail("value expected");
        const char c = text_[pos_];
        if (c == '\'' || c == '#') return ParseString();
        if (c == '[') return ParseSet();
        if (c == '(') return ParseList();
        if (c == '{') return ParseBinary();
        if (c == '-' || c == '+' || c == '$' || std::isdigit(static_cast<unsigned char>(c))) return ParseNumber();
        const std::string ident = Ident();
        if (ident == "True" || ident == "true") Byte(vaTrue);
        else if (ident == "False" || ident == "false") Byte(vaFalse);
        else if (ident == "nil") Byte(vaNil);
        else {
            Byte(vaIdent);
            Short(ident);
        }
    }

    // Quoted runs, character codes (#nnn, one UTF-16 code unit each) and '+'
    // between the parts of a string continued on the next line. Quoted bytes
    // are kept as they stand, whatever their encoding, so that the binary form
    // holds the same bytes; codes in a row are encoded together, so that the
    // two halves of a surrogate pair make one character.
    void ParseString() {
        std::string value;
        String codes;
        for (;;) {
            SkipBlanks();
            if (pos_ >= text_.size()) break;
            if (text_[pos_] == '\'') {
                value += StringToUtf8(codes);
                codes.clear();
                value += QuotedRun();
            } else if (text_[pos_] == '#') {
                codes += CharacterCode();
            } else if (text_[pos_] == '+') {
                ++pos_;
            } else {
                break;
            }
        }
        value += StringToUtf8(codes);
        if (value.size() <= 255) {
            Byte(vaString);
            Short(value);
        } else {
            Byte(vaLString);
            const auto n = static_cast<std::uint32_t>(value.size());
            for (int i = 0; i < 4; ++i) Byte(static_cast<std::uint8_t>(n >> (8 * i)));
            AppendBytes(out_, value.data(), value.size());
        }
    }

    std::string QuotedRun() {
        std::string run;
        ++pos_;
        for (;;) {
            if (pos_ >= text_.size()) Fail("unterminated string");
            const char c = text_[pos_++];
            if (c == '\'') {
                if (pos_ < text_.size() && text_[pos_] == '\'') {
                    run += '\'';
                    ++pos_;
                    continue;
                }
                return run;
            }
            if (c == '\n') Fail("unterminated string");
            run += c;
        }
    }

    char16_t CharacterCode() {
        const size_t start = ++pos_;
        while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) ++pos_;
        if (start == pos_) Fail("character code expected");
        const std::string token(text_.substr(start - 1, pos_ - start + 1));
        const auto code = Number<unsigned long long>(token.substr(1), token, 10);
        if (code > 0xFFFF) Fail("character code out of range '" + token + "'");
        return static_cast<char16_t>(code);
    }

    // Text as a number of type T (Base as for std::from_chars: a radix for
    // integers, nothing for a real). The whole text must be the number, and
    // it must fit T. Token names the number in errors.
    template <class T, class... Base>
    T Number(std::string_view text, const std::string& token, Base... base) {
        T value{};
        const char* end = text.data() + text.size();
        const auto [stop, error] = std::from_chars(text.data(), end, value, base...);
        if (error == std::errc::invalid_argument || stop != end) Fail("invalid number '" + token + "'");
        if (error == std::errc::result_out_of_range) Fail("number out of range '" + token + "'");
        return value;
    }

    static bool NumberChar(char c) { return IdentChar(c) || c == '.' || c == '$'; }

    // The sign of an exponent, as in 1e+20: a sign straight after an 'e' of
    // a number that is not hexadecimal.
    bool ExponentSign(size_t start, size_t at) const {
        const char before = text_[at - 1];
        return (text_[at] == '+' || text_[at] == '-') && (before == 'e' || before == 'E') &&
               text_.substr(start, at - start).find('$') == std::string_view::npos;
    }

    // A number: a decimal integer, a hexadecimal one after '$', or a real
    // with a point or an exponent, each after an optional sign. A token that
    // is no such number, or a value beyond 64 bits or a double, is an error.
    void ParseNumber() {
        SkipBlanks();
        const size_t start = pos_++;  // the sign, '$' or the first digit
        while (pos_ < text_.size() && (NumberChar(text_[pos_]) || ExponentSign(start, pos_))) ++pos_;
        const std::string token(text_.substr(start, pos_ - start));
        const bool negative = token[0] == '-';
        const std::string magnitude = negative || token[0] == '+' ? token.substr(1) : token;
        const std::string& signedText = negative ? token : magnitude;  // from_chars takes '-' only
        TWriter w;
        if (!magnitude.empty() && magnitude[0] == '$') {
            w.WriteInteger(HexNumber(magnitude.substr(1), negative, token));
        } else if (magnitude.find_first_of(".eE") != std::string::npos) {
            w.WriteFloat(Number<double>(signedText, token));
        } else {
            w.WriteInteger(Number<long long>(signedText, token, 10));
        }
        AppendBytes(out_, w.Data().data(), w.Data().size());
    }

    // Hexadecimal digits are a bit pattern: of 32 bits up to 8 digits, of 64
    // bits beyond, read as a signed number; a sign before the '$' negates it.
    long long HexNumber(const std::string& digits, bool negative, const std::string& token) {
        const auto bits = Number<unsigned long long>(digits, token, 16);
        long long value = digits.size() <= 8 ? static_cast<std::int32_t>(static_cast<std::uint32_t>(bits))
                                              : static_cast<long long>(bits);
        if (!negative) return value;
        if (value == LLONG_MIN) Fail("number out of range '" + token + "'");
        return -value;
    }

    void ParseSet() {
        Expect('[');
        Byte(vaSet);
        while (!Peek(']')) {
            Short(Ident());
            if (Peek(',')) ++pos_;
        }
        Expect(']');
        Byte(0);
    }

    void ParseList() {
        const TNestingLevel level(depth_);
        if (level.TooDeep()) Fail("nesting" + kTooDeep);
        Expect('(');
        Byte(vaList);
        while (!Peek(')')) ParseValue();
        Expect(')');
        Byte(vaNull);
    }

    // Pairs of hexadecimal digits, one byte each; blanks may stand between.
    void ParseBinary() {
        Expect('{');
        std::string digits;
        while (!Peek('}')) {
            if (pos_ >= text_.size()) Fail("unterminated binary value");
            const char c = text_[pos_];
            if (!std::isxdigit(static_cast<unsigned char>(c)))
                Fail(std::string("invalid digit '") + c + "' in binary value");
            digits += c;
            ++pos_;
        }
        if (digits.size() % 2 != 0) Fail("odd number of digits in binary value");
        Expect('}');
        std::vector<std::uint8_t> bytes;
        for (size_t i = 0; i < digits.size(); i += 2) {
            const std::string pair = digits.substr(i, 2);
            bytes.push_back(static_cast<std::uint8_t>(Number<unsigned>(pair, pair, 16)));
        }
        TWriter w;
        w.WriteBinary(bytes);
        AppendBytes(out_, w.Data().data(), w.Data().size());
    }

    std::string_view text_;
    size_t pos_ = 0;
    int depth_ = 0;  // objects and lists entered, for MaxLayoutNesting
    std::vector<std::uint8_t> out_;
};

class TTextRenderer {
public:
    explicit TTextRenderer(const std::vector<std::uint8_t>& data) : r_(data) {}

    std::string Convert() {
        for (int i = 0; i < 4; ++i) r_.ReadValue();  // signature
        RenderObject(0);
        return std::move(out_);
    }

private:
    void Indent(int level) { out_.append(static_cast<size_t>(level) * 2, ' '); }

    std::string Short() {
        const auto n = static_cast<size_t>(r_.ReadValue());
        std::string s;
        for (size_t i = 0; i < n; ++i) s += static_cast<char>(r_.ReadValue());
        return s;
    }

    // A name as the text form spells it: what it cannot spell (nothing, a
    // blank, a leading digit) would make text that does not read back.
    std::string Name() { return Spelled(Short()); }

    std::string Spelled(std::string name) {
        if (!Spellable(name)) r_.Error(u"Invalid name in layout data");
        return name;
    }

    static bool Spellable(const std::string& name) {
        if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0]))) return false;
        return std::all_of(name.begin(), name.end(), [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.';
        });
    }

    void RenderObject(int level) {
        const TNestingLevel nesting(depth_);
        if (nesting.TooDeep()) r_.Error(S("Nesting" + kTooDeep));
        r_.ReadValue();  // object marker
        const std::string cls = Name();
        // An unnamed component has no name to spell.
        const std::string name = r_.NextValue() == 0 ? Short() : Name();
        Indent(level);
        out_ += name.empty() ? "object " + cls + "\n" : "object " + name + ": " + cls + "\n";
        while (r_.NextValue() != vaNull) {
            const std::string prop = Name();
            Indent(level + 1);
            out_ += prop + " = ";
            RenderValue(level + 1);
            out_ += "\n";
        }
        r_.ReadValue();
        while (r_.NextValue() != vaNull) RenderObject(level + 1);
        r_.ReadValue();
        Indent(level);
        out_ += "end\n";
    }

    // Quoted runs of the bytes as they stand, with control characters as
    // character codes between them, so that a string stays on its line.
    static std::string Quote(const std::string& s) {
        std::string q;
        bool quoted = false;
        for (char c : s) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x20) {
                if (quoted) q += '\'';
                quoted = false;
                q += '#' + std::to_string(byte);
                continue;
            }
            if (!quoted) q += '\'';
            quoted = true;
            if (c == '\'') q += "''";
            else q += c;
        }
        if (quoted) q += '\'';
        return q.empty() ? "''" : q;
    }

    void RenderValue(int level) {
        switch (r_.NextValue()) {
            case vaList: {
                const TNestingLevel nesting(depth_);
                if (nesting.TooDeep()) r_.Error(S("Nesting" + kTooDeep));
                r_.ReadValue();
                out_ += "(";
                while (!r_.EndOfList()) {
                    out_ += "\n";
                    Indent(level + 1);
                    RenderValue(level + 1);
                }
                r_.ReadValue();
                out_ += ")";
                return;
            }
            case vaInt8: case vaInt16: case vaInt32: case vaInt64:
                out_ += std::to_string(r_.ReadInteger());
                return;
            case vaExtended: {
                char buf[64];
                std::snprintf(buf, sizeof buf, "%.17g", r_.ReadFloat());
                std::string f = buf;
                if (f.find_first_of(".eEn") == std::string::npos) f += ".0";
                out_ += f;
                return;
            }
            case vaString: case vaLString:
                out_ += Quote(r_.ReadStringBytes());
                return;
            case vaIdent: case vaFalse: case vaTrue: case vaNil:
                out_ += Spelled(StringToUtf8(r_.ReadIdent()));
                return;
            case vaSet: {
                out_ += "[";
                bool first = true;
                for (const String& m : r_.ReadSet()) {
                    if (!first) out_ += ", ";
                    out_ += Spelled(StringToUtf8(m));
                    first = false;
                }
                out_ += "]";
                return;
            }
            case vaBinary: {
                const std::vector<std::uint8_t> bytes = r_.ReadBinary();
                out_ += "{";
                out_ += BinaryToText(bytes.data(), bytes.size());
                out_ += "}";
                return;
            }
            default:
                r_.Error(u"Invalid stream format");
        }
    }

    TReader r_;
    int depth_ = 0;  // objects and lists entered, for MaxLayoutNesting
    std::string out_;
};

}  // namespace

std::vector<std::uint8_t> ObjectTextToBinary(std::string_view text) { return TTextParser(text).Convert(); }

std::string BinaryToText(const std::uint8_t* Data, std::size_t Size) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(2 * Size);
    for (std::size_t i = 0; i < Size; ++i) {
        text += kDigits[Data[i] >> 4];
        text += kDigits[Data[i] & 15];
    }
    return text;
}

std::string ObjectBinaryToText(const std::vector<std::uint8_t>& data) { return TTextRenderer(data).Convert(); }

void ReadComponentFromText(TComponent* Root, std::string_view text) {
    TReader reader(ObjectTextToBinary(text));
    reader.ReadRootComponent(Root);
}

std::string WriteComponentToText(TComponent* Root) {
    TWriter writer;
    writer.WriteRootComponent(Root);
    return ObjectBinaryToText(writer.Data());
}
