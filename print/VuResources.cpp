#include "print/VuResources.h"

#include "platform/forms/Forms.h"
#include "platform/forms/Jpeg.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Guards.h"
#include "platform/win/Colors.h"
#include "platform/win/Gdi.h"
#include "print/VuRtfFuncs.h"
#include "print/VuValueList.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Loads one value-list block, the unit every resource is stored in.
void LoadBlock(TVuValueList& List, TStream* Stream)
{
    List.LoadFromStream(Stream);
}

bool SameGraphicData(TGraphic* A, TGraphic* B)
{
    if (A->Width() != B->Width() || A->Height() != B->Height())
        return false;
    if (typeid(*A) != typeid(*B))
        return false;
    TMemoryStream SA, SB;
    A->SaveToStream(&SA);
    B->SaveToStream(&SB);
    return SA.Size() == SB.Size() &&
           (SA.Size() == 0 || std::memcmp(SA.Memory(), SB.Memory(), static_cast<size_t>(SA.Size())) == 0);
}

} // namespace

// ---- Brush ----

void TVuBrush::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TVuBrush::SetColor(TColor Value)
{
    if (Value == FColor)
        return;
    FColor = Value;
    FStyle = bsSolid;
    Changed();
}

void TVuBrush::SetStyle(TBrushStyle Value)
{
    if (Value == FStyle)
        return;
    FStyle = Value;
    Changed();
}

void TVuBrush::Assign(TPersistent* Source)
{
    if (!Source)
        return;
    if (auto* B = dynamic_cast<TVuBrush*>(Source)) {
        FColor = B->FColor;
        FStyle = B->FStyle;
    } else if (auto* P = dynamic_cast<TBrush*>(Source)) {
        FColor = P->Color();
        FStyle = P->Style();
    } else {
        TPersistent::Assign(Source);
        return;
    }
    Changed();
}

void TVuBrush::AssignToCanvas(TCanvas* Canvas) const
{
    Canvas->Brush()->SetColor(FColor);
    Canvas->Brush()->SetStyle(FColor == clNone ? bsClear : FStyle);
}

void TVuBrush::SaveToStream(TStream* Stream) const
{
    TVuValueList L;
    L.WriteIntValue("CL", static_cast<Integer>(FColor));
    L.WriteIntValue("ST", FStyle);
    L.SaveToStream(Stream);
}

void TVuBrush::LoadFromStream(TStream* Stream)
{
    TVuValueList L;
    LoadBlock(L, Stream);
    FColor = static_cast<TColor>(L.ReadIntValue("CL", 16777215));
    FStyle = static_cast<TBrushStyle>(std::clamp(L.ReadIntValue("ST", 0), 0, int(bsDiagCross)));
}

// ---- Pen ----

void TVuPen::Changed()
{
    if (OnChange)
        OnChange(this);
}

#define VU_SETTER(Class, Field, Type, Setter)                                                                \
    void Class::Setter(Type Value)                                                                           \
    {                                                                                                        \
        if (Value == Field)                                                                                  \
            return;                                                                                          \
        Field = Value;                                                                                       \
        Changed();                                                                                           \
    }
VU_SETTER(TVuPen, FWidth, Integer, SetWidth)
VU_SETTER(TVuPen, FColor, TColor, SetColor)
VU_SETTER(TVuPen, FStyle, TPenStyle, SetStyle)
VU_SETTER(TVuPen, FMode, TPenMode, SetMode)
VU_SETTER(TVuFont, FSize, Integer, SetSize)
VU_SETTER(TVuFont, FStyle, TFontStyles, SetStyle)
VU_SETTER(TVuFont, FAngle, Extended, SetAngle)
VU_SETTER(TVuFont, FColor, TColor, SetColor)
VU_SETTER(TVuFont, FCharset, TFontCharset, SetCharset)
VU_SETTER(TVuFont, FName, const AnsiString&, SetName)
#undef VU_SETTER

