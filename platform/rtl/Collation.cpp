// Locale-aware collation and full Unicode case mapping through ICU, shared by the runtime's
// Ansi.../Wide... string routines and the sorted and searching controls.
//
// The collation locale is the user's (LC_ALL, LC_COLLATE, then LANG, as the C library reads
// them) unless the program sets one; "C" and "POSIX" give the root collation, which still sorts
// accented letters beside their base letters. Each thread keeps the collators it last looked up
// and looks again only after the program has set another collation locale.

#include "platform/rtl/Strings.h"

#include <unicode/uchar.h>
#include <unicode/ucol.h>
#include <unicode/ustring.h>

#include <atomic>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>

namespace {

struct CollatorPair {
    UCollator* Exact = nullptr;  // tertiary: case and accents count
    UCollator* NoCase = nullptr; // secondary: accents count, case does not
    ~CollatorPair()
    {
        if (Exact)
            ucol_close(Exact);
        if (NoCase)
            ucol_close(NoCase);
    }
};

std::mutex& CollationLock()
{
    static std::mutex M;
    return M;
}

AnsiString& ChosenLocale()
{
    static AnsiString Name;
    return Name;
}

bool& LocaleChosen()
{
    static bool Chosen = false;
    return Chosen;
}

// "zh_TW.UTF-8@stroke" -> "zh_TW@stroke"; "C" and "POSIX" -> "" (root).
AnsiString IcuLocaleName(AnsiString Name)
{
    const std::size_t At = Name.find('@');
    AnsiString Modifier = At == AnsiString::npos ? AnsiString() : Name.substr(At);
    Name = Name.substr(0, std::min(Name.find('.'), At));
    if (Name == "C" || Name == "POSIX")
        Name.clear();
    return Name + Modifier;
}

AnsiString EnvironmentLocale()
{
    for (const char* Var : {"LC_ALL", "LC_COLLATE", "LANG"})
        if (const char* V = std::getenv(Var); V && *V)
            return V;
    return {};
}

// Counts the changes of the collation locale; a thread's cached collators are those of one count.
std::atomic<unsigned>& LocaleGeneration()
{
    static std::atomic<unsigned> Generation{1};
    return Generation;
}

// The collators of the current collation locale, made on first use and kept for the program.
const CollatorPair& LookUpCollators()
{
    static std::map<AnsiString, std::unique_ptr<CollatorPair>> Made;
    std::lock_guard Lock(CollationLock());
    const AnsiString Name = IcuLocaleName(LocaleChosen() ? ChosenLocale() : EnvironmentLocale());
    auto& Slot = Made[Name];
    if (!Slot) {
        Slot = std::make_unique<CollatorPair>();
        for (UCollator** C : {&Slot->Exact, &Slot->NoCase}) {
            UErrorCode Err = U_ZERO_ERROR;
            *C = ucol_open(Name.c_str(), &Err);
            if (U_FAILURE(Err) || !*C) {
                Err = U_ZERO_ERROR;
                *C = ucol_open("", &Err);
            }
        }
        ucol_setStrength(Slot->Exact, UCOL_TERTIARY);
        ucol_setStrength(Slot->NoCase, UCOL_SECONDARY);
    }
    return *Slot;
}

const CollatorPair& Collators()
{
    thread_local unsigned Generation = 0;
    thread_local const CollatorPair* Cached = nullptr;
    const unsigned Current = LocaleGeneration().load(std::memory_order_acquire);
    if (Generation != Current) {
        Cached = &LookUpCollators();
        Generation = Current;
    }
    return *Cached;
}

Integer FromResult(UCollationResult R)
{
    return R == UCOL_LESS ? -1 : (R == UCOL_GREATER ? 1 : 0);
}

template <class S> Integer Ordinal(const S& A, const S& B)
{
    // UTF-8 bytes and UTF-16 units outside surrogates order like code points; equal collation
    // keys of distinct strings (ignorable characters) still need a fixed order.
    const int C = A.compare(B);
    return C < 0 ? -1 : (C > 0 ? 1 : 0);
}

enum class TCaseMap { Upper, Lower, Fold };

WideString MapCase(const WideString& S, TCaseMap Map)
{
    if (S.empty())
        return S;
    WideString Out(S.size() + 8, u'\0');
    for (int Pass = 0; Pass < 2; ++Pass) {
        UErrorCode Err = U_ZERO_ERROR;
        int32_t N = 0;
        const auto* Src = reinterpret_cast<const UChar*>(S.data());
        auto* Dst = reinterpret_cast<UChar*>(Out.data());
        const auto Cap = int32_t(Out.size());
        switch (Map) {
        case TCaseMap::Upper:
            N = u_strToUpper(Dst, Cap, Src, int32_t(S.size()), "", &Err);
            break;
        case TCaseMap::Lower:
            N = u_strToLower(Dst, Cap, Src, int32_t(S.size()), "", &Err);
            break;
        case TCaseMap::Fold:
            N = u_strFoldCase(Dst, Cap, Src, int32_t(S.size()), U_FOLD_CASE_DEFAULT, &Err);
            break;
        }
        if (Err == U_BUFFER_OVERFLOW_ERROR) {
            Out.assign(std::size_t(N), u'\0');
            continue;
        }
        if (U_FAILURE(Err))
            return S;
        Out.resize(std::size_t(N));
        return Out;
    }
    return S;
}

} // namespace

