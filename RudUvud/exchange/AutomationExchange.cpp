// Exchange with other programs through automation servers reached by name: a word-processor
// document holding the grid as a table, spreadsheet workbooks (export, import, sheet names) and
// record sets of a database. The servers are whatever is registered under the names below
// (platform/servers for the word processor and the record sets; the spreadsheet server comes
// with the xls library); the grid only sends members by name.

#include "RudUvud/core/RudUvud.h"
#include "RudUvud/support/DerOdoz.h"

#include "platform/forms/Forms.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Automation.h"

#include <algorithm>
#include <vector>

namespace {

// The hourglass while a server works; the cursor before comes back however the work ends.
class THourGlass {
public:
    THourGlass() : FSaved(Screen ? Screen->Cursor() : crDefault)
    {
        if (Screen)
            Screen->SetCursor(crHourGlass);
    }
    ~THourGlass()
    {
        if (Screen)
            Screen->SetCursor(FSaved);
    }
    THourGlass(const THourGlass&) = delete;
    THourGlass& operator=(const THourGlass&) = delete;

private:
    TCursor FSaved;
};

// A server's application object: a running one when there is, else a new one. Quit is called
// on release only for a server this call started.
class TServerApp {
public:
    TServerApp(const char* ProgID, bool Attach, const char* NotFound)
    {
        if (Attach) {
            try {
                FApp = GetActiveOleObject(ProgID);
                return;
            } catch (const EOleError&) {
            }
        }
        try {
            FApp = CreateOleObject(ProgID);
            FStarted = true;
        } catch (const EOleError&) {
            throw ERudUvudError(NotFound);
        }
    }
    ~TServerApp()
    {
        if (!FStarted)
            return;
        try {
            OleCall(FApp, "Quit");
        } catch (...) {
            // A server that fails to quit must not hide the error that ended the work.
        }
    }
    TServerApp(const TServerApp&) = delete;
    TServerApp& operator=(const TServerApp&) = delete;
    const Variant& App() const { return FApp; }
    bool Started() const { return FStarted; }

private:
    Variant FApp;
    bool FStarted = false;
};

// Texts in the grid's wide-text form go to other programs as the text they stand for.
AnsiString PlainText(const AnsiString& S)
{
    if (S.size() >= 2 && S[0] == '|' && S[1] == '\\')
        return UTF8Encode(DecodeWideStr(S));
    return S;
}

TNamedArg Named(const char* Name, const Variant& Value)
{
    return TNamedArg{Name, Value};
}

// Column numbers (1-based) as spreadsheet letters: 1 "A" .. 26 "Z", 27 "AA" .. 256 "IV".
AnsiString ColumnLetters(Integer N)
{
    AnsiString S;
    while (N > 0) {
        const Integer D = (N - 1) % 26;
        S.insert(S.begin(), static_cast<char>('A' + D));
        N = (N - 1) / 26;
    }
    return S;
}

// The largest sheet of the spreadsheet format the server writes.
constexpr Integer XlsMaxCols = 256;
constexpr Integer XlsMaxRows = 65536;

// One end of a used-range address: letters then a row ("$B$7" after the first "$" was dropped
// becomes "B$7"), or a bare row number for whole rows. Returns false when unusable.
bool ParseAddressPart(const AnsiString& Part, bool WholeRows, Integer& Col, Integer& Row)
{
    if (WholeRows) {
        Col = -1;
        return TryStrToInt(Part, Row) && Row > 0;
    }
    const std::size_t Dollar = Part.find('$');
    if (Dollar == AnsiString::npos || Dollar == 0 || Dollar > 2)
        return false;
    Col = 0;
    for (std::size_t I = 0; I < Dollar; ++I) {
        const char C = static_cast<char>(std::toupper(static_cast<unsigned char>(Part[I])));
        if (C < 'A' || C > 'Z')
            return false;
        Col = Col * 26 + (C - 'A' + 1);
    }
    return TryStrToInt(Part.substr(Dollar + 1), Row) && Row > 0;
}

} // namespace

// ---- Word processor ----------------------------------------------------------------------------

