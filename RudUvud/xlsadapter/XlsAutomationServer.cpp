#include "RudUvud/xlsadapter/XlsAutomationServer.h"

#include "RudUvud/xlsadapter/XlsFile.h"
#include "RudUvud/xlsadapter/XlsWorkbook.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Strings.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <vector>

namespace {

bool Is(const AnsiString& A, const char* B)
{
    return SameText(A, B);
}

bool IsPut(int Kind)
{
    return (Kind & DISPATCH_PROPERTYPUT) != 0;
}

// One open workbook: its file and the name it was opened from or saved as.
struct BookState {
    std::unique_ptr<TXLSFile> File;
    AnsiString FileName;
};
using BookPtr = std::shared_ptr<BookState>;

struct AppState {
    std::vector<BookPtr> Books;
    BookPtr Active;
};
using AppPtr = std::shared_ptr<AppState>;

class XlsObject : public TAutoObject {
protected:
    AnsiString ServerName() const override { return "Excel.Application"; }
};

// "A1", "$B$2", "A1:C3": columns and rows from 1; false for anything else.
bool ParseCell(const AnsiString& Text, Integer& Col, Integer& Row)
{
    std::size_t i = 0;
    if (i < Text.size() && Text[i] == '$')
        ++i;
    Col = 0;
    const std::size_t ColStart = i;
    while (i < Text.size() && std::isalpha(static_cast<unsigned char>(Text[i])) && i - ColStart < 3)
        Col = Col * 26 + (std::toupper(static_cast<unsigned char>(Text[i++])) - 'A' + 1);
    if (i == ColStart)
        return false;
    if (i < Text.size() && Text[i] == '$')
        ++i;
    Row = 0;
    const std::size_t RowStart = i;
    while (i < Text.size() && std::isdigit(static_cast<unsigned char>(Text[i])) && i - RowStart < 6)
        Row = Row * 10 + (Text[i++] - '0');
    return i == Text.size() && i > RowStart && Col >= 1 && Col <= 256 && Row >= 1 && Row <= 65536;
}

// The sheet the workbook shows (its selected sheet), from 1.
Integer ShownSheet(TXLSFile& F)
{
    return F.GetTWorkbook()->GetActiveSheet() + 1;
}

AnsiString CellAddress(Integer Col, Integer Row)
{
    return "$" + EncodeColumn(Col) + "$" + std::to_string(Row);
}

class RangeObject : public XlsObject {
public:
    RangeObject(BookPtr B, Integer Sheet, Integer R1, Integer C1, Integer R2, Integer C2)
        : FBook(std::move(B)), FSheet(Sheet), FR1(R1), FC1(C1), FR2(R2), FC2(C2)
    {
    }
    Variant Invoke(const AnsiString& Name, int Kind, const std::vector<Variant>& Args,
                   const std::vector<TNamedArg>& Named) override
    {
        TXLSFile& F = *FBook->File;
        F.SetActiveSheet(FSheet);
        if (Is(Name, "Value") || Is(Name, "Value2") || Is(Name, "Text")) {
            if (IsPut(Kind)) {
                if (Args.empty())
                    ServerError("A value is needed.");
                PutValue(F, Args.back());
                return Variant();
            }
            return GetValue(F);
        }
        if (Is(Name, "Address")) {
            const AnsiString First = CellAddress(FC1, FR1);
            return FR1 == FR2 && FC1 == FC2 ? First : First + ":" + CellAddress(FC2, FR2);
        }
        if (Is(Name, "Row"))
            return FR1;
        if (Is(Name, "Column"))
            return FC1;
        if (Is(Name, "Rows") || Is(Name, "Columns"))
            return AutoVariant(
                std::make_shared<CountObject>(Is(Name, "Rows") ? FR2 - FR1 + 1 : FC2 - FC1 + 1));
        UnknownMember(Name);
    }

private:
    // A count and nothing else (Range.Rows.Count).
    class CountObject : public XlsObject {
    public:
        explicit CountObject(Integer N) : FN(N) {}
        Variant Invoke(const AnsiString& Name, int, const std::vector<Variant>&,
                       const std::vector<TNamedArg>&) override
        {
            if (Is(Name, "Count"))
                return FN;
            UnknownMember(Name);
        }

    private:
        Integer FN;
    };

    static Variant CellVariant(const TXlsVariant& V)
    {
        switch (V.VarType) {
        case xvNumber:
        case xvDate:
            return V.Number;
        case xvString:
            return V.Text;
        case xvBoolean:
            return V.Boolean;
        default:
            return Variant();
        }
    }

