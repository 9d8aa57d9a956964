#include "print/VuPageList.h"

#include "platform/win/Colors.h"
#include "platform/win/Gdi.h"
#include "platform/win/RichEdit.h"
#include "platform/win/Windows.h"

#include <algorithm>
#include <cmath>

namespace {

Integer Px(Extended Inches, Integer Ppi)
{
    return static_cast<Integer>(VuRound(Inches * Ppi));
}

// Makes the rectangle (device pixels) the clip region of the canvas through a path, as a
// printer DC wants it.
void ClipToRect(TCanvas* Canvas, const TRect& R)
{
    HDC Dc = Canvas->Handle();
    if (!BeginPath(Dc))
        return;
    VuDrawRect(Canvas, R);
    EndPath(Dc);
    if (TOwnedRegion Rgn{PathToRegion(Dc)})
        SelectClipRgn(Dc, Rgn.get());
}

// Resolution of the device a metafile records against (the screen when there is none).
void ReferenceDpi(HDC Reference, Integer& DpiX, Integer& DpiY)
{
    TWindowDC Screen(nullptr, Reference ? nullptr : GetDC(nullptr));
    HDC Dc = Reference ? Reference : Screen.get();
    DpiX = std::max(1, GetDeviceCaps(Dc, LOGPIXELSX));
    DpiY = std::max(1, GetDeviceCaps(Dc, LOGPIXELSY));
}

// A metafile whose frame is W × H pixels of the reference device's resolution, so that it plays
// back at (0, 0) one to one instead of being fitted to what was drawn in it.
void FrameMetafile(TMetafile* Mf, HDC Reference, Integer W, Integer H)
{
    Integer DpiX, DpiY;
    ReferenceDpi(Reference, DpiX, DpiY);
    Mf->SetMMWidth(static_cast<Integer>(VuRound(Extended(W) * 2540 / DpiX)));
    Mf->SetMMHeight(static_cast<Integer>(VuRound(Extended(H) * 2540 / DpiY)));
}

AnsiString Lowered(const AnsiString& S)
{
    AnsiString R = S;
    std::transform(R.begin(), R.end(), R.begin(),
                   [](char C) { return static_cast<char>(std::tolower(static_cast<unsigned char>(C))); });
    return R;
}

} // namespace

// ---- TVuPageRtfInfo ----

TVuPageRtfInfo::TVuPageRtfInfo(TVuResourceTable* ResourceTable) : FResourceTable(ResourceTable) {}

TVuPageRtfInfo::~TVuPageRtfInfo() = default;

void TVuPageRtfInfo::SetOffset(const TPoint& Value)
{
    FOffset = Value;
    if (OnChange)
        OnChange(this);
}

void TVuPageRtfInfo::SetRichEdit(TCustomMemo* Value)
{
    if (Value == FRichEdit)
        return;
    if (FRichEdit && FResourceTable)
        FResourceTable->Memos()->DeleteResource(FRichEdit);
    FRichEdit = Value;
}

void TVuPageRtfInfo::Clear()
{
    FOffset = TPoint{0, 0};
    FMargins.SetAsInchRect(TVuRect{});
    if (FRichEdit && FResourceTable)
        FResourceTable->Memos()->DeleteResource(FRichEdit);
    FRichEdit = nullptr;
}

void TVuPageRtfInfo::SaveToValueList(TVuValueList* List)
{
    List->WritePointValue("XY", FOffset);
    Integer M = FRichEdit && FResourceTable ? FResourceTable->Memos()->IndexOfEntry(FRichEdit) : -1;
    List->WriteIntValue("M", M);
    List->WriteVuRectValue("MV", FMargins.GetAsInchRect());
    List->WriteBoolValue("C_WRT", C_WRT);
}

void TVuPageRtfInfo::LoadFromValueList(TVuValueList* List)
{
    FOffset = List->ReadPointValue("XY", TPoint{0, 0});
    Integer M = List->ReadIntValue("M", -1);
    // The stored index is resolved through the load's index map; the page takes its own
    // reference on the control.
    TCustomMemo* Memo = nullptr;
    if (M >= 0 && FResourceTable)
        Memo = static_cast<TCustomMemo*>(FResourceTable->Memos()->ResolveLoaded(M));
    if (FRichEdit && FResourceTable)
        FResourceTable->Memos()->DeleteResource(FRichEdit);
    FRichEdit = Memo;
    FMargins.SetAsInchRect(List->ReadVuRectValue("MV", TVuRect{}));
    C_WRT = List->ReadBoolValue("C_WRT", true);
}

// ---- TVuPage ----

TVuPage::TVuPage(TVuPageList* Document) : FDocument(Document)
{
    FRtfInfo = std::make_unique<TVuPageRtfInfo>(Document ? Document->ResourceTable() : nullptr);
    FObjects.OnChange = [this](TObject*) { Changed(); };
}

TVuPage::~TVuPage()
{
    OnChange = nullptr;
    OnOrientationChange = nullptr;
    FObjects.OnChange = nullptr;
    FObjects.Clear();
    FRtfInfo->Clear();
}