void TVuPen::Assign(TPersistent* Source)
{
    if (auto* P = dynamic_cast<TVuPen*>(Source)) {
        FWidth = P->FWidth;
        FColor = P->FColor;
        FStyle = P->FStyle;
        FMode = P->FMode;
    } else if (auto* Q = dynamic_cast<TPen*>(Source)) {
        FWidth = Q->Width();
        FColor = Q->Color();
        FStyle = Q->Style();
        FMode = Q->Mode();
    } else {
        TPersistent::Assign(Source);
        return;
    }
    Changed();
}

void TVuPen::AssignToCanvas(TCanvas* Canvas, Integer Ppi) const
{
    TPen* Pen = Canvas->Pen();
    Pen->SetColor(FColor);
    Pen->SetStyle(FStyle);
    Pen->SetWidth(static_cast<Integer>(VuRound(Extended(Ppi) / 72 / 4 * FWidth)));
    if (FColor == clNone)
        Pen->SetStyle(psClear);
}

void TVuPen::AssignToPen(TPen* Pen) const
{
    Pen->SetColor(FColor);
    Pen->SetStyle(FStyle);
    Pen->SetWidth(FWidth);
}

void TVuPen::SaveToStream(TStream* Stream) const
{
    TVuValueList L;
    L.WriteIntValue("CL", static_cast<Integer>(FColor));
    L.WriteIntValue("SZ", FWidth);
    L.WriteIntValue("ST", FStyle);
    L.WriteIntValue("PM", FMode);
    L.SaveToStream(Stream);
}

void TVuPen::LoadFromStream(TStream* Stream)
{
    TVuValueList L;
    LoadBlock(L, Stream);
    FColor = static_cast<TColor>(L.ReadIntValue("CL", 0));
    FWidth = L.ReadIntValue("SZ", 1);
    FStyle = static_cast<TPenStyle>(std::clamp(L.ReadIntValue("ST", 0), 0, int(psInsideFrame)));
    FMode = static_cast<TPenMode>(std::clamp(L.ReadIntValue("PM", 4), 0, int(pmNotXor)));
}

// ---- Font ----

void TVuFont::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TVuFont::Assign(TPersistent* Source)
{
    if (auto* F = dynamic_cast<TVuFont*>(Source)) {
        FSize = F->FSize;
        FStyle = F->FStyle;
        FAngle = F->FAngle;
        FColor = F->FColor;
        FCharset = F->FCharset;
        FName = F->FName;
    } else if (auto* P = dynamic_cast<TFont*>(Source)) {
        FSize = P->Size();
        FColor = P->Color();
        FCharset = P->Charset();
        FName = P->Name();
        FStyle = P->Style();
        FAngle = 0;
    } else {
        TPersistent::Assign(Source);
    }
}

void TVuFont::AssignToFont(TFont* Font) const
{
    Font->SetColor(FColor);
    Font->SetSize(FSize);
    Font->SetName(FName);
    Font->SetCharset(FCharset);
    Font->SetStyle(FStyle);
    // The platform font keeps no escapement: angled text is drawn by the page object with a
    // font handle of its own.
}

void TVuFont::SaveToStream(TStream* Stream) const
{
    TVuValueList L;
    L.WriteIntValue("CL", static_cast<Integer>(FColor));
    L.WriteStringValue("ST", FontStyleToString(FStyle));
    L.WriteExtValue("FA", FAngle);
    L.WriteIntValue("SZ", FSize);
    L.WriteIntValue("CS", FCharset);
    L.WriteStringValue("FN", FName);
    L.SaveToStream(Stream);
}

void TVuFont::LoadFromStream(TStream* Stream)
{
    TVuValueList L;
    LoadBlock(L, Stream);
    FColor = static_cast<TColor>(L.ReadIntValue("CL", 16777215));
    FStyle = FontStyleFromString(L.ReadStringValue("ST", ""));
    FName = L.ReadStringValue("FN", "Arial");
    FSize = L.ReadIntValue("SZ", 10);
    FAngle = L.ReadExtValue("FA", 0);
    FCharset = static_cast<TFontCharset>(L.ReadIntValue("CS", 1));
}