    Variant GetValue(TXLSFile& F) const
    {
        if (FR1 == FR2 && FC1 == FC2)
            return CellVariant(F.GetCellValue(FR1, FC1));
        Variant A = VarArrayCreate({1, FR2 - FR1 + 1, 1, FC2 - FC1 + 1}, varVariant);
        for (Integer R = FR1; R <= FR2; ++R)
            for (Integer C = FC1; C <= FC2; ++C)
                A.PutElement({R - FR1 + 1, C - FC1 + 1}, CellVariant(F.GetCellValue(R, C)));
        return A;
    }

    static void PutCell(TXLSFile& F, Integer Row, Integer Col, const Variant& V)
    {
        const TVarType T = V.VType() & varTypeMask;
        if (V.IsEmpty())
            F.SetCellValue(Row, Col, TXlsVariant::Empty());
        else if (T == varBoolean)
            F.SetCellValue(Row, Col, TXlsVariant::FromBoolean(V.AsBoolean()));
        else if (T == varOleStr || T == varString)
            F.SetCellString(Row, Col, V.AsWideString(), WideString(), WideString());
        else if (T == varDate)
            F.SetCellValue(Row, Col, TXlsVariant::FromDate(V.AsDouble()));
        else
            F.SetCellValue(Row, Col, TXlsVariant::FromNumber(V.AsDouble()));
    }

    void PutValue(TXLSFile& F, const Variant& V)
    {
        if (!V.IsArray()) {
            for (Integer R = FR1; R <= FR2; ++R)
                for (Integer C = FC1; C <= FC2; ++C)
                    PutCell(F, R, C, V);
            return;
        }
        const Integer L1 = V.ArrayLowBound(1), L2 = V.ArrayLowBound(2);
        const Integer H1 = std::min(V.ArrayHighBound(1), L1 + FR2 - FR1);
        const Integer H2 = std::min(V.ArrayHighBound(2), L2 + FC2 - FC1);
        for (Integer I = L1; I <= H1; ++I)
            for (Integer J = L2; J <= H2; ++J)
                PutCell(F, FR1 + I - L1, FC1 + J - L2, V.GetElement({I, J}));
    }

    BookPtr FBook;
    Integer FSheet, FR1, FC1, FR2, FC2;
};

class SheetObject : public XlsObject {
public:
    SheetObject(BookPtr B, Integer Sheet) : FBook(std::move(B)), FSheet(Sheet) {}
    Variant Invoke(const AnsiString& Name, int Kind, const std::vector<Variant>& Args,
                   const std::vector<TNamedArg>& Named) override
    {
        TXLSFile& F = *FBook->File;
        if (FSheet < 1 || FSheet > F.SheetCount())
            ServerError("The sheet no longer exists.");
        F.SetActiveSheet(FSheet);
        if (Is(Name, "Name")) {
            if (IsPut(Kind)) {
                F.SetActiveSheetName(Args.back().AsWideString());
                return Variant();
            }
            return F.GetActiveSheetName();
        }
        if (Is(Name, "Index"))
            return FSheet;
        if (Is(Name, "Activate") || Is(Name, "Select")) {
            F.SelectSheet(FSheet);
            return Variant();
        }
        if (Is(Name, "Range")) {
            const AnsiString A = Arg(Args, Named, 0, "Cell1").AsString();
            const std::size_t Colon = A.find(':');
            Integer C1 = 0, R1 = 0, C2 = 0, R2 = 0;
            if (!ParseCell(A.substr(0, Colon), C1, R1))
                ServerError("The range \"" + A + "\" is not a cell address.");
            C2 = C1;
            R2 = R1;
            if (Colon != AnsiString::npos && !ParseCell(A.substr(Colon + 1), C2, R2))
                ServerError("The range \"" + A + "\" is not a cell address.");
            return Make(std::min(R1, R2), std::min(C1, C2), std::max(R1, R2), std::max(C1, C2));
        }
        if (Is(Name, "Cells")) {
            const Integer R = Arg(Args, Named, 0, "RowIndex").AsInteger();
            const Integer C = Arg(Args, Named, 1, "ColumnIndex").AsInteger();
            if (R < 1 || R > 65536 || C < 1 || C > 256)
                ServerError("The cell is outside the sheet.");
            return Make(R, C, R, C);
        }
        if (Is(Name, "UsedRange"))
            return UsedRange(F);
        UnknownMember(Name);
    }

private:
    Variant Make(Integer R1, Integer C1, Integer R2, Integer C2) const
    {
        return AutoVariant(std::make_shared<RangeObject>(FBook, FSheet, R1, C1, R2, C2));
    }