void TVuPage::SetDocument(TVuPageList* Document)
{
    FDocument = Document;
    FRtfInfo->SetResourceTable(Document ? Document->ResourceTable() : nullptr);
}

TVuResourceTable* TVuPage::Table() const
{
    return FDocument ? FDocument->ResourceTable() : nullptr;
}

Integer TVuPage::PageNum() const
{
    if (!FDocument)
        return 0;
    for (Integer N = 1; N <= FDocument->Count(); ++N)
        if (FDocument->GetPage(N) == this)
            return N;
    return 0;
}

void TVuPage::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TVuPage::SetOrientation(TVuOrientation Value)
{
    Extended Small = MinFloat(FPageSize.Width, FPageSize.Height);
    Extended Large = MaxFloat(FPageSize.Width, FPageSize.Height);
    FPageSize = Value == vuPortrait ? TVuSize{Small, Large} : TVuSize{Large, Small};
    FOrientation = Value;
    if (OnOrientationChange)
        OnOrientationChange(this);
}

void TVuPage::SetPageSize(const TVuSize& Size)
{
    FPageSize = Size;
    Changed();
}

void TVuPage::AddObject(TVuBaseObject* Object)
{
    FObjects.AddObject(Object);
    Changed();
}

void TVuPage::DeleteVuObject(TVuBaseObject* Object)
{
    for (Integer I = 0; I < FObjects.Count(); ++I)
        if (FObjects.GetObject(I) == Object) {
            FObjects.Delete(I);
            break;
        }
    Changed();
}

void TVuPage::DeleteLastVuObject()
{
    if (FObjects.Count() > 0)
        DeleteVuObject(FObjects.GetObject(FObjects.Count() - 1));
}

void TVuPage::Clear()
{
    FObjects.Clear();
    Changed();
}

TVuBaseObject* TVuPage::CreateVuObject(Integer ObjectID)
{
    return ::CreateVuObject(ObjectID, Table());
}

bool TVuPage::ObjectAtPos(Extended X, Extended Y, TVuMeasurement M, TVuBaseObject*& Object)
{
    Object = nullptr;
    const Integer Ppi = 600;
    Integer Px0 = Px(ConvertValue(X, M, vuInches), Ppi);
    Integer Py0 = Px(ConvertValue(Y, M, vuInches), Ppi);
    TVuObjectDrawData Data{PageNum(), Ppi, Ppi, FDocument ? FDocument->Count() : 1, false};
    for (Integer I = 0; I < FObjects.Count(); ++I) {
        auto* V = dynamic_cast<TVuVisibleObject*>(FObjects.GetObject(I));
        if (!V)
            continue;
        TVuRectPoints B = V->BoundingRect(Data);
        POINT Pts[4] = {{B.TopLeft.X, B.TopLeft.Y},
                        {B.TopRight.X, B.TopRight.Y},
                        {B.BottomRight.X, B.BottomRight.Y},
                        {B.BottomLeft.X, B.BottomLeft.Y}};
        TOwnedRegion Rgn(CreatePolygonRgn(Pts, 4, ALTERNATE));
        if (Rgn && PtInRegion(Rgn.get(), Px0, Py0))
            Object = V;
    }
    return Object != nullptr;
}

void TVuPage::DrawToCanvas(TCanvas* Canvas, Integer PpiX, Integer PpiY, bool Thumbnail)
{
    if (FRtfInfo->RichEdit())
        DrawRichText(Canvas, PpiX, PpiY, FRtfInfo->C_WRT);
    Integer N = PageNum();
    Integer Total = FDocument ? FDocument->Count() : 1;
    TVuObjectDrawData Data{N, PpiX, PpiY, Total, Thumbnail};
    for (Integer I = 0; I < FObjects.Count(); ++I)
        FObjects.GetObject(I)->Draw(Canvas, Data);
    if (!FDocument)
        return;
    if (ShowHeader)
        FDocument->Header()->DrawToCanvas(Canvas, FDocument->Margins(), FPageSize, PpiX, PpiY, N, Total);
    if (ShowFooter)
        FDocument->Footer()->DrawToCanvas(Canvas, FDocument->Margins(), FPageSize, PpiX, PpiY, N, Total);
}