// ---- Lists ----

Integer TVuReferenceList::GetValue(Integer I) const
{
    return StrToInt(Strings(I));
}

TVuResourceList::~TVuResourceList()
{
    Clear();
}

TObject* TVuResourceList::Item(Integer Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError("List index out of bounds (" + IntToStr(Index) + ")");
    return FItems[static_cast<size_t>(Index)];
}

Integer TVuResourceList::IndexOfEntry(const TObject* Entry) const
{
    auto It = std::find(FItems.begin(), FItems.end(), Entry);
    return It == FItems.end() ? -1 : static_cast<Integer>(It - FItems.begin());
}

TObject* TVuResourceList::Intern(Integer Found, std::unique_ptr<TObject> Fresh)
{
    if (Found >= 0) {
        FCounts.IncValueAtIndex(Found);
        return FItems[static_cast<size_t>(Found)];
    }
    FItems.push_back(Fresh.release());
    FCounts.AddValue(1);
    return FItems.back();
}

void TVuResourceList::Replace(Integer Index, TObject* Entry)
{
    TObject* Old = Item(Index);
    FItems[static_cast<size_t>(Index)] = Entry;
    Old->Free();
}

void TVuResourceList::DeleteResource(TObject* Entry)
{
    Integer Index = IndexOfEntry(Entry);
    if (Index < 0)
        return;
    if (FCounts.GetValue(Index) <= 1) {
        FCounts.Delete(Index);
        FItems.erase(FItems.begin() + Index);
        Entry->Free();
        // Stored indices after this entry moved down with it.
        for (Integer& L : FLoadedIndex)
            if (L == Index)
                L = -1;
            else if (L > Index)
                --L;
    } else {
        FCounts.DecValueAtIndex(Index);
    }
}

void TVuResourceList::Clear()
{
    for (TObject* O : FItems)
        O->Free();
    FItems.clear();
    FCounts.Clear();
    FLoadedIndex.clear();
}

TObject* TVuResourceList::ResolveLoaded(Integer I)
{
    if (I < 0 || I >= static_cast<Integer>(FLoadedIndex.size()) || FLoadedIndex[static_cast<size_t>(I)] < 0)
        return nullptr;
    Integer Index = FLoadedIndex[static_cast<size_t>(I)];
    FCounts.IncValueAtIndex(Index);
    return FItems[static_cast<size_t>(Index)];
}

void TVuResourceList::EndLoad()
{
    std::vector<Integer> Held = std::move(FLoadedIndex);
    FLoadedIndex.clear();
    std::vector<TObject*> Entries;
    for (Integer I : Held)
        if (I >= 0)
            Entries.push_back(FItems[static_cast<size_t>(I)]);
    for (TObject* E : Entries)
        DeleteResource(E);
}

Integer TVuResourceList::ReadItemCount(TStream* Stream, Integer MinBytes)
{
    Integer N = Stream->ReadInteger();
    Int64 Remaining = Stream->Size() - Stream->Position();
    if (N < 0 || Int64(N) * MinBytes > Remaining)
        throw EReadError("Stream read error");
    return N;
}

TVuBrush* TVuBrushList::AddBrush(const TVuBrush* Brush)
{
    auto Fresh = std::make_unique<TVuBrush>();
    Fresh->Assign(const_cast<TVuBrush*>(Brush));
    return static_cast<TVuBrush*>(Intern(IndexOf(Brush), std::move(Fresh)));
}

Integer TVuBrushList::IndexOf(const TVuBrush* Brush) const
{
    for (Integer i = 0; i < Count(); ++i)
        if (GetBrush(i)->SameAs(*Brush))
            return i;
    return -1;
}