void TDidAririzEvar::SaveToDOC(const AnsiString& FileName, bool NewDocument)
{
    SaveToDOCInt(FileName, "", NewDocument, false);
}

void TDidAririzEvar::AppendToDoc(const AnsiString& FileName, const AnsiString& Bookmark)
{
    SaveToDOCInt(FileName, Bookmark, false, true);
}

void TDidAririzEvar::SaveToDOCInt(const AnsiString& FileName, const AnsiString& Bookmark, bool NewDocument,
                                  bool Append)
{
    THourGlass Cursor;
    TServerApp Server("word.application", true, "Word OLE server not found");
    const Variant& Word = Server.App();

    const Variant Docs = OleGet(Word, "Documents");
    Variant D;
    if (Append)
        D = OleCall(Docs, "Open", {FileName});
    else if (NewDocument || OleGet(Docs, "Count").AsInteger() == 0)
        D = OleCall(Docs, "Add");
    else
        D = OleGet(Word, "ActiveDocument");

    OleSet(D, "ShowSpellingErrors", false);
    const Variant S = OleGet(Word, "Selection");
    OleCall(S, "TypeText", {Text()});
    OleCall(S, "TypeParaGraph");

    Variant R;
    if (Append && !Bookmark.empty() && OleCall(OleGet(D, "Bookmarks"), "Exists", {Bookmark}).AsBoolean()) {
        R = OleCall(D, "Goto", {}, {Named("what", -1), Named("name", Bookmark)});
    } else if (Append) {
        OleCall(OleGet(D, "Paragraphs"), "Add");
        OleCall(OleGet(Word, "Selection"), "Goto", {}, {Named("what", 3), Named("which", -1)});
        const Variant End = OleGet(OleGet(Word, "Selection"), "End");
        R = OleCall(D, "Range", {}, {Named("start", End), Named("end", End)});
    } else {
        R = OleCall(D, "Range", {}, {Named("start", 0), Named("end", 0)});
    }

    const Integer NR = RowCount(), NC = ColCount();
    const Variant T =
        OleCall(OleGet(D, "Tables"), "Add", {R}, {Named("numRows", NR), Named("numColumns", NC)});
    for (Integer Row = 1; Row <= NR; ++Row)
        for (Integer Col = 1; Col <= NC; ++Col) {
            const Variant Cell = OleCall(T, "Cell", {}, {Named("Row", Row), Named("Column", Col)});
            const Variant Range = OleGet(Cell, "Range");
            OleCall(Range, "InsertAfter", {PlainText(SaveCell(RemapCol(Col - 1), Row - 1))});
            TAlignment HA = taLeftJustify;
            TVAlignment VA = vtaTop;
            GetCellAlignment(Col - 1, Row - 1, HA, VA);
            if (HA == taRightJustify)
                OleSet(OleGet(Range, "ParagraphFormat"), "Alignment", 2);
            else if (HA == taCenter)
                OleSet(OleGet(Range, "ParagraphFormat"), "Alignment", 1);
        }
    OleCall(D, "SaveAs", {FileName});
}

// ---- Spreadsheet -------------------------------------------------------------------------------

void TDidAririzEvar::SaveToXLS(const AnsiString& FileName, bool NewWorkbook)
{
    SaveXLS(FileName, "", NewWorkbook);
}

void TDidAririzEvar::SaveToXLSSheet(const AnsiString& FileName, const AnsiString& SheetName)
{
    SaveXLS(FileName, SheetName, true);
}