void TVuPage::DrawRichText(TCanvas* Canvas, Integer PpiX, Integer PpiY, bool Wrap)
{
    TCustomMemo* Memo = FRtfInfo->RichEdit();
    if (!Memo)
        return;
    TVuRect R = FRtfInfo->Margins()->GetAsInchRect();
    FORMATRANGE Fr{};
    Fr.hdcTarget = FDocument ? FDocument->Printer()->GetHandle() : nullptr;
    Fr.rc = RECT{static_cast<LONG>(VuRound(R.Left * 1440)), static_cast<LONG>(VuRound(R.Top * 1440)),
                 static_cast<LONG>(VuRound(R.Right * 1440)), static_cast<LONG>(VuRound(R.Bottom * 1440)) + 1};
    if (!Wrap)
        Fr.rc.Right *= 10;
    LONG PageW = static_cast<LONG>(VuRound(FPageSize.Width * 1440));
    LONG PageH = static_cast<LONG>(VuRound(FPageSize.Height * 1440));
    Fr.rcPage = RECT{0, 0, PageW, PageH};
    Fr.chrg.cpMin = FRtfInfo->Offset().X;
    Fr.chrg.cpMax = FRtfInfo->Offset().Y;
    if (IsPrinterCanvas(Canvas)) {
        Fr.hdc = Canvas->Handle();
        SendMessage(Memo->Handle(), EM_FORMATRANGE, 1, reinterpret_cast<LPARAM>(&Fr));
        SendMessage(Memo->Handle(), EM_FORMATRANGE, 0, 0);
        return;
    }
    // Off the printer the text is rendered against the printer, into a metafile framed as the
    // whole page at the printer's resolution, and that page is then stretched onto the target:
    // lines break where they break on paper. (The rich edit renders at its DC's own resolution,
    // so the scaling is the playback's, not a mapping mode's.)
    std::unique_ptr<TMetafile> Mf(New<TMetafile>());
    Integer ResX, ResY;
    ReferenceDpi(Fr.hdcTarget, ResX, ResY);
    FrameMetafile(Mf.get(), Fr.hdcTarget, Px(FPageSize.Width, ResX), Px(FPageSize.Height, ResY));
    {
        std::unique_ptr<TMetafileCanvas> Mc(new TMetafileCanvas(Mf.get(), Fr.hdcTarget));
        Mc->Font()->SetPixelsPerInch(PpiX);
        Fr.hdc = Mc->Handle();
        SendMessage(Memo->Handle(), EM_FORMATRANGE, 1, reinterpret_cast<LPARAM>(&Fr));
        SendMessage(Memo->Handle(), EM_FORMATRANGE, 0, 0);
    }
    Canvas->StretchDraw(TRect{0, 0, Px(FPageSize.Width, PpiX), Px(FPageSize.Height, PpiY)}, Mf.get());
}

// ---- Header and footer ----

TVuHeaderFooterCaption::TVuHeaderFooterCaption(TVuHeaderFooter* Band) : FFont(New<TFont>()), FBand(Band)
{
    FFont->SetName("Arial");
    FFont->SetSize(12);
    FFont->OnChange = [this](TObject*) {
        if (FBand)
            FBand->Changed();
    };
}

TVuHeaderFooterCaption::~TVuHeaderFooterCaption()
{
    FFont->OnChange = nullptr;
}

void TVuHeaderFooterCaption::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TVuHeaderFooterCaption::SetCaption(const AnsiString& Value)
{
    if (Value == FCaption)
        return;
    FCaption = Value;
    Changed();
}

void TVuHeaderFooterCaption::SetFont(TFont* Value)
{
    FFont->Assign(Value);
    Changed();
}

void TVuHeaderFooterCaption::Assign(TPersistent* Source)
{
    if (auto* C = dynamic_cast<TVuHeaderFooterCaption*>(Source)) {
        SetCaption(C->Caption());
        SetFont(C->Font());
        return;
    }
    TPersistent::Assign(Source);
}

void TVuHeaderFooterCaption::DrawToCanvas(TCanvas* Canvas, const TRect& Band, TVuCaptionAlign Alignment,
                                          bool HangFromTop, Integer Ppi, Integer PageNum, Integer PageCount)
{
    if (FCaption.empty())
        return;
    AnsiString Text = Tokenize(FCaption, PageNum, PageCount, GlobalDateTokenFormat, GlobalTimeTokenFormat);
    // The resolution the page is drawn at, which on a printer is the device's own; on a
    // preview that maps a higher logical resolution onto the screen it is that logical one.
    Integer Res = std::max(1, Ppi);
    Canvas->Font()->SetPixelsPerInch(Res);
    Canvas->Font()->Assign(FFont.get());
    TVuSize Ext = VuFontMapper()->TextExtent(Canvas, Text);
    Integer W = Px(Ext.Width, Res);
    Integer H = Px(Ext.Height, Res);
    Integer X = Band.Left;
    if (Alignment == vuCenter)
        X = (Band.Right + Band.Left - W) / 2;
    else if (Alignment == vuRight)
        X = Band.Right - W;
    Integer Y = HangFromTop ? Band.Top : Band.Bottom - H;
    Canvas->Brush()->SetStyle(bsClear);
    VuFontMapper()->TextOut(Canvas, X, Y, nullptr, Text, false);
}

TVuHeaderFooter::TVuHeaderFooter() : FPen(New<TPen>())
{
    for (auto& C : FCaptions) {
        C = std::make_unique<TVuHeaderFooterCaption>(this);
        C->OnChange = [this](TObject*) { Changed(); };
    }
    FHeight.SetOnChange([this](TObject*) { Changed(); });
}