void TVuBrushList::SaveToStream(TStream* Stream)
{
    Stream->WriteInteger(Count());
    for (Integer i = 0; i < Count(); ++i)
        GetBrush(i)->SaveToStream(Stream);
}

void TVuBrushList::LoadFromStream(TStream* Stream)
{
    Clear();
    BeginLoad();
    Integer N = ReadItemCount(Stream, 4);
    for (Integer i = 0; i < N; ++i) {
        TVuBrush B;
        B.LoadFromStream(Stream);
        NoteLoaded(AddBrush(&B));
    }
}

TVuFont* TVuFontList::AddFont(const TVuFont* Font)
{
    auto Fresh = std::make_unique<TVuFont>();
    Fresh->Assign(const_cast<TVuFont*>(Font));
    return static_cast<TVuFont*>(Intern(IndexOf(Font), std::move(Fresh)));
}

Integer TVuFontList::IndexOf(const TVuFont* Font) const
{
    for (Integer i = 0; i < Count(); ++i)
        if (GetFont(i)->SameAs(*Font))
            return i;
    return -1;
}

void TVuFontList::SaveToStream(TStream* Stream)
{
    Stream->WriteInteger(Count());
    for (Integer i = 0; i < Count(); ++i)
        GetFont(i)->SaveToStream(Stream);
}

void TVuFontList::LoadFromStream(TStream* Stream)
{
    Clear();
    BeginLoad();
    Integer N = ReadItemCount(Stream, 4);
    for (Integer i = 0; i < N; ++i) {
        TVuFont F;
        F.LoadFromStream(Stream);
        NoteLoaded(AddFont(&F));
    }
}

TVuPen* TVuPenList::AddPen(const TVuPen* Pen)
{
    auto Fresh = std::make_unique<TVuPen>();
    Fresh->Assign(const_cast<TVuPen*>(Pen));
    return static_cast<TVuPen*>(Intern(IndexOf(Pen), std::move(Fresh)));
}

Integer TVuPenList::IndexOf(const TVuPen* Pen) const
{
    for (Integer i = 0; i < Count(); ++i)
        if (GetPen(i)->SameAs(*Pen))
            return i;
    return -1;
}

void TVuPenList::SaveToStream(TStream* Stream)
{
    Stream->WriteInteger(Count());
    for (Integer i = 0; i < Count(); ++i)
        GetPen(i)->SaveToStream(Stream);
}

void TVuPenList::LoadFromStream(TStream* Stream)
{
    BeginLoad();
    Integer N = ReadItemCount(Stream, 4);
    for (Integer i = 0; i < N; ++i) {
        TVuPen P;
        P.LoadFromStream(Stream);
        NoteLoaded(AddPen(&P));
    }
}

Integer TVuGraphicList::GetGraphicType(const TGraphic* Graphic)
{
    if (dynamic_cast<const TJPEGImage*>(Graphic))
        return 0;
    if (dynamic_cast<const TMetafile*>(Graphic))
        return 1;
    return 2;
}

namespace {
std::unique_ptr<TGraphic> NewGraphicOfType(Integer Type)
{
    switch (Type) {
    case 0:
        return std::unique_ptr<TGraphic>(New<TJPEGImage>());
    case 1:
        return std::unique_ptr<TGraphic>(New<TMetafile>());
    case 2:
        return std::unique_ptr<TGraphic>(New<TBitmap>());
    default:
        return nullptr;
    }
}
} // namespace

TGraphic* TVuGraphicList::AddGraphic(TGraphic* Graphic)
{
    if (!Graphic || !(dynamic_cast<TJPEGImage*>(Graphic) || dynamic_cast<TMetafile*>(Graphic) ||
                      dynamic_cast<TBitmap*>(Graphic)))
        return nullptr;
    Integer Found = CompareGraphics ? IndexOf(Graphic) : -1;
    std::unique_ptr<TGraphic> Fresh;
    if (Found < 0) {
        Fresh = NewGraphicOfType(GetGraphicType(Graphic));
        Fresh->Assign(Graphic);
    }
    return static_cast<TGraphic*>(Intern(Found, std::move(Fresh)));
}

