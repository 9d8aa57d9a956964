#pragma once

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Objects.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Types.h"

#include <functional>
#include <vector>

class TStream;

// The line break that Text and the save routines write. SetText and the load routines accept
// CR LF, LF and CR alike.
inline constexpr const char* sLineBreak = "\r\n";

enum TDuplicates { dupIgnore, dupAccept, dupError };

// A list of strings, each with an object slot. Strings are UTF-8 and are stored as given: every
// routine is byte-transparent (no routine splits or re-encodes a multi-byte character).
//
// Text forms:
// - Text: every string followed by a CR LF. Setting it splits at CR LF, LF or CR; a final line
//   break does not make an empty last string.
// - CommaText: strings joined by ','; a string holding a blank, a control character, a ',' or a
//   '"' is enclosed in '"' with inner '"' doubled; a single empty string is written as "".
//   Reading splits at ',' and at blanks outside quotes.
// - DelimitedText: the same with Delimiter and QuoteChar; with StrictDelimiter only Delimiter
//   splits and only a string holding Delimiter or QuoteChar is quoted.
// - Names/Values: "name=value" strings (NameValueSeparator '=').
//
// Indexes outside the list raise EStringListError "List index out of bounds (<index>)".
class TStrings : public TPersistent {
public:
    TStrings() = default;

    virtual Integer Add(const AnsiString& S);
    virtual Integer AddObject(const AnsiString& S, TObject* AObject);
    void Append(const AnsiString& S) { Add(S); }
    // Adds every string and object of Strings.
    virtual void AddStrings(TStrings* Strings);
    // From another TStrings: replaces the contents with its strings and objects (and takes its
    // Delimiter, QuoteChar and NameValueSeparator). Anything else: the assignment error.
    void Assign(TPersistent* Source) override;

    // Between BeginUpdate and the matching EndUpdate changes are not announced; the first
    // BeginUpdate and last EndUpdate call SetUpdateState.
    void BeginUpdate();
    void EndUpdate();
    Integer UpdateCount() const { return FUpdateCount; }

    virtual void Clear() = 0;
    virtual void Delete(Integer Index) = 0;
    virtual void Insert(Integer Index, const AnsiString& S) = 0;
    virtual void InsertObject(Integer Index, const AnsiString& S, TObject* AObject);
    virtual void Exchange(Integer Index1, Integer Index2);
    // Moves the string and its object from CurIndex to NewIndex.
    virtual void Move(Integer CurIndex, Integer NewIndex);
    // Same count and the same strings (byte for byte) in the same order.
    bool Equals(TStrings* Strings);

    // First index of S (compared by CompareStrings), -1 when absent.
    virtual Integer IndexOf(const AnsiString& S);
    // First index whose name (text before NameValueSeparator) equals Name by CompareStrings.
    virtual Integer IndexOfName(const AnsiString& Name);
    Integer IndexOfObject(TObject* AObject);

    Integer Count() const { return GetCount(); }
    AnsiString Strings(Integer Index) const { return Get(Index); }
    void SetStrings(Integer Index, const AnsiString& S) { Put(Index, S); }
    TObject* Objects(Integer Index) const { return GetObject(Index); }
    void SetObjects(Integer Index, TObject* AObject) { PutObject(Index, AObject); }

    // The text before the first NameValueSeparator; empty when the string has none.
    AnsiString Names(Integer Index) const;
    // The text after the first NameValueSeparator of the string at Index.
    AnsiString ValueFromIndex(Integer Index) const;
    void SetValueFromIndex(Integer Index, const AnsiString& Value);
    // The value of the first string named Name; empty when there is none.
    AnsiString Values(const AnsiString& Name);
    // Replaces (or adds) "Name=Value"; an empty Value deletes the entry.
    void SetValues(const AnsiString& Name, const AnsiString& Value);

    AnsiString Text() const { return GetTextStr(); }
    void SetText(const AnsiString& Value) { SetTextStr(Value); }
    AnsiString CommaText() const;
    void SetCommaText(const AnsiString& Value);
    AnsiString DelimitedText() const;
    void SetDelimitedText(const AnsiString& Value);

    char Delimiter() const { return FDelimiter; }
    void SetDelimiter(char Value) { FDelimiter = Value; }
    char QuoteChar() const { return FQuoteChar; }
    void SetQuoteChar(char Value) { FQuoteChar = Value; }
    char NameValueSeparator() const { return FNameValueSeparator; }
    void SetNameValueSeparator(char Value) { FNameValueSeparator = Value; }
    bool StrictDelimiter() const { return FStrictDelimiter; }
    void SetStrictDelimiter(bool Value) { FStrictDelimiter = Value; }

