// String lists: the abstract TStrings (lines with optional objects, update
// bracket, loading from a file) and TStringList over the compact line store.
#pragma once

#include <string_view>
#include <vector>

#include "Types.h"
#include "LineStore.h"

// The pieces of a text between its line breaks (CR LF, a lone CR or a lone
// LF). The text after the last break is the last piece, empty when the text
// ends with a break; an empty text is one empty piece.
std::vector<std::u16string_view> SplitAtLineBreaks(std::u16string_view text);

class TStrings : public TPersistent {
public:
    LV_CLASS_NAME(TStrings)

    virtual int Count() const = 0;
    virtual String Get(int Index) const = 0;
    String operator[](int Index) const { return Get(Index); }
    virtual void Put(int Index, const String& S);
    virtual TObject* GetObject(int Index) const;
    virtual void PutObject(int Index, TObject* AObject);
    TObject* Objects(int Index) const { return GetObject(Index); }

    virtual int Add(const String& S);
    int AddObject(const String& S, TObject* AObject);
    // Appends line Index of Source. Lists over line stores copy the stored
    // bytes without decoding them.
    virtual int AddFrom(const TStrings& Source, int Index);
    virtual void Insert(int Index, const String& S) = 0;
    virtual void Delete(int Index) = 0;
    virtual void Clear() = 0;

    virtual int IndexOf(const String& S) const;
    int IndexOfObject(TObject* AObject) const;
    // Takes line CurIndex (with its object) out and puts it back at
    // NewIndex; an index outside the list is the list's index error.
    virtual void Move(int CurIndex, int NewIndex);

    // A nested bracket: SetUpdateState(true) runs when the outermost
    // BeginUpdate opens it, SetUpdateState(false) when the outermost EndUpdate
    // closes it.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }

    // Replaces the lines with those of a text file.
    virtual void LoadFromFile(const String& FileName);
    // Every line followed by "\n"; setting it splits at CR LF, CR and LF.
    String Text() const;
    void SetText(const String& Value);

    // Length of line Index in UTF-16 code units, and up to Count units of it
    // from Start (0-based), without building the whole line where the list
    // can avoid it.
    virtual int Length(int Index) const;
    virtual String Mid(int Index, int Start, int Count) const;

    // The line store behind the list, if it has one.
    virtual const TLineStore* Store() const { return nullptr; }

    void Assign(TPersistent* Source) override;

protected:
    virtual void SetUpdateState(bool Updating) {}
    // Raises "List index out of bounds (Index)".
    [[noreturn]] void IndexError(int Index) const;
    void CheckIndex(int Index) const {
        if (Index < 0 || Index >= Count()) IndexError(Index);
    }

private:
    int updateCount_ = 0;
};

class TStringList : public TStrings {
public:
    LV_CLASS_NAME(TStringList)
    TStringList() = default;

    int Count() const override { return store_.Count(); }
    String Get(int Index) const override;
    void Put(int Index, const String& S) override;
    TObject* GetObject(int Index) const override;
    void PutObject(int Index, TObject* AObject) override;
    int Add(const String& S) override;
    int AddFrom(const TStrings& Source, int Index) override;
    void Insert(int Index, const String& S) override;
    void Delete(int Index) override;
    void Clear() override;
    // Raises EFOpenError ("Cannot open file ...") when the file cannot be
    // opened, EReadError ("Stream read error") when reading it fails and
    // EOutOfMemory ("Out of memory") when it does not fit; the list keeps its
    // lines then.
    void LoadFromFile(const String& FileName) override;
    // Adds the whole lines appended to the loaded file since it was loaded
    // (TLineStore::ExtendFile).
    TFileGrowth ExtendFromFile();
    int Length(int Index) const override;
    String Mid(int Index, int Start, int Count) const override;
    const TLineStore* Store() const override { return &store_; }

private:
    TLineStore store_;
    // One entry per line once any line has an object; empty before.
    std::vector<TObject*> objects_;
};