Integer TVuGraphicList::IndexOf(TGraphic* Graphic) const
{
    for (Integer i = 0; i < Count(); ++i)
        if (SameGraphicData(GetGraphic(i), Graphic))
            return i;
    return -1;
}

void TVuGraphicList::SaveToStream(TStream* Stream)
{
    Stream->WriteInteger(Count());
    for (Integer i = 0; i < Count(); ++i) {
        TGraphic* G = GetGraphic(i);
        Stream->WriteByte(static_cast<Byte>(GetGraphicType(G)));
        Int64 At = Stream->Position();
        Stream->WriteInteger(0);
        G->SaveToStream(Stream);
        Int64 End = Stream->Size();
        Stream->SetPosition(At);
        Stream->WriteInteger(static_cast<Integer>(End));
        Stream->SetPosition(End);
    }
}

void TVuGraphicList::LoadFromStream(TStream* Stream)
{
    BeginLoad();
    Integer N = ReadItemCount(Stream, 5);
    for (Integer i = 0; i < N; ++i) {
        Integer Type = Stream->ReadByte();
        Integer End = Stream->ReadInteger();
        // The end must lie ahead within the stream: a stored position pointing back would make
        // a loop of the load, one beyond the end a read past it.
        if (End < Stream->Position() || End > Stream->Size())
            throw EReadError("Stream read error");
        if (auto G = NewGraphicOfType(Type)) {
            TMemoryStream Data;
            if (End > Stream->Position())
                Data.CopyFrom(Stream, End - Stream->Position());
            Data.SetPosition(0);
            G->LoadFromStream(&Data);
            TGraphic* Entry = G.get();
            Intern(-1, std::move(G));
            NoteLoaded(Entry);
        } else {
            NoteLoaded(nullptr);
        }
        Stream->SetPosition(End);
    }
}

TVuCustomMemoList::~TVuCustomMemoList()
{
    Clear();
    if (FHost)
        FHost->Free();
}

TCustomMemo* TVuCustomMemoList::Hosted(TCustomMemo* Memo)
{
    if (!FHost) {
        TForm* Host = New<TForm>(nullptr);
        Host->SetBorderStyle(bsNone);
        Host->SetBounds(0, 0, 0, 0);
        FHost = Host;
    }
    Memo->SetParent(FHost);
    return Memo;
}

TCustomMemo* TVuCustomMemoList::CreateMemo()
{
    TCustomMemo* Memo = nullptr;
    if (OnCreateMemo)
        OnCreateMemo(this, Memo);
    if (Memo) {
        Memo->SetWidth(0);
        Memo->SetHeight(0);
        return Hosted(Memo);
    }
    return Hosted(CreateTRichEdit());
}

TCustomMemo* TVuCustomMemoList::AddMemo(TCustomMemo* Memo)
{
    Integer Found = IndexOfEntry(Memo);
    if (Found >= 0)
        return static_cast<TCustomMemo*>(Intern(Found, nullptr));
    std::unique_ptr<TCustomMemo, void (*)(TCustomMemo*)> Copy(CreateMemo(),
                                                              [](TCustomMemo* M) { M->Free(); });
    InsertRtfText(Copy.get(), GetRtfText(Memo));
    TCustomMemo* Entry = Copy.release();
    return static_cast<TCustomMemo*>(Intern(-1, std::unique_ptr<TObject>(Entry)));
}

TVuMemoType TVuCustomMemoList::GetMemoType(TCustomMemo* Memo)
{
    return Memo->ClassName() == "TMemo" ? vuMemo : vuRichEdit;
}