void TDidAririzEvar::SaveXLS(const AnsiString& FileName, const AnsiString& SheetName, bool NewWorkbook)
{
    THourGlass Cursor;
    TServerApp Server("excel.application", true, "Excel OLE server not found");
    const Variant& Excel = Server.App();

    const Integer FC = IncludeFixedCells() ? 0 : FixedCols();
    const Integer FR = IncludeFixedCells() ? 0 : FixedRows();
    const Integer NR = RowCount() - FR, NC = ColCount() - FC;

    Variant W, H;
    bool SaveUnderName = true;
    Integer Top = 1;
    const Variant Books = OleGet(Excel, "WorkBooks");
    if (SheetName.empty()) {
        if (NewWorkbook || OleGet(Books, "Count").AsInteger() == 0) {
            W = OleCall(Books, "Add");
            H = OleGet(W, "Sheets", {1});
        } else {
            W = OleGet(Excel, "ActiveWorkBook");
            H = OleGet(W, "ActiveSheet");
            Top = OleGet(OleGet(Excel, "ActiveCell"), "Row").AsInteger();
        }
    } else {
        // A workbook that cannot be opened or made is an error the caller hears of; the export
        // does not end as if it had worked.
        SaveUnderName = false;
        if (FileExists(FileName)) {
            W = OleCall(Books, "Open", {FileName});
        } else {
            W = OleCall(Books, "Add");
            SaveUnderName = true;
        }
        const Variant Sheets = OleGet(W, "Sheets");
        const Integer N = OleGet(Sheets, "Count").AsInteger();
        for (Integer I = 1; I <= N && H.IsEmpty(); ++I) {
            Variant Sh = OleGet(W, "Sheets", {I});
            if (OleGet(Sh, "Name").AsString() == SheetName)
                H = Sh;
        }
        if (H.IsEmpty()) {
            H = OleCall(OleGet(W, "WorkSheets"), "Add");
            OleSet(H, "Name", SheetName);
        }
    }

    // The sheet's limits are checked before anything is sent, so a grid too large for the format
    // gives a clear error instead of a range the server cannot name.
    if (NC > XlsMaxCols || Top + NR - 1 > XlsMaxRows)
        throw ERudUvudError("The grid does not fit on a worksheet (at most 256 columns and 65536 rows)");
    if (NR <= 0 || NC <= 0)
        return;

    Variant A = VarArrayCreate({0, NR - 1, 0, NC - 1}, varVariant);
    ExportNotification(esExportStart, FR);
    for (Integer R = FR; R < RowCount(); ++R) {
        ExportNotification(esExportNextRow, R);
        for (Integer J = FC; J < ColCount(); ++J)
            A.PutElement({R - FR, J - FC}, Variant(LineFeedsToXLS(PlainText(SaveCell(RemapCol(J), R)))));
    }
    ExportNotification(esExportDone, -1);

    const AnsiString Address = "A" + IntToStr(Top) + ":" + ColumnLetters(NC) + IntToStr(Top + NR - 1);
    OleSet(OleGet(H, "Range", {Address}), "Value", A);
    if (SaveUnderName)
        OleCall(W, "SaveAs", {FileName});
    else
        OleCall(W, "Save");
}

TStringList* TDidAririzEvar::GetXLSSheets(const AnsiString& FileName)
{
    THourGlass Cursor;
    TServerApp Server("excel.application", false, "Excel OLE server not found");
    std::unique_ptr<TStringList> List(New<TStringList>());
    const Variant W = OleCall(OleGet(Server.App(), "WorkBooks"), "Open", {FileName});
    const Variant L = OleGet(W, "WorkSheets");
    const Integer N = OleGet(L, "Count").AsInteger();
    for (Integer I = 1; I <= N; ++I)
        List->Add(OleGet(OleCall(L, "item", {I}), "Name").AsString());
    OleSet(W, "Saved", true);
    return List.release();
}

void TDidAririzEvar::LoadFromXLS(const AnsiString& FileName)
{
    LoadXLS(FileName, "");
}

void TDidAririzEvar::LoadFromXLSSheet(const AnsiString& FileName, const AnsiString& SheetName)
{
    LoadXLS(FileName, SheetName);
}