TVuHeaderFooter::~TVuHeaderFooter()
{
    OnChange = nullptr;
}

void TVuHeaderFooter::Changed()
{
    if (OnChange)
        OnChange(this);
}

Extended TVuHeaderFooter::GetHeight(TVuMeasurement M) const
{
    if (FHeight.GetAsInches() != 0)
        return FHeight.GetVuValue(M);
    return ConvertValue(GetFontHeightInch(GetLargestFont()), vuInches, M);
}

void TVuHeaderFooter::SetHeight(TVuMeasurement M, Extended Value)
{
    FHeight.SetVuValue(M, Value);
}

TVuHeaderFooterCaption* TVuHeaderFooter::GetLargestCaption() const
{
    TVuHeaderFooterCaption* Best = FCaptions[0].get();
    for (Integer I = 1; I < 3; ++I)
        if (FCaptions[I]->Font()->Size() > Best->Font()->Size())
            Best = FCaptions[I].get();
    return Best;
}

void TVuHeaderFooter::SetShowLine(bool Value)
{
    if (Value == FShowLine)
        return;
    FShowLine = Value;
    Changed();
}

void TVuHeaderFooter::SetVisible(bool Value)
{
    if (Value == FVisible)
        return;
    FVisible = Value;
    Changed();
}

void TVuHeaderFooter::Assign(TPersistent* Source)
{
    if (auto* B = dynamic_cast<TVuHeaderFooter*>(Source)) {
        for (Integer I = 0; I < 3; ++I)
            FCaptions[I]->Assign(B->Caption(I));
        return;
    }
    TPersistent::Assign(Source);
}

void TVuHeaderFooter::DrawBand(TCanvas* Canvas, const TRect& Band, bool Footer, Integer Ppi, Integer PageNum,
                               Integer PageCount)
{
    FCaptions[0]->DrawToCanvas(Canvas, Band, vuLeft, Footer, Ppi, PageNum, PageCount);
    FCaptions[1]->DrawToCanvas(Canvas, Band, vuCenter, Footer, Ppi, PageNum, PageCount);
    FCaptions[2]->DrawToCanvas(Canvas, Band, vuRight, Footer, Ppi, PageNum, PageCount);
    if (!FShowLine)
        return;
    Canvas->Pen()->Assign(FPen.get());
    Integer Y = Footer ? Band.Top : Band.Bottom;
    Canvas->MoveTo(Band.Left, Y);
    Canvas->LineTo(Band.Right, Y);
}

void TVuHeader::DrawToCanvas(TCanvas* Canvas, TVuMargins* Margins, const TVuSize& PageSize, Integer PpiX,
                             Integer PpiY, Integer PageNum, Integer PageCount)
{
    if (!Visible())
        return;
    Extended L = Margins->Left()->GetAsInches(), T = Margins->Top()->GetAsInches();
    TRect Band{Px(L, PpiX), Px(T, PpiY), Px(PageSize.Width - Margins->Right()->GetAsInches(), PpiX),
               Px(T + GetHeight(vuInches), PpiY)};
    DrawBand(Canvas, Band, false, PpiX, PageNum, PageCount);
}

void TVuFooter::DrawToCanvas(TCanvas* Canvas, TVuMargins* Margins, const TVuSize& PageSize, Integer PpiX,
                             Integer PpiY, Integer PageNum, Integer PageCount)
{
    if (!Visible())
        return;
    Extended L = Margins->Left()->GetAsInches(), B = Margins->Bottom()->GetAsInches();
    TRect Band{Px(L, PpiX), Px(PageSize.Height - B - GetHeight(vuInches), PpiY),
               Px(PageSize.Width - Margins->Right()->GetAsInches(), PpiX), Px(PageSize.Height - B, PpiY)};
    DrawBand(Canvas, Band, true, PpiX, PageNum, PageCount);
}

// ---- Margins ----

Single TVuMarginValues::GetValue(Integer Index) const
{
    TVuValue* V = nullptr;
    switch (Index) {
    case 0:
        V = FMargins->Left();
        break;
    case 1:
        V = FMargins->Top();
        break;
    case 2:
        V = FMargins->Right();
        break;
    case 3:
        V = FMargins->Bottom();
        break;
    default:
        return 0;
    }
    return static_cast<Single>(V->GetVuValue(ValueMeasurement));
}

void TVuMarginValues::SetValue(Integer Index, Single Value)
{
    TVuValue* V = nullptr;
    switch (Index) {
    case 0:
        V = FMargins->Left();
        break;
    case 1:
        V = FMargins->Top();
        break;
    case 2:
        V = FMargins->Right();
        break;
    case 3:
        V = FMargins->Bottom();
        break;
    default:
        return;
    }
    V->SetVuValue(ValueMeasurement, Value);
}