void TVuCustomMemoList::SaveToStream(TStream* Stream)
{
    TVuWriter W(Stream);
    W.WriteInteger(Count());
    for (Integer i = 0; i < Count(); ++i) {
        W.WriteInteger(GetMemoType(GetMemo(i)));
        W.WriteString(GetRtfText(GetMemo(i)));
    }
}

void TVuCustomMemoList::LoadFromStream(TStream* Stream)
{
    BeginLoad();
    TVuReader R(Stream);
    Integer N = ReadItemCount(Stream, 8);
    for (Integer i = 0; i < N; ++i) {
        Integer Type = R.ReadInteger();
        AnsiString Rtf = R.ReadString(); // a length beyond the stream raises EReadError
        std::unique_ptr<TCustomMemo, void (*)(TCustomMemo*)> Loaded(
            Type == vuRichEdit ? CreateMemo() : CreateTRichEdit(), [](TCustomMemo* M) { M->Free(); });
        InsertRtfText(Loaded.get(), Rtf);
        NoteLoaded(AddMemo(Loaded.get())); // stores a copy
    }
}

void TVuResourceTable::Clear()
{
    FBrushes.Clear();
    FMemos.Clear();
    FFonts.Clear();
    FPens.Clear();
    FGraphics.Clear();
}

void TVuResourceTable::SaveToStream(TStream* Stream)
{
    FBrushes.SaveToStream(Stream);
    FFonts.SaveToStream(Stream);
    FPens.SaveToStream(Stream);
    FGraphics.SaveToStream(Stream);
    FMemos.SaveToStream(Stream);
}

void TVuResourceTable::LoadFromStream(TStream* Stream)
{
    FBrushes.LoadFromStream(Stream);
    FFonts.LoadFromStream(Stream);
    FPens.LoadFromStream(Stream);
    FGraphics.LoadFromStream(Stream);
    FMemos.LoadFromStream(Stream);
}

void TVuResourceTable::EndLoad()
{
    FBrushes.EndLoad();
    FFonts.EndLoad();
    FPens.EndLoad();
    FGraphics.EndLoad();
    FMemos.EndLoad();
}

// ---- Pen text ----

AnsiString PenToString(TPen* Pen)
{
    return IntToStr(static_cast<long long>(Pen->Color())) + "," + IntToStr(Pen->Width()) + "," +
           IntToStr(int(Pen->Style())) + "," + IntToStr(int(Pen->Mode()));
}

void PenFromString(TPen* Pen, const AnsiString& Text)
{
    std::unique_ptr<TStringList> Items(New<TStringList>());
    Items->SetCommaText(Text);
    Pen->SetColor(static_cast<TColor>(StrToInt64(Items->Strings(0))));
    Pen->SetWidth(StrToInt(Items->Strings(1)));
    Pen->SetStyle(static_cast<TPenStyle>(std::clamp(StrToInt(Items->Strings(2)), 0, int(psInsideFrame))));
    Pen->SetMode(static_cast<TPenMode>(std::clamp(StrToInt(Items->Strings(3)), 0, int(pmNotXor))));
}

// ---- Font mapper ----

TVuFontMapper::TVuFontMapper()
{
    AnsiString Os = ReturnOSVersion();
    CALC_PPI = (Os == "Windows 98" || Os == "Windows 95") ? 3600 : 7200;
    FMeasuringPpi = CALC_PPI;
    FBitmap.reset(New<TBitmap>());
    FBitmap->SetSize(1, 1);
    FBitmap->Canvas()->Font()->SetPixelsPerInch(FMeasuringPpi);
}

TVuFontMapper::~TVuFontMapper() = default;

TCanvas* TVuFontMapper::MeasuringCanvas()
{
    return FBitmap->Canvas();
}