void TDidAririzEvar::LoadXLS(const AnsiString& FileName, const AnsiString& SheetName)
{
    THourGlass Cursor;
    TServerApp Server("excel.application", false, "Excel OLE server not found");
    const Variant W = OleCall(OleGet(Server.App(), "WorkBooks"), "Open", {FileName});
    Variant H;
    if (!SheetName.empty()) {
        const Integer N = OleGet(OleGet(W, "Sheets"), "Count").AsInteger();
        for (Integer I = 1; I <= N && H.IsEmpty(); ++I) {
            Variant Sh = OleGet(W, "Sheets", {I});
            if (OleGet(Sh, "Name").AsString() == SheetName)
                H = Sh;
        }
        if (H.IsEmpty())
            throw ERudUvudError("Excel worksheet " + SheetName + " not found");
    } else {
        H = OleGet(W, "ActiveSheet");
    }

    // The used range, "$A$1:$D$10", "$1:$5" (whole rows) or a single cell.
    const AnsiString Addr = OleGet(OleGet(H, "UsedRange"), "Address").AsString();
    Integer C1 = 1, R1 = 1, C2 = 1, R2 = 1;
    bool Usable = true;
    const std::size_t Colon = Addr.find(':');
    if (Colon != AnsiString::npos) {
        AnsiString First = Addr.substr(0, Colon), Last = Addr.substr(Colon + 1);
        if (!First.empty() && First[0] == '$')
            First.erase(0, 1);
        if (!Last.empty() && Last[0] == '$')
            Last.erase(0, 1);
        const bool WholeRows = First.find('$') == AnsiString::npos;
        Usable = ParseAddressPart(First, WholeRows, C1, R1) && ParseAddressPart(Last, WholeRows, C2, R2);
        if (WholeRows) {
            C1 = 1;
            C2 = XlsMaxCols;
        }
        Usable = Usable && C2 >= C1 && R2 >= R1;
    }

    const Integer FC = IncludeFixedCells() ? 0 : FixedCols();
    const Integer FR = IncludeFixedCells() ? 0 : FixedRows();
    const Integer NC = C2 - C1 + 1, NR = R2 - R1 + 1;
    const AnsiString Range = ColumnLetters(C1) + IntToStr(R1) + ":" + ColumnLetters(C2) + IntToStr(R2);

    // Every value is read and converted before the grid changes, so a workbook that cannot be
    // read leaves the grid as it was.
    std::vector<std::vector<AnsiString>> Texts;
    if (Usable) {
        try {
            const Variant V = OleGet(OleGet(H, "Range", {Range}), "Value");
            Texts.assign(static_cast<std::size_t>(NR), std::vector<AnsiString>(static_cast<std::size_t>(NC)));
            if (V.IsArray()) {
                const Integer L1 = V.ArrayLowBound(1), L2 = V.ArrayLowBound(2);
                const Integer H1 = std::min(V.ArrayHighBound(1), L1 + NR - 1);
                const Integer H2 = std::min(V.ArrayHighBound(2), L2 + NC - 1);
                for (Integer I = L1; I <= H1; ++I)
                    for (Integer J = L2; J <= H2; ++J) {
                        const Variant& E = V.GetElement({I, J});
                        const TVarType T = E.VType() & varTypeMask;
                        if (E.IsEmpty() || T == varDispatch || T == varUnknown || T == varError)
                            continue;
                        Texts[static_cast<std::size_t>(I - L1)][static_cast<std::size_t>(J - L2)] =
                            VarToStr(E);
                    }
            } else if (!V.IsEmpty()) {
                Texts[0][0] = VarToStr(V);
            }
        } catch (const EOleError&) {
            throw;
        } catch (const Exception&) {
            throw Exception("Incorrect XLS file");
        }
    }
    OleCall(W, "Close", {}, {Named("SaveChanges", false)});

    if (Usable) {
        const Integer OldFC = FixedCols(), OldFR = FixedRows();
        SetColCount(NC + FC);
        SetRowCount(NR + FR);
        for (Integer I = 0; I < NR; ++I)
            for (Integer J = 0; J < NC; ++J)
                LoadCell(J + FC, I + FR, Texts[static_cast<std::size_t>(I)][static_cast<std::size_t>(J)]);
        if (OldFC < ColCount() && OldFC != FixedCols())
            SetFixedCols(OldFC);
        if (OldFR < RowCount() && OldFR != FixedRows())
            SetFixedRows(OldFR);
    }
    CellsChanged(TRect{0, 0, ColCount(), RowCount()});
    CellsLoaded();
}

// ---- Database ----------------------------------------------------------------------------------

