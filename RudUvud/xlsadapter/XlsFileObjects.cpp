#include "RudUvud/xlsadapter/XlsFile.h"

#include "RudUvud/xlsadapter/XlsCellValues.h"
#include "RudUvud/xlsadapter/XlsFormula.h"
#include "RudUvud/xlsadapter/XlsMessages.h"
#include "RudUvud/xlsadapter/XlsWorkbook.h"
#include "platform/rtl/Guards.h"

#include <optional>

// The xls file's pictures, comments, hyperlinks and defined names.

using namespace zivXlsMessages;

namespace {
TImageProperties EngineCorners(const TImageProperties& P)
{
    TImageProperties R = P;
    R.StartCol -= 1;
    R.StartRow -= 1;
    R.EndCol -= 1;
    R.EndRow -= 1;
    return R;
}

void CheckIndex(Integer Index, const char* Property, Integer Low, Integer High)
{
    if (Index < Low || Index > High)
        XlsError(ErrXlsIndexOutBounds, {Int64(Index), AnsiString(Property), Int64(Low), Int64(High)});
}

// Picture N when it is one of the pictures kept outside the drawing, which count after the
// drawing's own.
std::optional<TLoosePicture> LoosePicture(const TWorkSheet& WS, Integer N)
{
    const std::vector<TLoosePicture> loose = WS.LoosePictures();
    const Integer k = N - WS.Drawing().DrawingCount();
    if (k < 0 || k >= static_cast<Integer>(loose.size()))
        return std::nullopt;
    return loose[static_cast<size_t>(k)];
}
} // namespace

// ---- Pictures ----------------------------------------------------------------------------------

Integer TXLSFile::PictureIndex(Integer Row, Integer Index) const
{
    if (Row <= 0)
        return Index;
    if (!FRowPictures)
        const_cast<TXLSFile*>(this)->BeginSheet();
    const TCommentRowPos& Pos = FRowPictures->GetItems(Row);
    CheckIndex(Index, "ImageIndex", 0, Pos.Count() - 1);
    return Pos.GetItems(Index);
}

Integer TXLSFile::GetPicturesCount(Integer Row)
{
    TWorkSheet* WS = WorkSheet();
    if (!WS)
        return 0;
    if (Row <= 0)
        return WS->Drawing().DrawingCount() + static_cast<Integer>(WS->LoosePictures().size());
    if (!FRowPictures)
        BeginSheet();
    return FRowPictures->GetItems(Row).Count();
}

WideString TXLSFile::GetPictureName(Integer Row, Integer Index)
{
    TWorkSheet* WS = WorkSheet();
    if (!WS)
        return WideString();
    const Integer N = PictureIndex(Row, Index);
    if (N >= WS->Drawing().DrawingCount() && LoosePicture(*WS, N))
        return WideString(); // kept without a name
    return WS->Drawing().GetDrawingName(N);
}

void TXLSFile::GetPicture(Integer Row, Integer Index, TStream* Stream, TXlsImgTypes& ImgType,
                          TClientAnchor& Anchor)
{
    Anchor = TClientAnchor();
    TWorkSheet* WS = WorkSheet();
    if (!WS)
        return;
    const Integer N = PictureIndex(Row, Index);
    const std::optional<TLoosePicture> loose =
        N >= WS->Drawing().DrawingCount() ? LoosePicture(*WS, N) : std::nullopt;
    if (loose) {
        if (Stream)
            GetLoosePicture(*loose, *Stream, ImgType);
        Anchor = LoosePictureAnchor(*loose);
    } else {
        if (Stream)
            WS->Drawing().GetDrawingFromStream(N, *Stream, ImgType);
        Anchor = WS->Drawing().GetAnchor(N);
    }
    Anchor.StartCol = static_cast<Word>(Anchor.StartCol + 1);
    Anchor.StartRow = static_cast<Word>(Anchor.StartRow + 1);
    Anchor.EndCol = static_cast<Word>(Anchor.EndCol + 1);
    Anchor.EndRow = static_cast<Word>(Anchor.EndRow + 1);
}

void TXLSFile::AssignPicture(Integer Row, Integer Index, const ByteArray& Data, TXlsImgTypes ImgType)
{
    if (TWorkSheet* WS = WorkSheet())
        WS->Drawing().AssignDrawing(PictureIndex(Row, Index), Data, ImgType);
}

void TXLSFile::AssignPicture(Integer Row, Integer Index, const ByteArray& Data, TXlsImgTypes ImgType,
                             const TImageProperties& Props, TVovAnchorType Anchor)
{
    AssignPicture(Row, Index, Data, ImgType);
    AssignPictureProperties(Row, Index, Props, Anchor);
}

