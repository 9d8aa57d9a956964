#pragma once

#include "platform/rtl/Objects.h"
#include "platform/rtl/Types.h"

#include <vector>

// The index of a workbook's sheet names: it keeps them unique and makes new ones ("Sheet",
// "Sheet1", "Sheet2", ...).
//
// A name is kept as a root and a number; its full name is the root, followed by the number in
// decimal unless it is 0. Sheet names in an xls file must differ other than in case alone
// (formulas find sheets by name without case), so the list compares names by their upper-case
// form: "sheet1" cannot join a list that holds "Sheet1". The stored names keep their own case.
struct TWideContainer {
    WideString Root;
    Integer Number = 0;
    WideString FullName() const;
};

class TSheetNameList : public TObject {
public:
    Integer Count() const { return static_cast<Integer>(FList.size()); }
    const TWideContainer& Items(Integer Index) const { return FList.at(static_cast<size_t>(Index)); }
    void Clear() { FList.clear(); }

    // Binary search for a full name (without case); Index is its position or insertion point.
    bool FindFullString(const WideString& Name, Integer& Index) const;
    // True when some name has this root (without case); Index is the one with the highest number.
    bool FindRootString(const WideString& Root, Integer& Index) const;
    // Raises "Sheet name already exists: %s" when the name (or one differing only in case) is there.
    void Add(const WideString& Name);
    // Adds the first free name of the root: Root itself, then Root1, Root2, ... after the highest
    // number already given to that root. Returns the full name.
    WideString AddUniqueName(const WideString& Root);
    // Raises "Invalid sheet: %s" for a name not in the list.
    void DeleteSheet(const WideString& Name);
    // Nothing for equal names; "Invalid sheet: %s" when OldName is missing; "Sheet name already
    // exists: %s" when another sheet has NewName.
    void Rename(const WideString& OldName, const WideString& NewName);
    WideString GetFullName(const WideString& Root, Integer Number) const
    {
        return TWideContainer{Root, Number}.FullName();
    }

    // At most 31 characters; "/", "\", "?", "[", "]" and "*" become "_" and ":" becomes ".".
    // Works on the wide text, so every other character (Chinese names included) is kept.
    static WideString MakeValidSheetName(const WideString& Name);

private:
    std::vector<TWideContainer> FList; // ordered by the key of the full name
    void Insert(Integer Index, TWideContainer Entry)
    {
        FList.insert(FList.begin() + Index, std::move(Entry));
    }
};
