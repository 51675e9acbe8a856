#include "Strings.h"

#include <string>

#include "TextFile.h"

std::vector<std::u16string_view> SplitAtLineBreaks(std::u16string_view text) {
    std::vector<std::u16string_view> pieces;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r' && text[i] != u'\n') continue;
        pieces.push_back(text.substr(start, i - start));
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        start = i + 1;
    }
    pieces.push_back(text.substr(start));
    return pieces;
}

// ---------------------------------------------------------------------------
// TStrings

void TStrings::Put(int Index, const String& S) {
    CheckIndex(Index);
    TObject* object = GetObject(Index);
    Delete(Index);
    Insert(Index, S);
    PutObject(Index, object);
}

TObject* TStrings::GetObject(int Index) const {
    CheckIndex(Index);
    return nullptr;
}

void TStrings::PutObject(int Index, TObject*) { CheckIndex(Index); }

int TStrings::Add(const String& S) {
    const int index = Count();
    Insert(index, S);
    return index;
}

int TStrings::AddObject(const String& S, TObject* AObject) {
    const int index = Add(S);
    PutObject(index, AObject);
    return index;
}

int TStrings::AddFrom(const TStrings& Source, int Index) { return Add(Source.Get(Index)); }

int TStrings::IndexOf(const String& S) const {
    for (int i = 0; i < Count(); ++i)
        if (Get(i) == S) return i;
    return -1;
}

int TStrings::IndexOfObject(TObject* AObject) const {
    for (int i = 0; i < Count(); ++i)
        if (GetObject(i) == AObject) return i;
    return -1;
}

void TStrings::BeginUpdate() {
    if (updateCount_++ == 0) SetUpdateState(true);
}

void TStrings::EndUpdate() {
    if (updateCount_ == 0) return;
    if (--updateCount_ == 0) SetUpdateState(false);
}

void TStrings::Move(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex) return;
    CheckIndex(CurIndex);
    CheckIndex(NewIndex);
    const String line = Get(CurIndex);
    TObject* object = GetObject(CurIndex);
    BeginUpdate();
    try {
        Delete(CurIndex);
        Insert(NewIndex, line);
        PutObject(NewIndex, object);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::LoadFromFile(const String& FileName) {
    TLineStore lines;
    lines.LoadFromFile(FileName);
    BeginUpdate();
    try {
        Clear();
        for (int i = 0; i < lines.Count(); ++i) Add(lines.Get(i));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

String TStrings::Text() const {
    String text;
    for (int i = 0; i < Count(); ++i) {
        text += Get(i);
        text += u'\n';
    }
    return text;
}

void TStrings::SetText(const String& Value) {
    BeginUpdate();
    try {
        Clear();
        std::vector<std::u16string_view> lines = SplitAtLineBreaks(Value);
        // A final break ends the last line; it starts no further one.
        if (lines.back().empty()) lines.pop_back();
        for (std::u16string_view line : lines) Add(String(line));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

int TStrings::Length(int Index) const { return static_cast<int>(Get(Index).size()); }

String TStrings::Mid(int Index, int Start, int Count) const {
    const String line = Get(Index);
    if (Start < 0) Start = 0;
    if (Count <= 0 || static_cast<std::size_t>(Start) >= line.size()) return String();
    return line.substr(static_cast<std::size_t>(Start), static_cast<std::size_t>(Count));
}

void TStrings::Assign(TPersistent* Source) {
    auto* source = dynamic_cast<TStrings*>(Source);
    if (!source) {
        TPersistent::Assign(Source);
        return;
    }
    if (source == this) return;
    BeginUpdate();
    try {
        Clear();
        for (int i = 0; i < source->Count(); ++i) {
            const int index = AddFrom(*source, i);
            if (TObject* object = source->GetObject(i)) PutObject(index, object);
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::IndexError(int Index) const {
    throw EListError(u"List index out of bounds (" + IntToStr(Index) + u")");
}

// ---------------------------------------------------------------------------
// TStringList

String TStringList::Get(int Index) const {
    if (Index < 0 || Index >= store_.Count()) IndexError(Index);  // no virtual call on the hot path
    return store_.Get(Index);
}

void TStringList::Put(int Index, const String& S) {
    CheckIndex(Index);
    store_.Put(Index, S);
}

TObject* TStringList::GetObject(int Index) const {
    CheckIndex(Index);
    return objects_.empty() ? nullptr : objects_[static_cast<std::size_t>(Index)];
}

void TStringList::PutObject(int Index, TObject* AObject) {
    CheckIndex(Index);
    if (objects_.empty()) {
        if (!AObject) return;
        objects_.assign(static_cast<std::size_t>(Count()), nullptr);
    }
    objects_[static_cast<std::size_t>(Index)] = AObject;
}

int TStringList::Add(const String& S) {
    store_.Add(S);
    if (!objects_.empty()) objects_.push_back(nullptr);
    return Count() - 1;
}

int TStringList::AddFrom(const TStrings& Source, int Index) {
    const TLineStore* source = Source.Store();
    if (!source) return TStrings::AddFrom(Source, Index);
    if (Index < 0 || Index >= source->Count()) Source.Get(Index);  // raises the source's index error
    store_.AddFrom(*source, Index);
    if (!objects_.empty()) objects_.push_back(nullptr);
    return Count() - 1;
}

void TStringList::Insert(int Index, const String& S) {
    if (Index < 0 || Index > Count()) IndexError(Index);
    store_.Insert(Index, S);
    if (!objects_.empty()) objects_.insert(objects_.begin() + Index, nullptr);
}

void TStringList::Delete(int Index) {
    CheckIndex(Index);
    store_.Delete(Index);
    if (!objects_.empty()) objects_.erase(objects_.begin() + Index);
}

void TStringList::Clear() {
    store_.Clear();
    objects_.clear();
    objects_.shrink_to_fit();
}

TFileGrowth TStringList::ExtendFromFile() {
    const TFileGrowth growth = store_.ExtendFile();
    if (growth == TFileGrowth::Lines && !objects_.empty()) objects_.resize(static_cast<std::size_t>(Count()), nullptr);
    return growth;
}

void TStringList::LoadFromFile(const String& FileName) {
    TLineStore loaded;
    try {
        loaded.LoadFromFile(FileName);
    } catch (const ETextReadError&) {
        throw EReadError(u"Stream read error");
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory(u"Out of memory");
    }
    BeginUpdate();
    store_.Swap(loaded);
    objects_.clear();
    EndUpdate();
}

int TStringList::Length(int Index) const {
    if (Index < 0 || Index >= store_.Count()) IndexError(Index);  // no virtual call on the hot path
    return store_.Length(Index);
}

String TStringList::Mid(int Index, int Start, int Count) const {
    if (Index < 0 || Index >= store_.Count()) IndexError(Index);  // no virtual call on the hot path
    return store_.Mid(Index, Start, Count);
}