    // From the first to the last cell that holds anything; A1 for an empty sheet.
    Variant UsedRange(TXLSFile& F) const
    {
        Integer R1 = 0, R2 = 0, C1 = 257, C2 = 0;
        for (Integer R = 1; R <= F.MaxRow(); ++R) {
            const Integer N = F.ColIndexCount(R);
            if (N == 0)
                continue;
            if (R1 == 0)
                R1 = R;
            R2 = R;
            C1 = std::min(C1, F.ColByIndex(R, 1));
            C2 = std::max(C2, F.ColByIndex(R, N));
        }
        if (R1 == 0)
            return Make(1, 1, 1, 1);
        return Make(R1, C1, R2, C2);
    }

    BookPtr FBook;
    Integer FSheet;
};

class SheetsObject : public XlsObject {
public:
    explicit SheetsObject(BookPtr B) : FBook(std::move(B)) {}
    Variant Invoke(const AnsiString& Name, int, const std::vector<Variant>& Args,
                   const std::vector<TNamedArg>& Named) override
    {
        TXLSFile& F = *FBook->File;
        if (Is(Name, "Count"))
            return F.SheetCount();
        if (Is(Name, "Item"))
            return Item(FBook, Arg(Args, Named, 0, "Index"));
        if (Is(Name, "Add")) {
            // A new sheet before the shown one, which it replaces as the shown sheet.
            const Integer Before = std::max(1, ShownSheet(*FBook->File));
            F.InsertAndCopySheets(-1, Before, 1);
            F.SelectSheet(Before);
            return AutoVariant(std::make_shared<SheetObject>(FBook, Before));
        }
        UnknownMember(Name);
    }

    // A sheet by number (from 1) or by name.
    static Variant Item(const BookPtr& B, const Variant& Index)
    {
        TXLSFile& F = *B->File;
        const TVarType T = Index.VType() & varTypeMask;
        if (T == varOleStr || T == varString) {
            const WideString Wanted = Index.AsWideString();
            for (Integer i = 1; i <= F.SheetCount(); ++i) {
                F.SetActiveSheet(i);
                if (WideSameText(F.GetActiveSheetName(), Wanted))
                    return AutoVariant(std::make_shared<SheetObject>(B, i));
            }
        } else if (!Index.IsEmpty()) {
            const Integer N = Index.AsInteger();
            if (N >= 1 && N <= F.SheetCount())
                return AutoVariant(std::make_shared<SheetObject>(B, N));
        }
        throw EOleException("Subscript out of range", DISP_E_EXCEPTION, "Excel.Application");
    }

private:
    BookPtr FBook;
};

class BookObject : public XlsObject {
public:
    BookObject(AppPtr A, BookPtr B) : FApp(std::move(A)), FBook(std::move(B)) {}
    Variant Invoke(const AnsiString& Name, int Kind, const std::vector<Variant>& Args,
                   const std::vector<TNamedArg>& Named) override
    {
        if (!FBook->File)
            ServerError("The workbook is closed.");
        if (Is(Name, "Sheets") || Is(Name, "Worksheets")) {
            const Variant Index = Arg(Args, Named, 0, "Index");
            if (!Index.IsEmpty())
                return SheetsObject::Item(FBook, Index);
            return AutoVariant(std::make_shared<SheetsObject>(FBook));
        }
        if (Is(Name, "ActiveSheet"))
            return AutoVariant(std::make_shared<SheetObject>(FBook, ShownSheet(*FBook->File)));
        if (Is(Name, "Name"))
            return ExtractFileName(FBook->FileName);
        if (Is(Name, "FullName"))
            return FBook->FileName;
        if (Is(Name, "Saved"))
            return IsPut(Kind) ? Variant() : Variant(true);
        if (Is(Name, "SaveAs")) {
            SaveAs(Arg(Args, Named, 0, "Filename").AsString());
            return Variant();
        }
        if (Is(Name, "Save")) {
            if (FBook->FileName.empty())
                ServerError("The workbook has no file name yet.");
            SaveAs(FBook->FileName);
            return Variant();
        }
        if (Is(Name, "Close")) {
            const Variant Save = Arg(Args, Named, 0, "SaveChanges");
            if (!Save.IsEmpty() && Save.AsBoolean() && !FBook->FileName.empty())
                SaveAs(FBook->FileName);
            Close();
            return Variant();
        }
        UnknownMember(Name);
    }

private:
    void SaveAs(const AnsiString& FileName)
    {
        const AnsiString Tmp = FileName + ".tmp" + std::to_string(::getpid());
        try {
            FBook->File->Save(false, Tmp, nullptr);
        } catch (const Exception& E) {
            DeleteFile(Tmp);
            ServerError("The file " + FileName + " cannot be written: " + E.Message());
        }
        // rename replaces an existing file in one step.
        if (std::rename(Tmp.c_str(), FileName.c_str()) != 0) {
            DeleteFile(Tmp);
            ServerError("The file " + FileName + " cannot be written.");
        }
        FBook->FileName = FileName;
    }