void TVuFontMapper::PrepareMeasuringFont(TFont* Font)
{
    TFont* M = MeasuringCanvas()->Font();
    if (M != Font) {
        M->SetPixelsPerInch(FMeasuringPpi);
        M->Assign(Font);
        M->SetSize(Font->Size());
    } else if (M->PixelsPerInch() != FMeasuringPpi) {
        Integer Size = M->Size();
        M->SetPixelsPerInch(FMeasuringPpi);
        M->SetSize(Size);
    }
    FFontKey =
        M->Name() + '\x1F' + IntToStr(M->Height()) + '\x1F' + IntToStr(int(M->Style().Contains(fsBold))) +
        IntToStr(int(M->Style().Contains(fsItalic))) + IntToStr(int(M->Style().Contains(fsUnderline))) +
        IntToStr(int(M->Style().Contains(fsStrikeOut))) + '\x1F' + IntToStr(int(M->Charset())) + '\x1F';
}

SIZE TVuFontMapper::MeasurePixels(const AnsiString& Text)
{
    std::string Key = FFontKey + Text;
    auto It = FWidthCache.find(Key);
    if (It != FWidthCache.end())
        return It->second;
    if (FWidthCache.size() > 16384)
        FWidthCache.clear();
    TSize S = MeasuringCanvas()->TextExtent(Text);
    SIZE R{S.cx, S.cy};
    FWidthCache.emplace(std::move(Key), R);
    return R;
}

TVuSize TVuFontMapper::TextExtent(TCanvas* Canvas, const AnsiString& Text)
{
    PrepareMeasuringFont(Canvas->Font());
    SIZE S = MeasurePixels(Text);
    return {Extended(S.cx) / FMeasuringPpi, Extended(S.cy) / FMeasuringPpi};
}

void TVuFontMapper::CalculateCharSpacing(TCanvas* Canvas, const AnsiString& Text)
{
    FAdvances.assign(Text.size(), 0);
    Extended Carry = 0;
    size_t i = 0;
    while (i < Text.size()) {
        unsigned char C = static_cast<unsigned char>(Text[i]);
        size_t N = C < 0x80 ? 1 : (C >> 5) == 6 ? 2 : (C >> 4) == 14 ? 3 : (C >> 3) == 30 ? 4 : 1;
        N = std::min(N, Text.size() - i);
        Extended W = MeasurePixels(Text.substr(i, N)).cx;
        Extended A = W / FMeasuringPpi * FDevicePpi;
        Extended Whole = std::trunc(A);
        Integer Advance = static_cast<Integer>(Whole);
        Carry += A - Whole;
        // Whole pixels of the carried fractions go into this advance and only the fraction
        // stays behind, so the drawn line is as wide as the measured one. (Taking off the
        // rounded carry instead would lose a pixel whenever the carry rounds up.)
        if (Carry > 1) {
            Extended Whole = std::trunc(Carry);
            Advance += static_cast<Integer>(Whole);
            Carry -= Whole;
        }
        FAdvances[i] = Advance;
        i += N;
    }
}

void TVuFontMapper::VuDrawText(TCanvas* Canvas, Integer X, Integer Y, const TRect* Rect,
                               const AnsiString& Text, const std::vector<Integer>& Advances)
{
    HDC Dc = Canvas->Handle();
    RECT R{};
    if (Rect)
        R = {Rect->Left, Rect->Top, Rect->Right, Rect->Bottom};
    const INT* Dx = Advances.size() == Text.size() && !Advances.empty() ? Advances.data() : nullptr;
    ExtTextOut(Dc, X, Y, (Rect ? UINT(ETO_CLIPPED) : 0u) | static_cast<UINT>(Canvas->TextFlags()),
               Rect ? &R : nullptr, Text.data(), static_cast<UINT>(Text.size()), Dx);
}

void TVuFontMapper::TextOut(TCanvas* Canvas, Integer X, Integer Y, const TRect* Rect, const AnsiString& Text,
                            bool Screen)
{
    FMeasuringPpi = Screen ? 96 : CALC_PPI;
    FDevicePpi = Canvas->Font()->PixelsPerInch();
    FAdvances.clear();
    PrepareMeasuringFont(Canvas->Font());
    CalculateCharSpacing(MeasuringCanvas(), Text);
    VuDrawText(Canvas, X, Y, Rect, Text, FAdvances);
}