void TXLSFile::AssignPictureProperties(Integer Row, Integer Index, const TImageProperties& Props,
                                       TVovAnchorType Anchor)
{
    TWorkSheet* WS = WorkSheet();
    if (!WS)
        return;
    TClientAnchor A;
    A.AnchorFlags = Anchor == at_MoveAndDontResize ? 2 : Anchor == at_DontMoveAndDontResize ? 3 : 0;
    A.StartCol = static_cast<Word>(Props.StartCol - 1);
    A.StartColOffset = static_cast<Word>(Props.StartColOffset);
    A.StartRow = static_cast<Word>(Props.StartRow - 1);
    A.StartRowOffset = static_cast<Word>(Props.StartRowOffset);
    A.EndCol = static_cast<Word>(Props.EndCol - 1);
    A.EndColOffset = static_cast<Word>(Props.EndColOffset);
    A.EndRow = static_cast<Word>(Props.EndRow - 1);
    A.EndRowOffset = static_cast<Word>(Props.EndRowOffset);
    WS->Drawing().SetAnchor(PictureIndex(Row, Index), A, WS->EscherSheet());
    FRowPictures.reset();
}

void TXLSFile::AddImage(const ByteArray& Data, TXlsImgTypes ImgType, const TImageProperties& Props,
                        TVovAnchorType Anchor)
{
    TWorkSheet* WS = WorkSheet();
    if (!WS)
        return;
    Book().Globals().DrawingGroup().EnsureDwgGroup();
    WS->Drawing().AddImage(Data, ImgType, EngineCorners(Props), Anchor, WS->EscherSheet());
    FRowPictures.reset();
}

void TXLSFile::ClearImage(Integer Index)
{
    TWorkSheet* WS = WorkSheet();
    if (!WS)
        return;
    CheckIndex(Index, "ImageIndex", 0, WS->Drawing().DrawingCount() - 1);
    WS->Drawing().ClearImage(Index);
}

void TXLSFile::DeleteImage(Integer Index)
{
    TWorkSheet* WS = WorkSheet();
    if (!WS)
        return;
    CheckIndex(Index, "ImageIndex", 0, WS->Drawing().DrawingCount() - 1);
    WS->Drawing().DeleteImage(Index);
    FRowPictures.reset();
}

// ---- Comments ----------------------------------------------------------------------------------

namespace {
TNoteRecordList* NotesOf(TWorkSheet* WS, Integer Row)
{
    if (!WS || Row < 1 || Row > WS->Notes().Count())
        return nullptr;
    TNoteRecordList* L = WS->Notes().GetNotes(Row - 1);
    if (L && !L->Sorted())
        L->Sort();
    return L;
}
} // namespace

Integer TXLSFile::GetCommentsCount(Integer Row)
{
    TNoteRecordList* L = NotesOf(WorkSheet(), Row);
    return L ? L->Count() : 0;
}

WideString TXLSFile::GetCommentText(Integer Row, Integer Index)
{
    TNoteRecordList* L = NotesOf(WorkSheet(), Row);
    if (!L || Index < 0 || Index >= L->Count())
        return WideString();
    return L->Items(Index)->GetText();
}

Integer TXLSFile::GetCommentColumn(Integer Row, Integer Index)
{
    TNoteRecordList* L = NotesOf(WorkSheet(), Row);
    if (!L || Index < 0 || Index >= L->Count())
        return 1;
    return L->Items(Index)->GetColumn() + 1;
}

void TXLSFile::AssignComment(Integer Row, Integer Index, const WideString& Comment)
{
    TNoteRecordList* L = NotesOf(WorkSheet(), Row);
    if (!L || Index < 0 || Index >= L->Count())
        return;
    if (Comment.empty())
        L->Delete(Index);
    else
        L->Items(Index)->SetText(Comment);
}

WideString TXLSFile::GetCellComment(Integer Row, Integer Col)
{
    TNoteRecordList* L = NotesOf(WorkSheet(), Row);
    Integer Index = 0;
    if (!L || !L->Find(Col - 1, Index))
        return WideString();
    return L->Items(Index)->GetText();
}