    // The whole file (or the rest of the stream) becomes the Text; a leading UTF-8 byte order mark
    // is dropped. A missing or unreadable file raises the file-open error of the streams.
    virtual void LoadFromFile(const AnsiString& FileName);
    virtual void LoadFromStream(TStream* Stream);
    // Writes Text (every line ended by CR LF). The file is created or truncated.
    virtual void SaveToFile(const AnsiString& FileName);
    virtual void SaveToStream(TStream* Stream);

protected:
    virtual AnsiString Get(Integer Index) const = 0;
    virtual Integer GetCount() const = 0;
    virtual TObject* GetObject(Integer Index) const;
    virtual void Put(Integer Index, const AnsiString& S);
    virtual void PutObject(Integer Index, TObject* AObject);
    virtual AnsiString GetTextStr() const;
    virtual void SetTextStr(const AnsiString& Value);
    virtual void SetUpdateState(bool Updating);
    // Replaces the string at Index for SetValues / SetValueFromIndex. Default: Put.
    virtual void ReplaceString(Integer Index, const AnsiString& S);
    // Compares two strings as IndexOf and IndexOfName do. Default: locale order ignoring case.
    virtual Integer CompareStrings(const AnsiString& S1, const AnsiString& S2) const;

    // Raises EStringListError with Msg formatted with Data ("List index out of bounds (%d)").
    [[noreturn]] static void Error(const char* Msg, Integer Data);

private:
    AnsiString DelimitedTextWith(char ADelimiter, char AQuote, bool Strict) const;
    void SetDelimitedTextWith(const AnsiString& Value, char ADelimiter, char AQuote, bool Strict);

    Integer FUpdateCount = 0;
    char FDelimiter = ',';
    char FQuoteChar = '"';
    char FNameValueSeparator = '=';
    bool FStrictDelimiter = false;
};

class TStringList;
// Answers < 0, 0 or > 0 for the strings at Index1 and Index2.
using TStringListSortCompare = std::function<Integer(TStringList* List, Integer Index1, Integer Index2)>;

// The string list that holds its strings.
//
// Sorted lists keep their order under Add (Insert and replacing a string are refused with
// EStringListError "Operation not allowed on sorted list"); Duplicates decides what Add does with
// a string already present: dupIgnore answers the existing index, dupAccept adds it, dupError
// raises EStringListError "String list does not allow duplicates". Comparison follows
// CaseSensitive (default off: locale order ignoring case).
//
// OnChanging fires before and OnChange after each change, but not between BeginUpdate and
// EndUpdate: OnChanging fires at the first BeginUpdate, OnChange at the last EndUpdate.
class TStringList : public TStrings {
public:
    TStringList() = default;
    ~TStringList() override;

    Integer Add(const AnsiString& S) override;
    Integer AddObject(const AnsiString& S, TObject* AObject) override;
    void Clear() override;
    void Delete(Integer Index) override;
    void Exchange(Integer Index1, Integer Index2) override;
    // Refused on a sorted list (EStringListError "Operation not allowed on sorted list").
    void Move(Integer CurIndex, Integer NewIndex) override;
    void Insert(Integer Index, const AnsiString& S) override;
    void InsertObject(Integer Index, const AnsiString& S, TObject* AObject) override;
    Integer IndexOf(const AnsiString& S) override;

    // Binary search of a sorted list (the list must be in CompareStrings order). Answers whether
    // S is present; Index is the position of S (the first of equal strings under dupAccept) or the
    // position where it would be inserted.
    virtual bool Find(const AnsiString& S, Integer& Index);
    // Sorts by CompareStrings (an unsorted list only: a sorted one is in order already).
    virtual void Sort();
    // Sorts with Compare (an unsorted list only). Safe with an inconsistent compare function.
    virtual void CustomSort(TStringListSortCompare Compare);

    bool Sorted() const { return FSorted; }
    // Switching on sorts the list.
    void SetSorted(bool Value);
    TDuplicates Duplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
    bool CaseSensitive() const { return FCaseSensitive; }
    // A sorted list is re-sorted in the new order.
    void SetCaseSensitive(bool Value);

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    AnsiString Get(Integer Index) const override;
    Integer GetCount() const override { return static_cast<Integer>(FList.size()); }
    TObject* GetObject(Integer Index) const override;
    void Put(Integer Index, const AnsiString& S) override;
    void PutObject(Integer Index, TObject* AObject) override;
    void ReplaceString(Integer Index, const AnsiString& S) override;
    void SetUpdateState(bool Updating) override;
    Integer CompareStrings(const AnsiString& S1, const AnsiString& S2) const override;
    virtual void Changed();
    virtual void Changing();
    virtual void InsertItem(Integer Index, const AnsiString& S, TObject* AObject);

private:
    struct TStringItem {
        AnsiString FString;
        TObject* FObject = nullptr;
    };
    void CheckIndex(Integer Index) const;
    void QuickSort(Integer L, Integer R, const TStringListSortCompare& Compare);
    void ExchangeItems(Integer Index1, Integer Index2);

    std::vector<TStringItem> FList;
    bool FSorted = false;
    TDuplicates FDuplicates = dupIgnore;
    bool FCaseSensitive = false;
};
