#include "RudUvud/xlsadapter/XlsSheetNames.h"

#include "RudUvud/xlsadapter/VovMessages.h"
#include "RudUvud/xlsadapter/XlsMessages.h"
#include "platform/rtl/Strings.h"

#include <algorithm>
#include <string>

using namespace zivXlsMessages;

namespace {

// Shorter names first; names of one length by the code units of their upper-case form.
bool KeyLess(const WideString& a, const WideString& b)
{
    if (a.size() != b.size())
        return a.size() < b.size();
    return WideUpperCase98(a) < WideUpperCase98(b);
}

bool SameName(const WideString& a, const WideString& b)
{
    return a.size() == b.size() && WideUpperCase98(a) == WideUpperCase98(b);
}

AnsiString Utf8(const WideString& W)
{
    return UTF8Encode(W);
}

} // namespace

WideString TWideContainer::FullName() const
{
    if (Number == 0)
        return Root;
    const std::string n = std::to_string(Number);
    return Root + WideString(n.begin(), n.end());
}

bool TSheetNameList::FindFullString(const WideString& Name, Integer& Index) const
{
    auto it =
        std::lower_bound(FList.begin(), FList.end(), Name, [](const TWideContainer& e, const WideString& n) {
            return KeyLess(e.FullName(), n);
        });
    Index = static_cast<Integer>(it - FList.begin());
    return it != FList.end() && SameName(it->FullName(), Name);
}

bool TSheetNameList::FindRootString(const WideString& Root, Integer& Index) const
{
    // The list is ordered by full names, not roots, so a search by halving could miss a root;
    // the list is small and is walked instead.
    Index = -1;
    for (Integer i = 0; i < Count(); ++i)
        if (SameName(FList[static_cast<size_t>(i)].Root, Root) &&
            (Index < 0 || FList[static_cast<size_t>(i)].Number > FList[static_cast<size_t>(Index)].Number))
            Index = i;
    return Index >= 0;
}

void TSheetNameList::Add(const WideString& Name)
{
    Integer at;
    if (FindFullString(Name, at))
        XlsError(ErrDuplicatedSheetName, {Utf8(Name)});
    Insert(at, {Name, 0});
}

WideString TSheetNameList::AddUniqueName(const WideString& Root)
{
    Integer number = 0, at;
    if (FindRootString(Root, at))
        number = FList[static_cast<size_t>(at)].Number + 1;
    while (FindFullString(GetFullName(Root, number), at))
        ++number;
    Insert(at, {Root, number});
    return GetFullName(Root, number);
}

void TSheetNameList::DeleteSheet(const WideString& Name)
{
    Integer at;
    if (!FindFullString(Name, at))
        XlsError(ErrInvalidSheet, {Utf8(Name)});
    FList.erase(FList.begin() + at);
}

void TSheetNameList::Rename(const WideString& OldName, const WideString& NewName)
{
    if (OldName == NewName)
        return;
    Integer oldAt, newAt;
    if (!FindFullString(OldName, oldAt))
        XlsError(ErrInvalidSheet, {Utf8(OldName)});
    // A change of case alone finds the sheet's own entry, which is no clash.
    if (!SameName(OldName, NewName) && FindFullString(NewName, newAt))
        XlsError(ErrDuplicatedSheetName, {Utf8(NewName)});
    FList.erase(FList.begin() + oldAt);
    Add(NewName);
}

WideString TSheetNameList::MakeValidSheetName(const WideString& Name)
{
    WideString result = Name.substr(0, 31);
    // Never keep half of a surrogate pair.
    if (result.size() == 31 && Name.size() > 31 && result[30] >= 0xD800 && result[30] <= 0xDBFF)
        result.pop_back();
    for (char16_t& c : result) {
        switch (c) {
        case u'/':
        case u'\\':
        case u'?':
        case u'[':
        case u']':
        case u'*':
            c = u'_';
            break;
        case u':':
            c = u'.';
            break;
        default:
            break;
        }
    }
    return result;
}