void TXLSFile::SetCellComment(Integer Row, Integer Col, const WideString& Comment,
                              const TImageProperties& Props)
{
    TWorkSheet* WS = WorkSheet();
    if (!WS)
        return;
    TNoteRecordList* L = NotesOf(WS, Row);
    Integer Index = 0;
    if (L && L->Find(Col - 1, Index)) {
        if (Comment.empty())
            L->Delete(Index);
        else
            L->Items(Index)->SetText(Comment);
        return;
    }
    if (Comment.empty())
        return;
    Book().Globals().DrawingGroup().EnsureDwgGroup();
    WS->Notes().AddNewComment(Row - 1, Col - 1, Comment, WS->Drawing(), EngineCorners(Props),
                              WS->EscherSheet());
}

// ---- Hyperlinks --------------------------------------------------------------------------------

namespace {
THLinkRecord& LinkAt(TWorkSheet* WS, Integer Index)
{
    const Integer Count = WS ? WS->HLinks().Count() : 0;
    CheckIndex(Index, "HyperLinkIndex", 1, Count);
    return *WS->HLinks().GetItems(Index - 1);
}
} // namespace

Integer TXLSFile::HyperLinkCount()
{
    TWorkSheet* WS = WorkSheet();
    return WS ? WS->HLinks().Count() : 0;
}

THyperLink TXLSFile::GetHyperLink(Integer Index)
{
    return LinkAt(WorkSheet(), Index).GetProperties();
}

void TXLSFile::SetHyperLink(Integer Index, const THyperLink& Value)
{
    LinkAt(WorkSheet(), Index).SetProperties(Value);
}

TXlsCellRange TXLSFile::GetHyperLinkCellRange(Integer Index)
{
    return OffsetRange(LinkAt(WorkSheet(), Index).GetCellRange(), 1, 1);
}

void TXLSFile::SetHyperLinkCellRange(Integer Index, const TXlsCellRange& Range)
{
    LinkAt(WorkSheet(), Index).SetCellRange(OffsetRange(Range, -1, -1));
}

void TXLSFile::AddHyperLink(const TXlsCellRange& Range, const THyperLink& Value)
{
    if (TWorkSheet* WS = WorkSheet())
        WS->HLinks().Add(std::make_unique<THLinkRecord>(OffsetRange(Range, -1, -1), Value));
}

void TXLSFile::DeleteHyperLink(Integer Index)
{
    TWorkSheet* WS = WorkSheet();
    LinkAt(WS, Index);
    WS->HLinks().Delete(Index - 1);
}

// ---- Defined names -----------------------------------------------------------------------------

namespace {
TNameRecord& NameAt(TWorkbook& B, Integer Index)
{
    TNameRecordList& Names = B.Globals().Names();
    CheckIndex(Index, "RangeIndex", 1, Names.Count());
    return *Names.Items(Index - 1);
}
} // namespace

Integer TXLSFile::GetExcelNameCount()
{
    return Book().Globals().Names().Count();
}

WideString TXLSFile::GetRangeName(Integer Index)
{
    return NameAt(Book(), Index).Name();
}

Integer TXLSFile::GetRangeR1(Integer Index)
{
    return NameAt(Book(), Index).GetR1() + 1;
}

Integer TXLSFile::GetRangeR2(Integer Index)
{
    return NameAt(Book(), Index).GetR2() + 1;
}

Integer TXLSFile::GetRangeC1(Integer Index)
{
    return NameAt(Book(), Index).GetC1() + 1;
}

Integer TXLSFile::GetRangeC2(Integer Index)
{
    return NameAt(Book(), Index).GetC2() + 1;
}

void TXLSFile::SetRangeR1(Integer Index, Integer Value)
{
    NameAt(Book(), Index).SetR1(Value - 1);
}

void TXLSFile::SetRangeR2(Integer Index, Integer Value)
{
    NameAt(Book(), Index).SetR2(Value - 1);
}

void TXLSFile::SetRangeC1(Integer Index, Integer Value)
{
    NameAt(Book(), Index).SetC1(Value - 1);
}

void TXLSFile::SetRangeC2(Integer Index, Integer Value)
{
    NameAt(Book(), Index).SetC2(Value - 1);
}

Integer TXLSFile::GetRangeSheet(Integer Index)
{
    TWorkbook& B = Book();
    TReferences& Refs = B.Globals().References();
    return NameAt(B, Index).RefersToSheet([&Refs](Word Ref) { return Refs.GetSheet(Ref); }) + 1;
}

void TXLSFile::AddRange(TXlsNamedRange& Range)
{
    auto C = Cells();
    if (!C)
        return;
    const Integer Saved = Range.LocalSheet;
    Range.LocalSheet = Saved - 1;
    TScopeExit Restore([&Range, Saved] { Range.LocalSheet = Saved; });
    Book().Globals().AddName(Range, C);
}
