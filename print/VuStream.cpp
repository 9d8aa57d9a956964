// The document stream: a header list, the resource table, the header and footer bands, the
// margins and the page records, one block after another with no signature or padding.
//
// Files come from anywhere, so the reader trusts no count: every count is checked against the
// bytes left before anything is made for it, and the whole stream is read into a fresh
// document that replaces this one only once everything has been read.
#include "platform/rtl/Exceptions.h"
#include "print/VuPageList.h"

namespace {

constexpr Extended StreamFormatVersion = 2.96;

// A count read from a stream, each item taking at least MinBytes of what is left.
Integer CheckedCount(Integer Count, TStream* Stream, Integer MinBytes)
{
    if (Count < 0)
        throw EReadError("Stream read error");
    Int64 Left = Stream->Size() - Stream->Position();
    if (static_cast<Int64>(Count) * MinBytes > Left)
        throw EReadError("Stream read error");
    return Count;
}

// The smallest page length the stream holds: lengths are stored with three decimals, so a
// shorter one would be written as 0.000, which no document can be loaded with.
constexpr Extended MinPageLength = 0.001L;

// A page size read from a stream: a length no paper has (negative, too small to be stored
// again, not a number, or beyond a thousand inches) would only overflow the pixel sizes of
// every view of the page.
Extended CheckedPageLength(Extended Inches)
{
    if (!(Inches > 0 && Inches <= 1000 && VuParseExt(VuFormatExt(Inches)) > 0))
        throw EReadError("Invalid page size");
    return Inches;
}

// A page length as stored: one too small to survive the three decimals is kept at the smallest
// length that does, so that what is saved can be loaded.
Extended StoredPageLength(Extended Inches)
{
    if (!(Inches > 0))
        return MinPageLength;
    return Inches > 1 || VuParseExt(VuFormatExt(Inches)) > 0 ? Inches : MinPageLength;
}

void SaveBand(TVuHeaderFooter* Band, TStream* Stream)
{
    for (Integer I = 0; I < 3; ++I) {
        TVuValueList L;
        L.WriteStringValue("T", Band->Caption(I)->Caption());
        L.SaveToStream(Stream);
        TVuFont F;
        F.Assign(Band->Caption(I)->Font());
        F.SaveToStream(Stream);
    }
    TVuValueList L;
    L.WriteBoolValue("VS", Band->Visible());
    L.WriteBoolValue("SL", Band->ShowLine());
    L.WriteExtValue("HT", Band->StoredHeight());
    L.SaveToStream(Stream);
    TVuPen P;
    P.Assign(Band->Pen());
    P.SaveToStream(Stream);
}

void LoadBand(TVuHeaderFooter* Band, TStream* Stream)
{
    for (Integer I = 0; I < 3; ++I) {
        TVuValueList L;
        L.LoadFromStream(Stream);
        Band->Caption(I)->SetCaption(L.ReadStringValue("T", ""));
        TVuFont F;
        F.LoadFromStream(Stream);
        std::unique_ptr<TFont> Font(New<TFont>());
        F.AssignToFont(Font.get());
        Band->Caption(I)->SetFont(Font.get());
    }
    TVuValueList L;
    L.LoadFromStream(Stream);
    Band->SetVisible(L.ReadBoolValue("VS", true));
    Band->SetShowLine(L.ReadBoolValue("SL", true));
    // An absent height reads as -1, which is no height a band can have: automatic.
    Extended H = L.ReadExtValue("HT", -1);
    Band->SetHeight(vuInches, H > 0 ? H : 0);
    TVuPen P;
    P.LoadFromStream(Stream);
    std::unique_ptr<TPen> Pen(New<TPen>());
    P.AssignToPen(Pen.get());
    Band->SetPen(Pen.get());
}

void CopyBand(TVuHeaderFooter* To, TVuHeaderFooter* From)
{
    To->Assign(From);
    To->SetVisible(From->Visible());
    To->SetShowLine(From->ShowLine());
    To->SetHeight(vuInches, From->StoredHeight());
    To->SetPen(From->Pen());
}

} // namespace

// ---- Page records ----

void TVuPage::SaveToStream(TStream* Stream)
{
    TVuValueList L;
    FRtfInfo->SaveToValueList(&L);
    L.WriteIntValue("O", FOrientation);
    L.WriteExtValue("PW", StoredPageLength(FPageSize.Width));
    L.WriteExtValue("PH", StoredPageLength(FPageSize.Height));
    L.WriteIntValue("NO", FObjects.Count());
    if (!ShowHeader)
        L.WriteBoolValue("SH", false);
    if (!ShowFooter)
        L.WriteBoolValue("SF", false);
    L.SaveToStream(Stream);
    for (Integer I = 0; I < FObjects.Count(); ++I)
        FObjects.GetObject(I)->SaveToStream(Stream);
}

void TVuPage::LoadFromStream(TStream* Stream)
{
    TVuValueList L;
    L.LoadFromStream(Stream);
    FRtfInfo->LoadFromValueList(&L);
    FOrientation = L.ReadIntValue("O", 0) == 1 ? vuLandscape : vuPortrait;
    FPageSize.Width = CheckedPageLength(L.ReadExtValue("PW", 8.26));
    FPageSize.Height = CheckedPageLength(L.ReadExtValue("PH", 11.69));
    // Each object record is an id and a block length at least.
    Integer NO = CheckedCount(L.ReadIntValue("NO", 0), Stream, 8);
    ShowHeader = L.ReadBoolValue("SH", true);
    ShowFooter = L.ReadBoolValue("SF", true);
    TVuReader R(Stream);
    for (Integer I = 0; I < NO; ++I) {
        Integer Id = R.ReadInteger();
        std::unique_ptr<TVuBaseObject> O(CreateVuObject(Id));
        if (!O) {
            TVuValueList Skipped;
            Skipped.LoadFromStream(Stream);
            continue;
        }
        O->LoadFromStream(Stream);
        FObjects.AddObject(O.release());
    }
    Changed();
}

