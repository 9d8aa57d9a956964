// TRichEdit over the rich edit window class.

#include "platform/forms/ComCtrls.h"

#include "platform/win/RichEdit.h"

#include <cstring>

// ---- TTextAttributes -----------------------------------------------------------------------------------

void TTextAttributes::Get(CHARFORMATA& Format) const
{
    Format = CHARFORMATA{};
    FRichEdit->Perform(EM_GETCHARFORMAT, FType == atSelected ? SCF_SELECTION : SCF_DEFAULT,
                       reinterpret_cast<LPARAM>(&Format));
}

void TTextAttributes::Set(CHARFORMATA& Format)
{
    FRichEdit->Perform(EM_SETCHARFORMAT, FType == atSelected ? SCF_SELECTION : SCF_DEFAULT,
                       reinterpret_cast<LPARAM>(&Format));
}

TColor TTextAttributes::Color() const
{
    CHARFORMATA F;
    Get(F);
    return (F.dwEffects & CFE_AUTOCOLOR) ? clWindowText : TColor(F.crTextColor);
}

void TTextAttributes::SetColor(TColor Value)
{
    CHARFORMATA F;
    F.dwMask = CFM_COLOR;
    if (Value == clWindowText)
        F.dwEffects = CFE_AUTOCOLOR;
    else
        F.crTextColor = ColorToRGB(Value);
    Set(F);
}

AnsiString TTextAttributes::Name() const
{
    CHARFORMATA F;
    Get(F);
    return AnsiString(F.szFaceName);
}

void TTextAttributes::SetName(const AnsiString& Value)
{
    CHARFORMATA F;
    F.dwMask = CFM_FACE;
    std::strncpy(F.szFaceName, Value.c_str(), sizeof(F.szFaceName) - 1);
    Set(F);
}

Integer TTextAttributes::Size() const
{
    CHARFORMATA F;
    Get(F);
    return F.yHeight / 20;
}

void TTextAttributes::SetSize(Integer Value)
{
    CHARFORMATA F;
    F.dwMask = CFM_SIZE;
    F.yHeight = Value * 20;
    Set(F);
}

Integer TTextAttributes::Height() const
{
    return MulDiv(Size(), 96, 72);
}

void TTextAttributes::SetHeight(Integer Value)
{
    SetSize(MulDiv(Value, 72, 96));
}

TFontStyles TTextAttributes::Style() const
{
    CHARFORMATA F;
    Get(F);
    TFontStyles S;
    if (F.dwEffects & CFE_BOLD)
        S.Include(fsBold);
    if (F.dwEffects & CFE_ITALIC)
        S.Include(fsItalic);
    if (F.dwEffects & CFE_UNDERLINE)
        S.Include(fsUnderline);
    if (F.dwEffects & CFE_STRIKEOUT)
        S.Include(fsStrikeOut);
    return S;
}

void TTextAttributes::SetStyle(TFontStyles Value)
{
    CHARFORMATA F;
    F.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
    F.dwEffects = (Value.Contains(fsBold) ? DWORD(CFE_BOLD) : 0u) |
                  (Value.Contains(fsItalic) ? DWORD(CFE_ITALIC) : 0u) |
                  (Value.Contains(fsUnderline) ? DWORD(CFE_UNDERLINE) : 0u) |
                  (Value.Contains(fsStrikeOut) ? DWORD(CFE_STRIKEOUT) : 0u);
    Set(F);
}

Integer TTextAttributes::Offset() const
{
    CHARFORMATA F;
    Get(F);
    return F.yOffset;
}

void TTextAttributes::SetOffset(Integer Value)
{
    CHARFORMATA F;
    F.dwMask = CFM_OFFSET;
    F.yOffset = Value;
    Set(F);
}

// ---- Streams -------------------------------------------------------------------------------------------

