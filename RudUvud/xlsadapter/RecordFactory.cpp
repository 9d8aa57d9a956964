#include "RudUvud/xlsadapter/BaseRecords.h"
#include "RudUvud/xlsadapter/OtherRecords.h"
#include "RudUvud/xlsadapter/SettingRecords.h"
#include "RudUvud/xlsadapter/XlsCellRecords.h"
#include "RudUvud/xlsadapter/XlsChart.h"
#include "RudUvud/xlsadapter/XlsColInfo.h"
#include "RudUvud/xlsadapter/XlsCondFormats.h"
#include "RudUvud/xlsadapter/XlsDrawing.h"
#include "RudUvud/xlsadapter/XlsFormula.h"
#include "RudUvud/xlsadapter/XlsHyperLink.h"
#include "RudUvud/xlsadapter/XlsNotes.h"
#include "RudUvud/xlsadapter/XlsPageBreaks.h"
#include "RudUvud/xlsadapter/XlsSST.h"
#include "RudUvud/xlsadapter/XlsStyles.h"

using namespace zivXlsMessages;

namespace {

template <class T> std::unique_ptr<TBaseRecord> Make(Word Id, TRecordBody Data)
{
    return std::make_unique<T>(Id, std::move(Data));
}

using TCreator = std::unique_ptr<TBaseRecord> (*)(Word, TRecordBody);

// The record classes by id. Each class checks in its constructor that the data holds the fields
// its accessors read, and refuses shorter data with "Record with ID 0x%x is invalid". Ids whose
// classes belong to units still to come (styles, drawings, hyperlinks, comments, conditional formats,
// charts) join this table with those units; until then their records are kept and written back
// unchanged.
TCreator CreatorFor(Word Id)
{
    switch (Id) {
    case 0x000A:
        return Make<TEOFRecord>;
    case 0x000E:
        return Make<TPrecisionRecord>;
    case 0x000F:
        return Make<TRefModeRecord>;
    case 0x0014:
        return Make<TPageHeaderRecord>;
    case 0x0015:
        return Make<TPageFooterRecord>;
    case 0x001A:
        return Make<TVPageBreakRecord>;
    case 0x001B:
        return Make<THPageBreakRecord>;
    case 0x0022:
        return Make<T1904Record>;
    case 0x0026:
    case 0x0027:
    case 0x0028:
    case 0x0029:
        return Make<TMarginRecord>;
    case 0x002B:
        return Make<TPrintGridLinesRecord>;
    case 0x003C:
        return Make<TContinueRecord>;
    case 0x003D:
        return Make<TWindow1Record>;
    case 0x0041:
        return Make<TPaneRecord>;
    case 0x004D:
        return Make<TPlsRecord>;
    case 0x0055:
        return Make<TDefColWidthRecord>;
    case 0x005D:
        return Make<TObjRecord>;
    case 0x0060:
        return Make<TTemplateRecord>;
    case 0x007D:
        return Make<TColInfoRecord>;
    case 0x0080:
        return Make<TGutsRecord>;
    case 0x0081:
        return Make<TWsBoolRecord>;
    case 0x0083:
    case 0x0084:
        return Make<TPrintCenteredRecord>;
    case 0x0085:
        return Make<TBoundSheetRecord>;
    case 0x0099:
        return Make<TStandardWidthRecord>;
    case 0x009D:
        return Make<TAutoFilterInfoRecord>;
    case 0x00A0:
        return Make<TSCLRecord>;
    case 0x00A1:
        return Make<TSetupRecord>;
    case 0x00BD:
        return Make<TMulRKRecord>;
    case 0x00BE:
        return Make<TMulBlankRecord>;
    case 0x00D3:
        return Make<TObProjRecord>;
    case 0x00D6:
        return Make<TRStringRecord>;
    case 0x00DA:
        return Make<TBookBoolRecord>;
    case 0x00E5:
        return Make<TCellMergingRecord>;
    case 0x00FC:
        return Make<TSSTRecord>;
    case 0x00FD:
        return Make<TLabelSSTRecord>;
    case 0x01B2:
        return Make<TDValRecord>;
    case 0x01B6:
        return Make<TTXORecord>;
    case 0x01BA:
        return Make<TCodeNameRecord>;
    case 0x0200:
        return Make<TDimensionsRecord>;
    case 0x0201:
        return Make<TBlankRecord>;
    case 0x0203:
        return Make<TNumberRecord>;
    case 0x0205:
        return Make<TBoolErrRecord>;
    case 0x027E:
        return Make<TRKRecord>;
    case 0x0204:
        return Make<TLabelRecord>;
    case 0x0207:
        return Make<TStringRecord>;
    case 0x0208:
        return Make<TRowRecord>;
    case 0x0225:
        return Make<TDefRowHeightRecord>;
    case 0x023E:
        return Make<TWindow2Record>;
    case 0x0809:
        return Make<TBOFRecord>;
    // Charts.
    case xlr_CHARTBEGIN:
        return Make<TBeginRecord>;
    case xlr_CHARTEND:
        return Make<TEndRecord>;
    case xlr_CHARTAI:
        return Make<TChartAIRecord>;
    // Styles and conditional formats.
    case 0x0031:
        return Make<TFontRecord>;
    case 0x0092:
        return Make<TPaletteRecord>;
    case 0x00E0:
        return Make<TXFRecord>;
    case 0x0293:
        return Make<TStyleRecord>;
    case 0x041E:
        return Make<TFormatRecord>;
    case 0x01B0:
        return Make<TCondFmtRecord>;
    case 0x01B1:
        return Make<TCFRecord>;
    // Hyperlinks, comments and drawings.
    case 0x01B8:
        return Make<THLinkRecord>;
    case 0x0800:
        return Make<TScreenTipRecord>;
    case 0x001C:
        return Make<TNoteRecord>;
    case 0x00EB:
        return Make<TDrawingGroupRecord>;
    case 0x00EC:
        return Make<TDrawingRecord>;
    case 0x0059: // XCT
    case 0x005A: // CRN
    case 0x00D7: // DBCELL
    case 0x00ED: // MSODRAWINGSELECTION
    case 0x00FF: // EXTSST
    case 0x013D: // TABID
    case 0x01C1: // RECALCID
    case 0x020B: // INDEX
    case 0x1060: // FONTX
        return Make<TIgnoreRecord>;
    default:
        return Make<TBaseRecord>;
    }
}

} // namespace