// ---- The document ----

void TVuPageList::SaveToStream(TStream* Stream)
{
    TVuValueList Head;
    Head.WriteExtValue("V", StreamFormatVersion);
    Head.WriteIntValue("O", FOrientation);
    Head.WriteStringValue("PS", PaperSizeToStr(FPaperSize));
    Head.WriteExtValue("PW", StoredPageLength(FDefaultPageSize.Width));
    Head.WriteExtValue("PH", StoredPageLength(FDefaultPageSize.Height));
    Head.WriteIntValue("NP", Count());
    Head.SaveToStream(Stream);
    FResourceTable->SaveToStream(Stream);
    SaveBand(FHeader.get(), Stream);
    SaveBand(FFooter.get(), Stream);
    TVuValueList M;
    M.WriteVuRectValue("MV", FMargins->GetAsInches());
    M.WriteBoolValue("CLM", FMargins->ClipMargins());
    M.SaveToStream(Stream);
    TVuPen P;
    P.Assign(FMargins->Pen());
    P.SaveToStream(Stream);
    for (TVuPage* Page : FPages)
        Page->SaveToStream(Stream);
}

Extended TVuPageList::ReadStreamVersion(TStream* Stream)
{
    TVuValueList Head;
    Head.LoadFromStream(Stream);
    return Head.ReadExtValue("V", 0);
}

void TVuPageList::LoadFromStream(TStream* Stream)
{
    TVuValueList Head;
    Head.LoadFromStream(Stream);
    bool LoadFile = true;
    if (OnBeforeLoad)
        OnBeforeLoad(this, Head.ReadExtValue("V", 0), LoadFile);
    if (!LoadFile)
        return;
    // Read everything into a document of its own first: a stream that fails half way must not
    // leave this one half replaced (nor inside an update that is never closed).
    std::unique_ptr<TVuPageList> Fresh(New<TVuPageList>());
    // The rich edits of the stream are made through this document's owner, as its own are.
    Fresh->OnNeedRichEdit = [this](TVuPageList*, TCustomMemo*& RichEdit) { NeedRichEdit(this, RichEdit); };
    Fresh->ReadBody(&Head, Stream);
    TakeContentOf(*Fresh);
}

void TVuPageList::ReadBody(TVuValueList* Head, TStream* Stream)
{
    FOrientation = Head->ReadIntValue("O", 0) == 1 ? vuLandscape : vuPortrait;
    FPaperSize = StrToPaperSize(Head->ReadStringValue("PS", "A4"));
    FDefaultPageSize.Width = CheckedPageLength(Head->ReadExtValue("PW", 8.26));
    FDefaultPageSize.Height = CheckedPageLength(Head->ReadExtValue("PH", 11.69));
    Integer NP = Head->ReadIntValue("NP", 0);
    FResourceTable->LoadFromStream(Stream);
    // A page record holds a block length at least.
    NP = CheckedCount(NP, Stream, 4);
    BeginUpdate();
    LoadBand(FHeader.get(), Stream);
    LoadBand(FFooter.get(), Stream);
    TVuValueList M;
    M.LoadFromStream(Stream);
    FMargins->SetAsInches(M.ReadVuRectValue("MV", TVuRect{}));
    FMargins->SetClipMargins(M.ReadBoolValue("CLM", false));
    TVuPen P;
    P.LoadFromStream(Stream);
    std::unique_ptr<TPen> Pen(New<TPen>());
    P.AssignToPen(Pen.get());
    FMargins->SetPen(Pen.get());
    ClearPages(true, false);
    // AddPage sizes each page from the paper; the stored default size stands for the document.
    TVuPaperSize Paper = FPaperSize;
    TVuSize Default = FDefaultPageSize;
    FPaperSize = Custom;
    for (Integer I = 0; I < NP; ++I)
        AddPage()->LoadFromStream(Stream);
    FPaperSize = Paper;
    FDefaultPageSize = Default;
    // A document without pages is a state nothing else expects: it gets one empty page.
    if (Count() == 0)
        AddPage();
    FResourceTable->EndLoad();
    FCurrentPage = 1;
    EndUpdate();
}

void TVuPageList::TakeContentOf(TVuPageList& Source)
{
    BeginUpdate();
    for (TVuPage* P : FPages)
        delete P;
    FPages.clear();
    // The pages' objects point at the table they were loaded with: it comes along.
    std::swap(FResourceTable, Source.FResourceTable);
    WireResourceTable();
    Source.WireResourceTable();
    FPages = std::move(Source.FPages);
    Source.FPages.clear();
    for (TVuPage* P : FPages) {
        WirePage(P);
        for (Integer I = 0; I < P->Count(); ++I)
            if (auto* V = dynamic_cast<TVuVisibleObject*>(P->VuObject(I)))
                V->OnArrange = [this](TVuVisibleObject* Sender, TVuArrangeObject How) {
                    ChangeObjectLevel(Sender, How);
                };
    }
    CopyBand(FHeader.get(), Source.Header());
    CopyBand(FFooter.get(), Source.Footer());
    FMargins->SetAsInches(Source.Margins()->GetAsInches());
    FMargins->SetClipMargins(Source.Margins()->ClipMargins());
    FMargins->SetPen(Source.Margins()->Pen());
    FOrientation = Source.FOrientation;
    FPaperSize = Source.FPaperSize;
    FDefaultPageSize = Source.FDefaultPageSize;
    FCurrentPage = 0;
    SetCurrentPage(1);
    EndUpdate();
}