TVuMargins::TVuMargins(TVuPrinter* Printer)
    : FPen(New<TPen>()), FPrinterMarginPen(New<TPen>()), FPrinter(Printer)
{
    for (TVuValue* V : {&FLeft, &FTop, &FRight, &FBottom}) {
        V->SetAsInches(0.5);
        V->SetOnChange([this](TObject*) { Changed(); });
    }
    FPen->SetColor(clSilver);
    FPen->SetStyle(psDot);
    FPrinterMarginPen->Assign(FPen.get());
    FPen->OnChange = [this](TObject*) { Changed(); };
    FPrinterMarginPen->OnChange = [this](TObject*) { Changed(); };
}

TVuMargins::~TVuMargins()
{
    OnChange = nullptr;
    FPen->OnChange = nullptr;
    FPrinterMarginPen->OnChange = nullptr;
}

void TVuMargins::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TVuMargins::SetClipMargins(bool Value)
{
    if (Value == FClipMargins)
        return;
    FClipMargins = Value;
    Changed();
}

void TVuMargins::SetVisible(bool Value)
{
    if (Value == FVisible)
        return;
    FVisible = Value;
    Changed();
}

void TVuMargins::SetShowPrinterMargins(bool Value)
{
    if (Value == FShowPrinterMargins)
        return;
    FShowPrinterMargins = Value;
    Changed();
}

void TVuMargins::SetUsePrinterMargins(bool Value)
{
    if (Value == FUsePrinterMargins)
        return;
    FUsePrinterMargins = Value;
    Changed();
}