void TDidAririzEvar::LoadFromMDBTable(const AnsiString& FileName, const AnsiString& Table)
{
    // The name is quoted as an identifier, so names with blanks work and a name cannot carry
    // further SQL.
    AnsiString Quoted;
    if (Table.find(']') == AnsiString::npos) {
        Quoted = "[" + Table + "]";
    } else {
        Quoted = "\"";
        for (char C : Table) {
            Quoted += C;
            if (C == '"')
                Quoted += '"';
        }
        Quoted += '"';
    }
    LoadFromMDBSQL(FileName, "SELECT * FROM " + Quoted);
}

void TDidAririzEvar::LoadFromMDBSQL(const AnsiString& FileName, const AnsiString& SQL)
{
    const Variant K = CreateOleObject("ADODB.Connection");
    OleCall(K, "Open", {"Driver={Microsoft Access Driver (*.mdb)};DBQ=" + FileName});
    const Variant Q = CreateOleObject("ADODB.RecordSet");
    OleSet(Q, "ActiveConnection", K);
    OleCall(Q, "Open", {SQL});

    // The whole result is read before the grid changes: a query that fails half-way leaves the
    // grid as it was.
    const Variant Fields = OleGet(Q, "Fields");
    const Integer N = OleGet(Fields, "Count").AsInteger();
    std::vector<AnsiString> Names;
    for (Integer I = 0; I < N; ++I)
        Names.push_back(OleGet(OleGet(Q, "Fields", {I}), "Name").AsString());
    const Integer Count = OleGet(Q, "RecordCount").AsInteger();
    std::vector<std::vector<AnsiString>> Rows;
    while (!OleGet(Q, "Eof").AsBoolean()) {
        std::vector<AnsiString> Row;
        for (Integer I = 0; I < N; ++I) {
            const Variant F = OleGet(Q, "Fields", {I});
            Row.push_back(OleGet(F, "ActualSize").AsInteger() > 0 ? VarToStr(OleGet(F, "Value"))
                                                                  : AnsiString());
        }
        Rows.push_back(std::move(Row));
        OleCall(Q, "MoveNext");
    }
    OleCall(Q, "Close");
    OleCall(K, "Close");

    const Integer FC = FixedCols(), FR = FixedRows();
    SetColCount(FC + N);
    if (FR > 0)
        for (Integer I = 0; I < N; ++I)
            SetCells(FC + I, FR - 1, Names[static_cast<std::size_t>(I)]);
    if (Count > 0)
        SetRowCount(FR + Count);
    Integer R = FR;
    for (const std::vector<AnsiString>& Row : Rows) {
        if (R >= RowCount())
            SetRowCount(R + 1);
        for (Integer I = 0; I < N; ++I)
            LoadCell(FC + I, R, Row[static_cast<std::size_t>(I)]);
        ++R;
    }
    // A server that does not know the count up front leaves the rows to grow; rows of an earlier
    // content below the records would read as records, so the grid ends after the last one (an
    // empty result keeps one empty row).
    if (Count <= 0) {
        if (Rows.empty())
            for (Integer I = 0; I < N; ++I)
                LoadCell(FC + I, FR, AnsiString());
        SetRowCount(std::max<Integer>(R, FR + 1));
    }
}

// ---- Scaling -----------------------------------------------------------------------------------

void TDidAririzEvar::ChangeScale(Integer M, Integer D)
{
    TBaseGrid::ChangeScale(M, D);
    if (ComponentState().Contains(csDesigning) || M == D || D == 0)
        return;
    FFixedFont->SetSize(MulDiv(FFixedFont->Size(), M, D));
    FActiveCellFont->SetSize(MulDiv(FActiveCellFont->Size(), M, D));
}

// ---- Progress ----------------------------------------------------------------------------------

void TDidAririzEvar::FileProgress(Integer Pos, Integer Span, Integer& Last)
{
    if (!OnFileProgress)
        return;
    // Rounded to the nearest whole percent, halves to the even one.
    const Int64 Num = Int64(Pos) * 100, Den = std::max<Integer>(1, Span);
    Int64 P = Num / Den;
    const Int64 Rem = Num % Den;
    if (Rem * 2 > Den || (Rem * 2 == Den && (P & 1)))
        ++P;
    if (P != Last) {
        Last = static_cast<Integer>(P);
        OnFileProgress(this, Last);
    }
}