namespace {

DWORD ReadFromStream(DWORD_PTR Cookie, BYTE* Buffer, LONG Count, LONG* Done)
{
    *Done = reinterpret_cast<TStream*>(Cookie)->Read(Buffer, Count);
    return 0;
}

DWORD WriteToStream(DWORD_PTR Cookie, BYTE* Buffer, LONG Count, LONG* Done)
{
    *Done = reinterpret_cast<TStream*>(Cookie)->Write(Buffer, Count);
    return 0;
}

} // namespace

TRichEditStrings::TRichEditStrings(TCustomRichEdit* ARichEdit) : TMemoStrings(ARichEdit), FRichEdit(ARichEdit)
{
}

void TRichEditStrings::LoadFromStream(TStream* Stream)
{
    FRichEdit->LoadFromStream(Stream);
}

void TRichEditStrings::SaveToStream(TStream* Stream)
{
    FRichEdit->SaveToStream(Stream);
}

// ---- TCustomRichEdit -----------------------------------------------------------------------------------

TCustomRichEdit::TCustomRichEdit(TComponent* AOwner)
    : TCustomMemo(AOwner), FRichLines(std::make_unique<TRichEditStrings>(this)),
      FSelAttributes(std::make_unique<TTextAttributes>(this, TTextAttributes::atSelected)),
      FDefAttributes(std::make_unique<TTextAttributes>(this, TTextAttributes::atDefaultText))
{
}

TCustomRichEdit::~TCustomRichEdit() = default;

void TCustomRichEdit::CreateParams(TCreateParams& Params)
{
    RegisterRichEditClass();
    TCustomMemo::CreateParams(Params);
    CreateSubClass(Params, "RichEdit20A");
}

void TCustomRichEdit::CreateWnd()
{
    TCustomMemo::CreateWnd();
    Perform(EM_SETEVENTMASK, 0, ENM_CHANGE | ENM_SELCHANGE | ENM_REQUESTRESIZE);
}

Integer TCustomRichEdit::GetTextLen()
{
    GETTEXTLENGTHEX G;
    return Integer(Perform(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&G), 0));
}

void TCustomRichEdit::LoadFromStream(TStream* Stream, bool Selection)
{
    EDITSTREAM Es;
    Es.dwCookie = reinterpret_cast<DWORD_PTR>(Stream);
    Es.pfnCallback = ReadFromStream;
    WPARAM Format = (FPlainText ? SF_TEXT : SF_RTF) | (Selection ? WPARAM(SFF_SELECTION) : WPARAM(0));
    Handle();
    Perform(EM_STREAMIN, Format, reinterpret_cast<LPARAM>(&Es));
}

void TCustomRichEdit::SaveToStream(TStream* Stream, bool Selection)
{
    EDITSTREAM Es;
    Es.dwCookie = reinterpret_cast<DWORD_PTR>(Stream);
    Es.pfnCallback = WriteToStream;
    WPARAM Format = (FPlainText ? SF_TEXT : SF_RTF) | (Selection ? WPARAM(SFF_SELECTION) : WPARAM(0));
    Handle();
    Perform(EM_STREAMOUT, Format, reinterpret_cast<LPARAM>(&Es));
}

void TCustomRichEdit::SelectionChange()
{
    if (OnSelectionChange)
        OnSelectionChange(this);
}

void TCustomRichEdit::RequestSize(const TRect& Rect)
{
    if (OnResizeRequest)
        OnResizeRequest(this, Rect);
}

void TCustomRichEdit::WndProc(TMessage& Message)
{
    if (Message.Msg == CN_NOTIFY && Message.LParam) {
        const auto* N = reinterpret_cast<const NMHDR*>(Message.LParam);
        if (N->code == EN_SELCHANGE)
            SelectionChange();
        else if (N->code == EN_REQUESTRESIZE)
            RequestSize(reinterpret_cast<const REQRESIZE*>(Message.LParam)->rc);
        return;
    }
    TCustomMemo::WndProc(Message);
}