void TVuMargins::Assign(TPersistent* Source)
{
    if (auto* M = dynamic_cast<TVuMargins*>(Source)) {
        TNotifyEvent Hook = std::move(OnChange);
        OnChange = nullptr;
        SetAsInches(M->GetAsInches());
        FPen->Assign(M->Pen());
        FPrinterMarginPen->Assign(M->PrinterMarginPen());
        FShowPrinterMargins = M->FShowPrinterMargins;
        FVisible = M->FVisible;
        OnChange = std::move(Hook);
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

TVuRect TVuMargins::GetAsInches() const
{
    return TVuRect{FLeft.GetAsInches(), FTop.GetAsInches(), FRight.GetAsInches(), FBottom.GetAsInches()};
}

void TVuMargins::SetAsInches(const TVuRect& Rect)
{
    FLeft.SetAsInches(Rect.Left);
    FTop.SetAsInches(Rect.Top);
    FRight.SetAsInches(Rect.Right);
    FBottom.SetAsInches(Rect.Bottom);
}

TVuRect TVuMargins::GetPrinterMargins(TVuMeasurement M, TVuOrientation Orientation)
{
    if (!FPrinter)
        return TVuRect{};
    return ConvertVuRect(FPrinter->Metrics()->GetGuttersInch(Orientation), vuInches, M);
}

TRect TVuMargins::MarginRect(const TVuSize& PageSize, Integer Ppi) const
{
    return TRect{Px(FLeft.GetAsInches(), Ppi), Px(FTop.GetAsInches(), Ppi),
                 Px(PageSize.Width - FRight.GetAsInches(), Ppi),
                 Px(PageSize.Height - FBottom.GetAsInches(), Ppi)};
}

void TVuMargins::Clip(const TVuSize& PageSize, TVuOrientation Orientation, TCanvas* Canvas, Integer Ppi)
{
    if (FUsePrinterMargins && FPrinter)
        SetAsInches(GetPrinterMargins(vuInches, Orientation));
    if (FClipMargins)
        ClipToRect(Canvas, MarginRect(PageSize, Ppi));
}

void TVuMargins::Draw(const TVuSize& PageSize, TVuOrientation Orientation, TCanvas* Canvas, Integer Ppi)
{
    if (!FVisible)
        return;
    Canvas->Brush()->SetStyle(bsClear);
    Canvas->Pen()->Assign(FPen.get());
    if (FPrinter && FUsePrinterMargins)
        SetAsInches(GetPrinterMargins(vuInches, Orientation));
    Canvas->Rectangle(MarginRect(PageSize, Ppi));
    if (FPrinter && FShowPrinterMargins) {
        Canvas->Pen()->Assign(FPrinterMarginPen.get());
        TVuRect G = GetPrinterMargins(vuInches, Orientation);
        TVuSize Paper{FPrinter->Metrics()->GetPhysicalSizeX(), FPrinter->Metrics()->GetPhysicalSizeY()};
        Extended Small = MinFloat(Paper.Width, Paper.Height), Large = MaxFloat(Paper.Width, Paper.Height);
        Paper = Orientation == vuLandscape ? TVuSize{Large, Small} : TVuSize{Small, Large};
        Canvas->Rectangle(Px(G.Left, Ppi), Px(G.Top, Ppi), Px(Paper.Width - G.Right, Ppi),
                          Px(Paper.Height - G.Bottom, Ppi));
    }
}

// ---- TVuPageList ----

TVuPageList::TVuPageList()
    : FPrinter(std::make_unique<TVuPrinter>()), FResourceTable(std::make_unique<TVuResourceTable>()),
      FFooter(std::make_unique<TVuFooter>()), FHeader(std::make_unique<TVuHeader>()),
      FMargins(std::make_unique<TVuMargins>(FPrinter.get()))
{
    FCanvas = std::make_unique<TVuCanvas>(this);
    FHeader->OnChange = [this](TObject*) { HeaderFooterChanged(); };
    FFooter->OnChange = [this](TObject*) { HeaderFooterChanged(); };
    FMargins->OnChange = [this](TObject*) { PageMarginsChanged(); };
    WireResourceTable();
}

TVuPageList::~TVuPageList()
{
    for (TVuPage* P : FPages)
        delete P;
    FPages.clear();
    FCanvas.reset();
}

void TVuPageList::WireResourceTable()
{
    FResourceTable->Memos()->OnCreateMemo = [this](TObject* Sender, TCustomMemo*& RichEdit) {
        NeedRichEdit(Sender, RichEdit);
    };
}

void TVuPageList::WirePage(TVuPage* Page)
{
    Page->SetDocument(this);
    Page->OnChange = [this](TObject*) { PageChanged(); };
    Page->OnOrientationChange = [this](TObject*) { PageChanged(); };
}

TVuPage* TVuPageList::GetPage(Integer N) const
{
    if (N < 1 || N > Count())
        TList::Error("List index out of bounds (%d)", N - 1);
    return FPages[static_cast<size_t>(N - 1)];
}

void TVuPageList::SetPage(Integer N, TVuPage* Page)
{
    if (N < 1 || N > Count())
        TList::Error("List index out of bounds (%d)", N - 1);
    TVuPage*& Slot = FPages[static_cast<size_t>(N - 1)];
    if (Slot == Page)
        return;
    delete Slot;
    Slot = Page;
    WirePage(Page);
    PageChanged();
}

TVuPage* TVuPageList::ActivePage() const
{
    if (FCurrentPage < 1 || FCurrentPage > Count())
        return nullptr;
    return FPages[static_cast<size_t>(FCurrentPage - 1)];
}

TVuPage* TVuPageList::InsertPage(Integer Index)
{
    auto* Page = New<TVuPage>(this);
    Page->SetOrientation(FOrientation);
    InitPaperSize();
    Page->SetPageSize(FDefaultPageSize);
    WirePage(Page);
    if (Index < 0 || Index >= Count())
        FPages.push_back(Page);
    else
        FPages.insert(FPages.begin() + Index, Page);
    PageCountChanged();
    PageChanged();
    SetCurrentPage(Count());
    if (OnNewPage)
        OnNewPage(this);
    return Page;
}

void TVuPageList::ClampCurrentPage()
{
    if (FCurrentPage > Count())
        FCurrentPage = Count();
}

void TVuPageList::DeletePage(Integer Index)
{
    if (Index < 0 || Index > Count() - 1)
        return;
    if (Index == Count() - 1)
        --FCurrentPage;
    TVuPage* Page = FPages[static_cast<size_t>(Index)];
    FPages.erase(FPages.begin() + Index);
    delete Page;
    // A page deleted before the current one would otherwise leave the number past the end.
    ClampCurrentPage();
    if (FCurrentPage <= 0) {
        FCurrentPage = 1;
        if (Count() == 0)
            AddPage();
    }
    PageCountChanged();
    PageChanged();
}

void TVuPageList::ClearPages(bool NoNewPage, bool ClearResources)
{
    for (TVuPage* P : FPages)
        delete P;
    FPages.clear();
    FCurrentPage = 0;
    if (ClearResources)
        FResourceTable->Clear();
    if (!NoNewPage) {
        FCurrentPage = 1;
        AddPage();
    }
    if (OnClear)
        OnClear(this);
}

void TVuPageList::SetCurrentPage(Integer N)
{
    if (N == FCurrentPage || N <= 0 || N > Count())
        return;
    if (OnPageNumChanging)
        OnPageNumChanging(this);
    FCurrentPage = N;
    if (OnPageNumChanged)
        OnPageNumChanged(this);
}

void TVuPageList::EndUpdate()
{
    if (FUpdateCount == 0)
        return;
    if (--FUpdateCount == 0) {
        PageCountChanged();
        PageChanged();
    }
}

void TVuPageList::AddObject(TVuBaseObject* Object, TVuCoordsRelative Origin)
{
    switch (Origin) {
    case vuFromPage:
        break;
    case vuFromPrinterMargins: {
        TVuRect G = FMargins->GetPrinterMargins(vuInches, FOrientation);
        Object->OffsetObject(G.Left, G.Top, vuInches);
        break;
    }
    case vuFromUserMargins:
        Object->OffsetObject(FMargins->Left()->GetAsInches(), FMargins->Top()->GetAsInches(), vuInches);
        break;
    case vuFromHeaderLine:
        Object->OffsetObject(FMargins->Left()->GetAsInches(),
                             FMargins->Top()->GetAsInches() + FHeader->GetHeight(vuInches), vuInches);
        break;
    }
    TVuPage* Page = ActivePage();
    if (!Page) {
        // Recording into a document without pages starts its first page.
        AddPage();
        Page = ActivePage();
    }
    Page->AddObject(Object);
    if (auto* V = dynamic_cast<TVuVisibleObject*>(Object))
        V->OnArrange = [this](TVuVisibleObject* Sender, TVuArrangeObject How) {
            ChangeObjectLevel(Sender, How);
        };
}

void TVuPageList::ChangeObjectLevel(TVuBaseObject* Object, TVuArrangeObject Arrange)
{
    TVuPage* Page = ActivePage();
    if (!Page)
        return;
    TVuBaseObjectList* L = Page->Objects();
    Integer Old = -1;
    for (Integer I = 0; I < L->Count(); ++I)
        if (L->GetObject(I) == Object)
            Old = I;
    if (Old < 0)
        return;
    L->Extract(Old);
    switch (Arrange) {
    case vuToFront:
        L->InsertObject(L->Count(), Object);
        break;
    case vuForward:
        L->InsertObject(Old + 1, Object);
        break;
    case vuBackword:
        L->InsertObject(Old - 1, Object);
        break;
    case vuToBack:
        L->InsertObject(0, Object);
        break;
    }
    Page->Changed();
}

void TVuPageList::FindText(const AnsiString& Text, bool MatchCase, TList* List)
{
    AnsiString Needle = MatchCase ? Text : Lowered(Text);
    for (Integer N = 1; N <= Count(); ++N) {
        TVuPage* Page = GetPage(N);
        for (Integer I = 0; I < Page->Count(); ++I) {
            TVuBaseObject* O = Page->VuObject(I);
            if (!dynamic_cast<TVuTextObject*>(O) && !dynamic_cast<TVuTextBoxObject*>(O))
                continue;
            const AnsiString& Caption = static_cast<TVuBaseTextObject*>(O)->Caption();
            AnsiString Hay = MatchCase ? Caption : Lowered(Caption);
            if (Hay.find(Needle) != AnsiString::npos)
                List->Add(O);
        }
    }
}

TVuValueRect* TVuPageList::HeaderRect()
{
    TVuPage* P = ActivePage();
    TVuSize S = P ? P->PageSize() : FDefaultPageSize;
    Extended T = FMargins->Top()->GetAsInches();
    FResultRect.SetAsInchRect(TVuRect{FMargins->Left()->GetAsInches(), T,
                                      S.Width - FMargins->Right()->GetAsInches(),
                                      T + FHeader->GetHeight(vuInches)});
    return &FResultRect;
}

TVuValueRect* TVuPageList::FooterRect()
{
    TVuPage* P = ActivePage();
    TVuSize S = P ? P->PageSize() : FDefaultPageSize;
    Extended B = S.Height - FMargins->Bottom()->GetAsInches();
    FResultRect.SetAsInchRect(TVuRect{FMargins->Left()->GetAsInches(), B - FFooter->GetHeight(vuInches),
                                      S.Width - FMargins->Right()->GetAsInches(), B});
    return &FResultRect;
}

TVuValueRect* TVuPageList::AvailablePageRect()
{
    TVuPage* P = ActivePage();
    TVuSize S = P ? P->PageSize() : FDefaultPageSize;
    TVuRect M = FMargins->GetAsInches();
    if (FMargins->UsePrinterMargins())
        M = FMargins->GetPrinterMargins(vuInches, P ? P->Orientation() : FOrientation);
    FResultRect.SetAsInchRect(TVuRect{M.Left, FHeader->GetHeight(vuInches) + M.Top, S.Width - M.Right,
                                      S.Height - (FFooter->GetHeight(vuInches) + M.Bottom)});
    return &FResultRect;
}

void TVuPageList::InitPaperSize()
{
    if (FPaperSize == Custom)
        return;
    FDefaultPageSize = GetPaperSizeInch(FPaperSize);
    if (FOrientation == vuLandscape)
        std::swap(FDefaultPageSize.Width, FDefaultPageSize.Height);
}

void TVuPageList::SetPaperSize(TVuPaperSize Value)
{
    if (Value == FPaperSize)
        return;
    BeginUpdate();
    FPaperSize = Value;
    InitPaperSize();
    for (TVuPage* P : FPages)
        P->SetPageSize(FDefaultPageSize);
    EndUpdate();
    if (OnPaperSizeChanged)
        OnPaperSizeChanged(this);
}

void TVuPageList::SetPageSize(Extended Width, Extended Height, TVuMeasurement M)
{
    FDefaultPageSize = TVuSize{ConvertValue(Width, M, vuInches), ConvertValue(Height, M, vuInches)};
    FPaperSize = Custom;
    for (TVuPage* P : FPages)
        P->SetPageSize(FDefaultPageSize);
    if (OnPaperSizeChanged)
        OnPaperSizeChanged(this);
}

void TVuPageList::SetOrientation(TVuOrientation Value)
{
    BeginUpdate();
    for (TVuPage* P : FPages)
        P->SetOrientation(Value);
    FOrientation = Value;
    if (Count() > 0)
        FDefaultPageSize = GetPage(1)->PageSize();
    else
        InitPaperSize();
    EndUpdate();
    if (OnOrientationChanged)
        OnOrientationChanged(this);
}

void TVuPageList::UsePrinterPageSize()
{
    BeginUpdate();
    SetPaperSize(FPrinter->GetPaperSize());
    if (FPaperSize == Custom) {
        TVuSize S = FPrinter->GetPaperDimensions(vuInches);
        SetPageSize(S.Width, S.Height, vuInches);
    }
    SetOrientation(FPrinter->Orientation());
    EndUpdate();
}

void TVuPageList::PrintRange(Integer From, Integer To)
{
    std::vector<Integer> Pages;
    Integer Step = From < To ? 1 : -1;
    for (Integer N = From;; N += Step) {
        // Page numbers come from users; those the document does not have are left out.
        if (N >= 1 && N <= Count())
            Pages.push_back(N);
        if (N == To)
            break;
    }
    PrintPages(Pages);
}

void TVuPageList::PrintPages(const std::vector<Integer>& Pages)
{
    std::vector<Integer> Valid;
    for (Integer N : Pages)
        if (N >= 1 && N <= Count())
            Valid.push_back(N);
    if (Valid.empty())
        return;
    FPrinter->SetOrientation(GetPage(Valid.front())->Orientation());
    FPrinter->PagesPerSheet = PagesPerSheet;
    FPrinter->SetVuPaperSize(FPaperSize);
    FPrinter->BeginDoc();
    if (FPrinter->Aborted() || !FPrinter->Printing())
        return;
    Integer Total = static_cast<Integer>(Valid.size());
    for (Integer I = 0; I < Total; ++I) {
        TVuPage* Page = GetPage(Valid[static_cast<size_t>(I)]);
        Integer PpiX = FPrinter->Metrics()->GetPpiX();
        Integer PpiY = FPrinter->Metrics()->GetPpiY();
        TVuSize S = Page->PageSize();
        TRect Clip = FMargins->ClipMargins() ? TRect{Px(FMargins->Left()->GetAsInches(), PpiX),
                                                     Px(FMargins->Top()->GetAsInches(), PpiY),
                                                     Px(S.Width - FMargins->Right()->GetAsInches(), PpiX),
                                                     Px(S.Height - FMargins->Bottom()->GetAsInches(), PpiY)}
                                             : TRect{0, 0, Px(S.Width, PpiX), Px(S.Height, PpiY)};
        ClipToRect(FPrinter->GetCanvas(), Clip);
        Page->DrawToCanvas(FPrinter->GetCanvas(), PpiX, PpiY, false);
        if (I + 1 < Total) {
            FPrinter->SetOrientation(GetPage(Valid[static_cast<size_t>(I + 1)])->Orientation());
            FPrinter->NewPage();
        }
        DoPrintProgress(I + 1, Total);
        if (FPrinter->Aborted())
            return;
    }
    FPrinter->EndDoc();
}

TMetafile* TVuPageList::PrintPageToMetafile(Integer PageNum)
{
    TVuPage* Page = GetPage(PageNum);
    Integer PpiX = FPrinter->Metrics()->GetPpiX();
    Integer PpiY = FPrinter->Metrics()->GetPpiY();
    Integer W = Px(Page->PageSize().Width, PpiX);
    Integer H = Px(Page->PageSize().Height, PpiY);
    TMetafile* Mf = New<TMetafile>();
    FrameMetafile(Mf, FPrinter->GetHandle(), W, H);
    {
        std::unique_ptr<TMetafileCanvas> C(new TMetafileCanvas(Mf, FPrinter->GetHandle()));
        ClipToRect(C.get(), TRect{0, 0, W, H});
        Page->DrawToCanvas(C.get(), PpiX, PpiY, false);
    }
    // Without a printer the reference (the screen) has another resolution than the page's.
    Mf->SetWidth(W);
    Mf->SetHeight(H);
    return Mf;
}

void TVuPageList::NeedRichEdit(TObject* Sender, TCustomMemo*& RichEdit)
{
    if (OnNeedRichEdit)
        OnNeedRichEdit(this, RichEdit);
}

void TVuPageList::DoPrintProgress(Integer Printed, Integer Total)
{
    if (OnPrintProgress)
        OnPrintProgress(this, Printed, Total);
}

void TVuPageList::HeaderFooterChanged()
{
    if (!Updating() && OnHeaderFooterChanged)
        OnHeaderFooterChanged(this);
}

void TVuPageList::PageChanged()
{
    if (!Updating() && OnPageContentChanged)
        OnPageContentChanged(this);
}

void TVuPageList::PageCountChanged()
{
    if (!Updating() && OnPageCountChanged)
        OnPageCountChanged(this);
}

void TVuPageList::PageMarginsChanged()
{
    if (!Updating() && OnMarginsChanged)
        OnMarginsChanged(this);
}
