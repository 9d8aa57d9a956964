#include "print/VuRtfFuncs.h"

#include "platform/forms/Forms.h"
#include "platform/win/Messages.h"

#include <algorithm>
#include <cctype>

namespace {

DWORD StreamIn(DWORD_PTR Cookie, BYTE* Buffer, LONG Count, LONG* Done)
{
    auto* S = reinterpret_cast<TStream*>(Cookie);
    Int64 Left = S->Size() - S->Position();
    LONG Want = static_cast<LONG>(std::min<Int64>(Count, std::max<Int64>(Left, 0)));
    LONG Read = Want > 0 ? S->Read(Buffer, Want) : 0;
    *Done = Read;
    return Read == Want ? 0 : DWORD(0x80004005); // E_FAIL
}

DWORD StreamOut(DWORD_PTR Cookie, BYTE* Buffer, LONG Count, LONG* Done)
{
    auto* S = reinterpret_cast<TStream*>(Cookie);
    *Done = Count > 0 ? S->Write(Buffer, Count) : 0;
    return 0;
}

AnsiString LowerClassName(TCustomMemo* Memo)
{
    AnsiString N = Memo->ClassName();
    std::transform(N.begin(), N.end(), N.begin(), [](unsigned char C) { return char(std::tolower(C)); });
    return N;
}

void StreamInto(TCustomMemo* Memo, TStream* Stream)
{
    EDITSTREAM Es;
    Es.dwCookie = reinterpret_cast<DWORD_PTR>(Stream);
    Es.pfnCallback = StreamIn;
    Memo->Handle();
    Memo->Perform(EM_STREAMIN, SF_RTF | SFF_SELECTION, reinterpret_cast<LPARAM>(&Es));
}

// A rich edit needs a parent window to have a window of its own. A memo without one gets the
// application's main form (or, before there is one, a hidden form made for the call) for the
// time of the operation, and its own parent (none) back afterwards, also on failure.
class TemporaryParent {
public:
    explicit TemporaryParent(TCustomMemo* Memo) : FMemo(Memo)
    {
        if (Memo->Parent())
            return;
        TWinControl* Host = Application ? Application->MainForm() : nullptr;
        if (!Host) {
            FOwnHost = New<TForm>(nullptr);
            FOwnHost->SetBorderStyle(bsNone);
            FOwnHost->SetBounds(0, 0, 0, 0);
            Host = FOwnHost;
        }
        Memo->SetParent(Host);
        FSet = true;
    }
    ~TemporaryParent()
    {
        if (FSet)
            FMemo->SetParent(nullptr);
        if (FOwnHost)
            FOwnHost->Free();
    }
    TemporaryParent(const TemporaryParent&) = delete;
    TemporaryParent& operator=(const TemporaryParent&) = delete;

private:
    TCustomMemo* FMemo;
    TForm* FOwnHost = nullptr;
    bool FSet = false;
};

} // namespace

void InsertRtfStream(TCustomMemo* Memo, TStream* Stream)
{
    TemporaryParent Parent(Memo);
    StreamInto(Memo, Stream);
}

void InsertRtfText(TCustomMemo* Memo, const AnsiString& Text)
{
    if (IsRxRichEdit(Memo)) {
        Memo->SetSelText(Text);
        return;
    }
    if (Text.empty())
        return;
    TMemoryStream S;
    S.WriteString(Text);
    S.SetPosition(0);
    TemporaryParent Parent(Memo); // the rich edits of the table have their host already
    StreamInto(Memo, &S);
}

void GetRtfTextStream(TCustomMemo* Memo, TStream* Stream)
{
    EDITSTREAM Es;
    Es.dwCookie = reinterpret_cast<DWORD_PTR>(Stream);
    Es.pfnCallback = StreamOut;
    Memo->Handle();
    Memo->Perform(EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&Es));
}

AnsiString GetRtfText(TCustomMemo* Memo)
{
    TMemoryStream S;
    TemporaryParent Parent(Memo);
    GetRtfTextStream(Memo, &S);
    return S.Size() ? AnsiString(static_cast<const char*>(S.Memory()), static_cast<size_t>(S.Size()))
                    : AnsiString();
}

TRichEdit* CreateTRichEdit()
{
    TRichEdit* R = New<TRichEdit>(nullptr);
    R->SetWidth(0);
    R->SetHeight(0);
    R->SetWordWrap(false);
    R->SetMaxLength(1000000);
    return R;
}

Integer GetLastOffset(TCustomMemo* Memo, GETTEXTLENGTHEX& Info)
{
    if (IsRxRichEdit(Memo)) {
        TemporaryParent Parent(Memo);
        return static_cast<Integer>(Memo->Perform(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&Info), 0));
    }
    return GetTextLength(Memo);
}

bool IsRichEdit98(TCustomMemo* Memo)
{
    return LowerClassName(Memo) == "trichedit98";
}

bool IsRxRichEdit(TCustomMemo* Memo)
{
    AnsiString N = LowerClassName(Memo);
    return N == "trxrichedit" || N == "trxdbrichedit" || N == "tjvxrichedit" || N == "tjvxdbrichedit";
}

Integer GetTextLength(TCustomMemo* Memo)
{
    TemporaryParent Parent(Memo);
    return static_cast<Integer>(Memo->Perform(WM_GETTEXTLENGTH, 0, 0));
}