std::unique_ptr<TBaseRecord> CreateRecordById(Word Id, TRecordBody Data)
{
    if (Id == 0x002F)
        XlsError(ErrFileIsPasswordProtected);
    // The formula unit builds its own records (formulas, names, shared formulas, tables,
    // arrays and external references).
    if (TXlsRecordCreator formula = FormulaRecordCreator(Id))
        return formula(Id, std::move(Data));
    return CreatorFor(Id)(Id, std::move(Data));
}

std::unique_ptr<TBaseRecord> LoadRecords(TOle2File& DataStream, TRecordHeader& RecHeader)
{
    // The data is read before anything is allocated for it beyond its own 16-bit size, so a
    // header cannot make the reader allocate more than 64 KB or read past the stream's end.
    // The body is read straight into the storage the record keeps (inside the record object
    // for small bodies): no buffer in between.
    TRecordBody data(RecHeader.Size);
    DataStream.ReadMem(data.data(), RecHeader.Size);
    std::unique_ptr<TBaseRecord> rec = CreateRecordById(RecHeader.Id, std::move(data));

    ReadRecordHeader(DataStream, RecHeader);
    LoadRecordTail(DataStream, RecHeader, *rec);
    return rec;
}

bool IsRecordTail(Word Id)
{
    return Id == xlr_CONTINUE || Id == 0x0236 || Id == 0x0221 || Id == 0x0800 || Id == 0x0207;
}

void LoadRecordTail(TOle2File& DataStream, TRecordHeader& RecHeader, TBaseRecord& Rec)
{
    switch (RecHeader.Id) {
    case xlr_CONTINUE: {
        TBaseRecord* last = &Rec;
        while (RecHeader.Id == xlr_CONTINUE) {
            TRecordBody cd(RecHeader.Size);
            DataStream.ReadMem(cd.data(), RecHeader.Size);
            auto cont = std::make_unique<TContinueRecord>(xlr_CONTINUE, std::move(cd));
            TContinueRecord* raw = cont.get();
            last->AddContinue(std::move(cont));
            last = raw;
            ReadRecordHeader(DataStream, RecHeader);
        }
        break;
    }
    case 0x0236: // TABLE
    case 0x0221: // ARRAY
    case 0x0800: // QUICKTIP
        // A hyperlink's tooltip follows its HLINK, which takes it in. A second tooltip after
        // one link stays a record of its own, written back in its place.
        if (Rec.AcceptsAttached(RecHeader.Id))
            Rec.AttachRecord(LoadRecords(DataStream, RecHeader));
        else if (!(RecHeader.Id == 0x0800 && Rec.Id() == 0x01B8))
            XlsError(ErrExcelInvalid);
        break;
    case 0x0207: // STRING
        if (!Rec.AllowsStringRecord())
            XlsError(ErrExcelInvalid);
        break;
    default:
        break;
    }
}