void SetCollationLocale(const AnsiString& Name)
{
    std::lock_guard Lock(CollationLock());
    ChosenLocale() = Name;
    LocaleChosen() = true;
    LocaleGeneration().fetch_add(1, std::memory_order_release);
}

Integer AnsiCompareStr(const AnsiString& S1, const AnsiString& S2)
{
    UErrorCode Err = U_ZERO_ERROR;
    const Integer R = FromResult(ucol_strcollUTF8(Collators().Exact, S1.data(), int32_t(S1.size()), S2.data(),
                                                  int32_t(S2.size()), &Err));
    return (U_FAILURE(Err) || R == 0) ? Ordinal(S1, S2) : R;
}

Integer AnsiCompareText(const AnsiString& S1, const AnsiString& S2)
{
    UErrorCode Err = U_ZERO_ERROR;
    const Integer R = FromResult(ucol_strcollUTF8(Collators().NoCase, S1.data(), int32_t(S1.size()),
                                                  S2.data(), int32_t(S2.size()), &Err));
    if (U_FAILURE(Err))
        return Ordinal(AnsiLowerCase(S1), AnsiLowerCase(S2));
    return R;
}

Integer WideCompareStr(const WideString& S1, const WideString& S2)
{
    const Integer R = FromResult(ucol_strcoll(Collators().Exact, reinterpret_cast<const UChar*>(S1.data()),
                                              int32_t(S1.size()), reinterpret_cast<const UChar*>(S2.data()),
                                              int32_t(S2.size())));
    return R == 0 ? Ordinal(S1, S2) : R;
}

Integer WideCompareText(const WideString& S1, const WideString& S2)
{
    return FromResult(ucol_strcoll(Collators().NoCase, reinterpret_cast<const UChar*>(S1.data()),
                                   int32_t(S1.size()), reinterpret_cast<const UChar*>(S2.data()),
                                   int32_t(S2.size())));
}

WideString WideUpperCase(const WideString& S)
{
    return MapCase(S, TCaseMap::Upper);
}

WideString WideLowerCase(const WideString& S)
{
    return MapCase(S, TCaseMap::Lower);
}

WideString WideFoldCase(const WideString& S)
{
    return MapCase(S, TCaseMap::Fold);
}

char32_t UnicodeUpper(char32_t C)
{
    return C > 0x10FFFF ? C : char32_t(u_toupper(UChar32(C)));
}

char32_t UnicodeLower(char32_t C)
{
    return C > 0x10FFFF ? C : char32_t(u_tolower(UChar32(C)));
}