namespace {
AnsiString TrimRightControls(const AnsiString& S)
{
    size_t End = S.size();
    while (End > 0 && static_cast<unsigned char>(S[End - 1]) <= ' ')
        --End;
    return S.substr(0, End);
}
} // namespace

Extended TVuFontMapper::TextBox(TCanvas* Canvas, const TRect& Rect, const AnsiString& Text,
                                TVuCaptionAlign Alignment, bool Screen)
{
    FMeasuringPpi = Screen ? 96 : CALC_PPI;
    FDevicePpi = Canvas->Font()->PixelsPerInch();
    const Integer DevicePpi = FDevicePpi;
    Integer Lines = 0;
    FLines.clear();
    AnsiString Line;
    bool CrSeen = false;
    const Extended MaxWidth = Extended(Rect.Right - Rect.Left) / DevicePpi;

    AnsiString Rest;
    Rest.reserve(Text.size());
    for (size_t i = 0; i < Text.size(); ++i) {
        Rest += Text[i];
        if (Text[i] == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n')
            ++i; // CR LF counts as one CR
    }

    auto Emit = [&](const AnsiString& Raw, Integer N) {
        AnsiString L = TrimRightControls(Raw);
        FLines.push_back(L);
        Integer Px = static_cast<Integer>(VuRound(TextWidth(Canvas, L) * DevicePpi));
        Integer W = Rect.Right - Rect.Left;
        Integer X = Rect.Left;
        if (Alignment == vuRight)
            X = Rect.Left + W - Px;
        else if (Alignment == vuCenter)
            X = Rect.Left + (W - Px) / 2;
        Integer Y = Rect.Top + static_cast<Integer>(VuRound(TextHeight(Canvas, L) * N * DevicePpi));
        // Measuring only: the lines would go to the mapper's own bitmap, which nobody sees.
        if (FMeasureOnly)
            return;
        TextOut(Canvas, X, Y, &Rect, L, Screen);
        // TextOut set the resolutions for its own text; the box keeps measuring at its own.
        FMeasuringPpi = Screen ? 96 : CALC_PPI;
        FDevicePpi = DevicePpi;
    };

    size_t Pos = 0;
    while (Pos < Rest.size()) {
        size_t Cut = Rest.find_first_of(" \r", Pos);
        size_t End = Cut == AnsiString::npos ? Rest.size() : Cut + 1;
        AnsiString Word = Rest.substr(Pos, End - Pos);
        Pos = End;
        Extended W = TextWidth(Canvas, Line + Word);
        if ((W > MaxWidth || CrSeen) && WordWrap) {
            if (TextWidth(Canvas, Word) > MaxWidth) {
                Line += Word;
                Word.clear();
            }
            Emit(Line, Lines);
            Line.clear();
            ++Lines;
            CrSeen = false;
        }
        Line += Word;
        if (!Word.empty() && Word.back() == '\r')
            CrSeen = true;
    }
    if (!Line.empty()) {
        Emit(Line, Lines);
        ++Lines;
    }
    return TextHeight(Canvas, Text) * Lines;
}

Extended TVuFontMapper::TextBoxHeight(TFont* Font, const TRect& Rect, const AnsiString& Text)
{
    TCanvas* M = MeasuringCanvas();
    M->Font()->SetPixelsPerInch(FMeasuringPpi);
    M->Font()->Assign(Font);
    M->Font()->SetSize(Font->Size());
    FMeasureOnly = true;
    TScopeExit Drawing([this] { FMeasureOnly = false; });
    return TextBox(M, Rect, Text, vuLeft, false);
}

TVuFontMapper* VuFontMapper()
{
    static std::unique_ptr<TVuFontMapper> Mapper(New<TVuFontMapper>());
    return Mapper.get();
}