    void Close()
    {
        auto& L = FApp->Books;
        L.erase(std::remove(L.begin(), L.end(), FBook), L.end());
        if (FApp->Active == FBook)
            FApp->Active = L.empty() ? nullptr : L.back();
        FBook->File->Disconnect();
        FBook->File.reset();
    }

    AppPtr FApp;
    BookPtr FBook;
};

class BooksObject : public XlsObject {
public:
    explicit BooksObject(AppPtr A) : FApp(std::move(A)) {}
    Variant Invoke(const AnsiString& Name, int, const std::vector<Variant>& Args,
                   const std::vector<TNamedArg>& Named) override
    {
        if (Is(Name, "Count"))
            return Integer(FApp->Books.size());
        if (Is(Name, "Item")) {
            const Integer N = Arg(Args, Named, 0, "Index").AsInteger();
            if (N < 1 || N > Integer(FApp->Books.size()))
                ServerError("Subscript out of range");
            return AutoVariant(std::make_shared<BookObject>(FApp, FApp->Books[static_cast<size_t>(N - 1)]));
        }
        if (Is(Name, "Add") || Is(Name, "Open")) {
            auto B = std::make_shared<BookState>();
            // The server's own files may replace files: SaveAs writes beside and renames.
            B->File = std::make_unique<TXLSFile>(nullptr, true);
            B->File->Connect();
            if (Is(Name, "Add")) {
                B->File->NewFile(1);
            } else {
                const AnsiString FileName = Arg(Args, Named, 0, "Filename").AsString();
                try {
                    B->File->OpenFile(FileName);
                } catch (const Exception& E) {
                    ServerError("The file " + FileName + " cannot be opened: " + E.Message());
                }
                B->FileName = FileName;
            }
            FApp->Books.push_back(B);
            FApp->Active = B;
            return AutoVariant(std::make_shared<BookObject>(FApp, B));
        }
        UnknownMember(Name);
    }

private:
    AppPtr FApp;
};

// The active cell of a program without a window: the first cell.
class ActiveCellObject : public XlsObject {
public:
    Variant Invoke(const AnsiString& Name, int, const std::vector<Variant>&,
                   const std::vector<TNamedArg>&) override
    {
        if (Is(Name, "Row") || Is(Name, "Column"))
            return 1;
        UnknownMember(Name);
    }
};

class XlsApplication : public XlsObject {
public:
    Variant Invoke(const AnsiString& Name, int Kind, const std::vector<Variant>&,
                   const std::vector<TNamedArg>&) override
    {
        if (Is(Name, "Workbooks"))
            return AutoVariant(std::make_shared<BooksObject>(FApp));
        if (Is(Name, "ActiveWorkbook")) {
            if (!FApp->Active)
                ServerError("No workbook is open.");
            return AutoVariant(std::make_shared<BookObject>(FApp, FApp->Active));
        }
        if (Is(Name, "ActiveSheet")) {
            if (!FApp->Active)
                ServerError("No workbook is open.");
            return OleGet(AutoVariant(std::make_shared<BookObject>(FApp, FApp->Active)), "ActiveSheet");
        }
        if (Is(Name, "ActiveCell"))
            return AutoVariant(std::make_shared<ActiveCellObject>());
        if (Is(Name, "Visible") || Is(Name, "DisplayAlerts") || Is(Name, "ScreenUpdating") ||
            Is(Name, "Interactive"))
            return IsPut(Kind) ? Variant() : Variant(false);
        if (Is(Name, "Quit")) {
            for (auto& B : FApp->Books)
                if (B->File)
                    B->File->Disconnect();
            FApp->Books.clear();
            FApp->Active = nullptr;
            return Variant();
        }
        UnknownMember(Name);
    }

private:
    AppPtr FApp = std::make_shared<AppState>();
};

} // namespace

std::shared_ptr<TAutoObject> NewXlsApplication()
{
    return std::make_shared<XlsApplication>();
}

void RegisterXlsOleServer()
{
    RegisterOleServer("Excel.Application", NewXlsApplication);
}
