#pragma once

// Wide-string lists: the UTF-16 counterpart of the platform's string list, used for the items of
// the Unicode combo boxes.

#include "platform/rtl/Persistent.h"
#include "platform/rtl/StringLists.h"
#include "platform/rtl/Types.h"

#include <memory>

class TFiler;
class TReader;
class TWriter;
class TWideStrings;

// A locale identifier.
using LCID = DWORD;

// The platform string list on top of a wide-string list: strings are converted to and from the
// 8-bit code page on every access. Objects are not carried through this view.
class TAnsiStringsForWideStrings : public TStrings {
public:
    explicit TAnsiStringsForWideStrings(TWideStrings* AWideList) : WideList(AWideList) {}

    void Clear() override;
    void Delete(Integer Index) override;
    void Insert(Integer Index, const AnsiString& S) override;

    TWideStrings* WideList;

protected:
    AnsiString Get(Integer Index) const override;
    Integer GetCount() const override;
};

// The abstract list of wide strings with objects. It stores nothing itself: a descendant supplies
// the storage by implementing Get, GetCount, Clear, Delete and Insert, and may replace any other
// virtual operation. The list has no sorting of its own.
//
// Case-insensitive searches (IndexOf, IndexOfName) fold case by the platform's locale mapping;
// Equals compares exactly. Indexes are checked by the descendant.
class TWideStrings : public TPersistent {
    friend class TAnsiStringsForWideStrings;

public:
    TWideStrings();
    ~TWideStrings() override;

    void DefineProperties(TFiler* Filer) override;
    // From a TWideStrings (strings and objects) or a platform TStrings (strings converted, with
    // their objects); anything else is refused with the platform's assignment error.
    void Assign(TPersistent* Source) override;

    virtual Integer GetCapacity() const;
    virtual WideString GetTextStr() const;
    virtual void SetCapacity(Integer NewCapacity);
    virtual void SetTextStr(const WideString& Value);
    virtual void SetLanguage(LCID Value);
    virtual Integer Add(const WideString& S);
    virtual Integer AddObject(const WideString& S, TObject* AObject);
    virtual void AddStrings(TStrings* Strings);
    virtual void AddStrings(TWideStrings* Strings);
    virtual void Clear() = 0;
    virtual void Delete(Integer Index) = 0;
    virtual void Exchange(Integer Index1, Integer Index2);
    // A copy of the text form (the caller owns it; c_str() is zero-terminated).
    virtual WideString GetText() const;
    virtual Integer IndexOf(const WideString& S);
    virtual void Insert(Integer Index, const WideString& S) = 0;
    virtual void Move(Integer CurIndex, Integer NewIndex);
    // The text form of a zero-terminated text (nullptr reads as empty).
    virtual void SetText(const WideChar* Text);

    void BeginUpdate();
    void EndUpdate();
    Integer UpdateDepth() const { return FUpdateDepth; }
    void Append(const WideString& S) { Add(S); }
    void InsertObject(Integer Index, const WideString& S, TObject* AObject);
    Integer IndexOfObject(TObject* AObject);
    Integer IndexOfName(const WideString& Name);
    WideString GetName(Integer Index) const;
    WideString GetValue(const WideString& Name);
    // Replaces or adds "Name=Value"; an empty Value deletes the entry of that name.
    void SetValue(const WideString& Name, const WideString& Value);
    // Same count and identical strings (code unit by code unit).
    bool Equals(TWideStrings* Strings);
    // Raises EStringListError with Msg formatted with Data.
    [[noreturn]] void Error(const WideString& Msg, Integer Data) const;

    // Properties.
    WideString Strings(Integer Index) const { return Get(Index); }
    void SetStrings(Integer Index, const WideString& S) { Put(Index, S); }
    TObject* Objects(Integer Index) const { return GetObject(Index); }
    void SetObjects(Integer Index, TObject* AObject) { PutObject(Index, AObject); }
    Integer Count() const { return GetCount(); }
    Integer Capacity() const { return GetCapacity(); }
    WideString Text() const { return GetTextStr(); }
    void SetText(const WideString& Value) { SetTextStr(Value); }
    WideString CommaText() const { return GetCommaText(); }
    void SetCommaText(const WideString& Value);
    WideString Names(Integer Index) const { return GetName(Index); }
    WideString Values(const WideString& Name) { return GetValue(Name); }
    void SetValues(const WideString& Name, const WideString& Value) { SetValue(Name, Value); }
    LCID Language() const { return FLanguage; }
    TStrings* AnsiStrings() const { return FAnsiStrings.get(); }
    // The ANSI view assigned from Value.
    void SetAnsiStrings(TStrings* Value);

protected:
    void AssignTo(TPersistent* Dest) override;

    virtual WideString Get(Integer Index) const = 0;
    virtual Integer GetCount() const = 0;
    virtual TObject* GetObject(Integer Index) const;
    // Keeps the object: reads it, deletes the entry and inserts S with it.
    virtual void Put(Integer Index, const WideString& S);
    virtual void PutObject(Integer Index, TObject* AObject);
    virtual void SetUpdateState(bool Updating);

    WideString GetCommaText() const;
    // Equal when the locale comparison ignoring case gives 0.
    bool SameString(const WideString& S1, const WideString& S2) const;

private:
    void ReadData(TReader* Reader);
    void WriteData(TWriter* Writer);

    std::unique_ptr<TAnsiStringsForWideStrings> FAnsiStrings;
    Integer FUpdateDepth = 0;
    // The user's default locale.
    LCID FLanguage = 0x0400;
};
