#include "print/VuPageList.h"

#include "print/VuRtfFuncs.h"

#include "platform/rtl/Exceptions.h"
#include "platform/testing/Commands.h"
#include "platform/testing/Harness.h"
#include "platform/testing/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using uitest::CommandOutput;

// Counts of every document hook, so a test can compare what fired with what it expects.
struct HookCounts {
    int Count = 0, Content = 0, Num = 0, NumChanging = 0, NewPage = 0, Margins = 0, Bands = 0, Clear = 0;
    std::string Order;
    void Wire(TVuPageList& D)
    {
        D.OnPageCountChanged = [this](TVuPageList*) {
            ++Count;
            Order += "N";
        };
        D.OnPageContentChanged = [this](TVuPageList*) {
            ++Content;
            Order += "C";
        };
        D.OnPageNumChanged = [this](TVuPageList*) { ++Num; };
        D.OnPageNumChanging = [this](TVuPageList*) { ++NumChanging; };
        D.OnNewPage = [this](TVuPageList*) { ++NewPage; };
        D.OnMarginsChanged = [this](TVuPageList*) { ++Margins; };
        D.OnHeaderFooterChanged = [this](TVuPageList*) { ++Bands; };
        D.OnClear = [this](TVuPageList*) { ++Clear; };
    }
};

class VuPageListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::UsePrinters("");
        delete SetPrinter(new TPrinter);
    }
    void TearDown() override
    {
        delete SetPrinter(nullptr);
        uitest::UsePrinters("");
    }
    void UseFilePrinter()
    {
        uitest::UsePrinters("[PDF]\nFolder=" + Folder.string() + "\nResolution=300\nPaper=A4\n");
        delete SetPrinter(new TPrinter);
    }
    // A document of N pages, each with a text object naming the page.
    static void Fill(TVuPageList& D, int N)
    {
        for (int I = 1; I <= N; ++I) {
            D.AddPage();
            D.Canvas()->SetFontValues("Arial", 14, 0, TFontStyles{});
            D.Canvas()->TextOut(1, 1, "Prize page " + std::to_string(I), vuInches);
        }
    }
    static std::string TextOf(TVuPage* P)
    {
        std::string S;
        for (Integer I = 0; I < P->Count(); ++I)
            if (auto* T = dynamic_cast<TVuBaseTextObject*>(P->VuObject(I)))
                S += T->Caption() + ";";
        return S;
    }
    uitest::TempFolder Temp{"drawmere-vupages"};
    fs::path Folder = Temp.Path();
};

TEST_F(VuPageListTest, InsertingAndDeletingPagesKeepsACurrentPage)
{
    TVuPageList D;
    EXPECT_EQ(0, D.Count());
    D.AddPage();
    D.DeletePage(0); // the only page: a new empty one takes its place
    EXPECT_EQ(1, D.Count());
    EXPECT_EQ(1, D.CurrentPage());

    Fill(D, 4); // five pages
    D.SetCurrentPage(2);
    D.DeletePage(4); // the last page
    EXPECT_EQ(4, D.Count());
    EXPECT_EQ(1, D.CurrentPage());

    D.SetCurrentPage(4);
    D.DeletePage(0); // before the current page: the number must stay within the count
    EXPECT_EQ(3, D.Count());
    EXPECT_EQ(3, D.CurrentPage());
    EXPECT_NO_THROW(D.GetPage(D.CurrentPage()));

    D.DeletePage(-1);
    D.DeletePage(3);
    EXPECT_EQ(3, D.Count());

    TVuPage* Inserted = D.InsertPage(0);
    EXPECT_EQ(Inserted, D.GetPage(1));
    EXPECT_EQ(4, D.CurrentPage()); // the last page, also when inserting in front
    EXPECT_EQ(1, Inserted->PageNum());
    EXPECT_THROW(D.GetPage(5), EListError);

    HookCounts H;
    H.Wire(D);
    D.ClearPages(false, true);
    EXPECT_EQ(1, D.Count());
    EXPECT_EQ(1, D.CurrentPage());
    EXPECT_EQ(1, H.Clear);
}

TEST_F(VuPageListTest, UpdatesHoldCountAndContentHooksUntilTheLastEndUpdate)
{
    TVuPageList D;
    D.AddPage();
    HookCounts H;
    H.Wire(D);
    D.BeginUpdate();
    D.BeginUpdate();
    for (int I = 0; I < 10; ++I)
        D.AddPage();
    D.DeletePage(3);
    D.Margins()->Left()->SetAsInches(1);
    D.Header()->SetVisible(true);
    D.EndUpdate();
    EXPECT_EQ(0, H.Count);
    EXPECT_EQ(0, H.Content);
    D.EndUpdate();
    EXPECT_EQ("NC", H.Order);
    EXPECT_EQ(0, H.Margins);
    EXPECT_EQ(0, H.Bands);
    EXPECT_EQ(10, H.NewPage); // not held back
    EXPECT_EQ(10, H.Num);     // nor are page numbers
    D.EndUpdate();            // at 0: nothing
    EXPECT_EQ("NC", H.Order);

    D.Margins()->Top()->SetAsInches(2);
    D.Footer()->CaptionLeft()->SetCaption("x");
    D.Footer()->CaptionLeft()->Font()->SetSize(20);
    EXPECT_EQ(1, H.Margins);
    EXPECT_EQ(2, H.Bands);
    H.Order.clear();
    D.SetCurrentPage(D.CurrentPage());
    D.SetCurrentPage(0);
    D.SetCurrentPage(D.Count() + 1);
    EXPECT_EQ(10, H.Num);
    D.SetCurrentPage(1);
    EXPECT_EQ(11, H.Num);
    EXPECT_EQ(11, H.NumChanging);
}

TEST_F(VuPageListTest, GeometryOfBandsAndAvailableArea)
{
    TVuPageList D;
    D.AddPage();
    TVuHeader* Hd = D.Header();
    Hd->CaptionLeft()->Font()->SetSize(10);
    Hd->CaptionCenter()->Font()->SetSize(14);
    Hd->CaptionRight()->Font()->SetSize(14);
    EXPECT_EQ(Hd->CaptionCenter(), Hd->GetLargestCaption());
    EXPECT_DOUBLE_EQ(static_cast<double>(GetFontHeightInch(Hd->CaptionCenter()->Font())),
                     static_cast<double>(Hd->GetHeight(vuInches)));
    Hd->SetHeight(vuInches, 0.75);
    D.Footer()->SetHeight(vuInches, 0.25);
    EXPECT_FALSE(Hd->Visible());
    EXPECT_FALSE(D.Footer()->Visible());
    TVuRect A = D.AvailablePageRect()->GetAsInchRect(); // bands count while invisible
    EXPECT_DOUBLE_EQ(0.5, static_cast<double>(A.Left));
    EXPECT_DOUBLE_EQ(1.25, static_cast<double>(A.Top));
    const TVuSize Paper = GetPaperSizeInch(A4);
    EXPECT_NEAR(static_cast<double>(Paper.Width - 0.5), static_cast<double>(A.Right), 1e-9);
    EXPECT_NEAR(static_cast<double>(Paper.Height - 0.75), static_cast<double>(A.Bottom), 1e-9);
    TVuRect F = D.FooterRect()->GetAsInchRect();
    EXPECT_NEAR(static_cast<double>(Paper.Height - 0.75), static_cast<double>(F.Top), 1e-9);
    TVuRect Hr = D.HeaderRect()->GetAsInchRect();
    EXPECT_DOUBLE_EQ(1.25, static_cast<double>(Hr.Bottom));
}

TEST_F(VuPageListTest, SizesAndOrientation)
{
    TVuPageList D;
    D.AddPage();
    D.AddPage();
    D.SetOrientation(vuLandscape);
    const double Long = static_cast<double>(GetPaperSizeInch(A4).Height);
    EXPECT_DOUBLE_EQ(Long, static_cast<double>(D.GetPage(2)->PageSize().Width));
    EXPECT_DOUBLE_EQ(Long, static_cast<double>(D.DefaultPageSize().Width));
    D.SetPageSize(100, 200, vuMillimeters); // unswapped although landscape
    EXPECT_EQ(Custom, D.PaperSize());
    for (int N = 1; N <= 2; ++N) {
        EXPECT_NEAR(100, static_cast<double>(D.GetPage(N)->GetPageSize(vuMillimeters).Width), 1e-9);
        EXPECT_NEAR(200, static_cast<double>(D.GetPage(N)->GetPageSize(vuMillimeters).Height), 1e-9);
    }
    D.SetPaperSize(A5);
    TVuSize A5Size = GetPaperSizeInch(A5);
    EXPECT_DOUBLE_EQ(static_cast<double>(A5Size.Height), static_cast<double>(D.GetPage(1)->PageSize().Width));
    EXPECT_EQ(vuLandscape, D.AddPage()->Orientation());
}

TEST_F(VuPageListTest, ObjectsFoundByTextAndPosition)
{
    TVuPageList D;
    Fill(D, 2);
    D.Canvas()->TextBox(1, 3, 4, 4, "The Grand PRIZE", vuInches);
    TList Found;
    D.FindText("prize", false, &Found);
    EXPECT_EQ(3, Found.Count());
    TList Exact;
    D.FindText("prize", true, &Exact);
    EXPECT_EQ(0, Exact.Count());

    D.Canvas()->SetBrushValues(0x00FF00, bsSolid);
    D.Canvas()->Rectangle(1, 5, 3, 7, vuInches);
    D.Canvas()->Rectangle(2, 6, 4, 8, vuInches);
    TVuPage* P = D.GetPage(2);
    TVuBaseObject* Hit = nullptr;
    ASSERT_TRUE(P->ObjectAtPos(2.5, 6.5, vuInches, Hit));
    EXPECT_EQ(P->VuObject(P->Count() - 1), Hit); // the later of two overlapping ones
    ASSERT_TRUE(P->ObjectAtPos(1.5, 5.5, vuInches, Hit));
    EXPECT_EQ(P->VuObject(P->Count() - 2), Hit);
    EXPECT_FALSE(P->ObjectAtPos(6, 10, vuInches, Hit));
    EXPECT_EQ(nullptr, Hit);

    // Z-order: the first rectangle to the front.
    TVuBaseObject* First = P->VuObject(P->Count() - 2);
    static_cast<TVuVisibleObject*>(First)->Arrange(vuToFront);
    EXPECT_EQ(First, P->VuObject(P->Count() - 1));
    static_cast<TVuVisibleObject*>(First)->Arrange(vuToBack);
    EXPECT_EQ(First, P->VuObject(0));
}

TEST_F(VuPageListTest, AddObjectMovesFromTheNamedOrigin)
{
    TVuPageList D;
    D.AddPage();
    D.Margins()->SetAsInches(TVuRect{1, 2, 1, 1});
    D.Header()->SetHeight(vuInches, 0.5);
    D.Canvas()->CoordsRelativeTo = vuFromHeaderLine;
    D.Canvas()->Rectangle(0, 0, 1, 1, vuInches);
    auto* R = dynamic_cast<TVuBaseSolidShape*>(D.GetPage(1)->VuObject(0));
    ASSERT_NE(nullptr, R);
    EXPECT_DOUBLE_EQ(1, static_cast<double>(R->GetX(vuInches)));
    EXPECT_DOUBLE_EQ(2.5, static_cast<double>(R->GetY(vuInches)));
}

TEST_F(VuPageListTest, SavedAndLoadedDocumentHasTheSameContent)
{
    TVuPageList D;
    Fill(D, 3);
    D.SetOrientation(vuLandscape);
    D.GetPage(2)->ShowFooter = false;
    D.Header()->CaptionCenter()->SetCaption("Prize list");
    D.Header()->CaptionCenter()->Font()->SetSize(16);
    D.Header()->SetVisible(true);
    D.Footer()->SetHeight(vuInches, 0.4);
    D.Footer()->SetShowLine(false);
    D.Margins()->SetAsInches(TVuRect{0.25, 0.5, 0.75, 1});
    D.Margins()->SetClipMargins(true);
    D.SetCurrentPage(2);
    D.Canvas()->TextBox(1, 2, 5, 0, "two\r\nlines", vuInches);
    TMemoryStream S;
    D.SaveToStream(&S);

    TVuPageList E;
    E.AddPage();
    HookCounts H;
    H.Wire(E);
    S.SetPosition(0);
    EXPECT_NEAR(2.96, static_cast<double>(TVuPageList::ReadStreamVersion(&S)), 1e-12);
    S.SetPosition(0);
    E.LoadFromStream(&S);
    EXPECT_EQ(S.Size(), S.Position());
    EXPECT_EQ("NC", H.Order);
    EXPECT_FALSE(E.Updating());
    ASSERT_EQ(3, E.Count());
    EXPECT_EQ(1, E.CurrentPage());
    EXPECT_EQ(vuLandscape, E.Orientation());
    for (int N = 1; N <= 3; ++N) {
        EXPECT_EQ(TextOf(D.GetPage(N)), TextOf(E.GetPage(N)));
        EXPECT_EQ(vuLandscape, E.GetPage(N)->Orientation());
        EXPECT_NEAR(static_cast<double>(D.GetPage(N)->PageSize().Width),
                    static_cast<double>(E.GetPage(N)->PageSize().Width), 1e-3);
    }
    EXPECT_EQ("Prize page 2;two\r\nlines;", TextOf(E.GetPage(2)));
    EXPECT_FALSE(E.GetPage(2)->ShowFooter);
    EXPECT_TRUE(E.GetPage(1)->ShowFooter);
    EXPECT_EQ("Prize list", E.Header()->CaptionCenter()->Caption());
    EXPECT_EQ(16, E.Header()->CaptionCenter()->Font()->Size());
    EXPECT_TRUE(E.Header()->Visible());
    EXPECT_FALSE(E.Footer()->ShowLine());
    EXPECT_NEAR(0.4, static_cast<double>(E.Footer()->StoredHeight()), 1e-9);
    EXPECT_NEAR(0.75, static_cast<double>(E.Margins()->Right()->GetAsInches()), 1e-9);
    EXPECT_TRUE(E.Margins()->ClipMargins());

    // Saving what was loaded gives the same bytes.
    TMemoryStream T;
    E.SaveToStream(&T);
    ASSERT_EQ(S.Size(), T.Size());
    EXPECT_EQ(0, memcmp(S.Memory(), T.Memory(), static_cast<size_t>(S.Size())));
}

TEST_F(VuPageListTest, PageRecordKeysAndSkippedObjects)
{
    TVuPageList D;
    Fill(D, 1);
    D.GetPage(1)->ShowFooter = false;
    TMemoryStream S;
    D.GetPage(1)->SaveToStream(&S);
    S.SetPosition(0);
    TVuValueList L;
    L.LoadFromStream(&S);
    EXPECT_EQ(-1, L.ReadIntValue("M", 0)); // no rich text
    EXPECT_EQ(-1, L.IndexOfName("SH"));
    EXPECT_NE(-1, L.IndexOfName("SF"));

    // A record with an object of an unknown id between two known ones.
    TMemoryStream R;
    TVuValueList Rec;
    Rec.WriteIntValue("NO", 3);
    Rec.SaveToStream(&R);
    TVuWriter W(&R);
    TVuPage* P = D.GetPage(1);
    P->VuObject(0)->SaveToStream(&R);
    W.WriteInteger(77);
    TVuValueList Junk;
    Junk.WriteStringValue("T", "skipped");
    Junk.SaveToStream(&R);
    P->VuObject(0)->SaveToStream(&R);
    R.SetPosition(0);
    TVuPage* Fresh = D.AddPage();
    Fresh->LoadFromStream(&R);
    EXPECT_EQ(2, Fresh->Count());
    EXPECT_EQ("Prize page 1;Prize page 1;", TextOf(Fresh));
}

TEST_F(VuPageListTest, FailedOrRefusedLoadLeavesTheDocumentAlone)
{
    TVuPageList D;
    Fill(D, 4);
    TMemoryStream S;
    D.SaveToStream(&S);

    TVuPageList E;
    Fill(E, 2);
    E.SetCurrentPage(1);
    // Cut the stream in the middle of the last page.
    TMemoryStream Cut;
    Cut.WriteBuffer(S.Memory(), static_cast<Integer>(S.Size() - 10));
    Cut.SetPosition(0);
    EXPECT_THROW(E.LoadFromStream(&Cut), Exception);
    EXPECT_FALSE(E.Updating());
    ASSERT_EQ(2, E.Count());
    EXPECT_EQ("Prize page 2;", TextOf(E.GetPage(2)));
    // The document's own resources are intact: recording still works.
    E.Canvas()->TextOut(1, 2, "after", vuInches);
    EXPECT_EQ("Prize page 1;after;", TextOf(E.GetPage(1)));

    Extended Seen = 0;
    E.OnBeforeLoad = [&](TVuPageList*, Extended Version, bool& LoadFile) {
        Seen = Version;
        LoadFile = false;
    };
    S.SetPosition(0);
    E.LoadFromStream(&S);
    EXPECT_NEAR(2.96, static_cast<double>(Seen), 1e-12);
    EXPECT_EQ(2, E.Count());

    // A header that claims more pages than the stream could hold.
    TMemoryStream Huge;
    TVuValueList H;
    H.WriteIntValue("NP", 100000000);
    H.SaveToStream(&Huge);
    TVuResourceTable T;
    T.SaveToStream(&Huge);
    Huge.SetPosition(0);
    E.OnBeforeLoad = nullptr;
    EXPECT_THROW(E.LoadFromStream(&Huge), Exception);
    EXPECT_EQ(2, E.Count());

    // Page sizes no paper has.
    for (const char* Width : {"0", "-3", "1e30"}) {
        TMemoryStream Bad;
        TVuValueList B;
        B.Add(std::string("PW=") + Width);
        B.SaveToStream(&Bad);
        T.SaveToStream(&Bad);
        Bad.SetPosition(0);
        EXPECT_THROW(E.LoadFromStream(&Bad), EReadError) << Width;
    }
    EXPECT_EQ(2, E.Count());
}

TEST_F(VuPageListTest, StreamWithoutPagesGivesOneEmptyPage)
{
    TVuPageList D;
    D.AddPage();
    TMemoryStream S;
    D.SaveToStream(&S);
    // The same stream with NP 0 and its page record left off.
    TVuPageList Empty;
    Empty.AddPage();
    Empty.DeletePage(0);
    TMemoryStream Z;
    TVuValueList Head;
    Head.WriteExtValue("V", 2.96);
    Head.WriteIntValue("NP", 0);
    Head.SaveToStream(&Z);
    TVuResourceTable T;
    T.SaveToStream(&Z);
    // Bands and margins as the full stream writes them: copy them from S after its two blocks.
    S.SetPosition(0);
    TVuValueList Skip;
    Skip.LoadFromStream(&S);
    TVuResourceTable T2;
    T2.LoadFromStream(&S);
    T2.EndLoad();
    Int64 BandsAt = S.Position();
    Int64 PagesAt = S.Size();
    {
        TVuPageList Probe;
        Probe.AddPage();
        TMemoryStream PageOnly;
        D.GetPage(1)->SaveToStream(&PageOnly);
        PagesAt = S.Size() - PageOnly.Size();
    }
    Z.WriteBuffer(static_cast<const char*>(S.Memory()) + BandsAt, static_cast<Integer>(PagesAt - BandsAt));
    Z.SetPosition(0);
    TVuPageList E;
    E.LoadFromStream(&Z);
    EXPECT_EQ(1, E.Count());
    EXPECT_EQ(1, E.CurrentPage());
    EXPECT_EQ(0, E.GetPage(1)->Count());
}

TEST_F(VuPageListTest, PrintRangeInEitherDirectionOnAFilePrinter)
{
    UseFilePrinter();
    TVuPageList D;
    Fill(D, 5);
    D.Printer()->Title = "Range";
    std::vector<std::pair<Integer, Integer>> Progress;
    D.OnPrintProgress = [&](TVuPageList*, Integer Printed, Integer Total) {
        Progress.emplace_back(Printed, Total);
    };
    D.PrintRange(5, 2);
    ASSERT_EQ(4u, Progress.size());
    EXPECT_EQ(std::make_pair(4, 4), Progress.back());
    fs::path Pdf = Folder / "Range.pdf";
    ASSERT_TRUE(fs::exists(Pdf));
    std::string Text = CommandOutput("pdftotext '" + Pdf.string() + "' -");
    size_t P5 = Text.find("Prize page 5"), P4 = Text.find("Prize page 4"), P3 = Text.find("Prize page 3"),
           P2 = Text.find("Prize page 2");
    ASSERT_NE(std::string::npos, P2) << Text;
    EXPECT_LT(P5, P4);
    EXPECT_LT(P4, P3);
    EXPECT_LT(P3, P2);
    EXPECT_EQ(std::string::npos, Text.find("Prize page 1"));

    // Numbers the document does not have are left out instead of reaching the page list.
    fs::remove(Pdf);
    Progress.clear();
    EXPECT_NO_THROW(D.PrintRange(0, 7));
    EXPECT_EQ(5u, Progress.size());
    Progress.clear();
    EXPECT_NO_THROW(D.PrintRange(-3, -1));
    EXPECT_TRUE(Progress.empty());

    // Two pages to a sheet: pages 1 and 2 share the first sheet, page 3 has the second.
    fs::remove(Pdf);
    D.PagesPerSheet = vuTwoPage;
    D.PrintRange(1, 3);
    std::string Info = CommandOutput("pdfinfo '" + Pdf.string() + "'");
    EXPECT_NE(std::string::npos, Info.find("Pages:           2")) << Info;
    std::string First = CommandOutput("pdftotext -f 1 -l 1 '" + Pdf.string() + "' -");
    EXPECT_NE(std::string::npos, First.find("Prize page 1")) << First;
    EXPECT_NE(std::string::npos, First.find("Prize page 2")) << First;
}

// Words of one sheet of a PDF with their boxes in points (pdftotext -bbox).
struct PdfWord {
    std::string Text;
    double XMin = 0, YMin = 0, XMax = 0, YMax = 0;
};
std::map<std::string, PdfWord> WordsOfSheet(const fs::path& Pdf, int Sheet)
{
    std::string Out = CommandOutput("pdftotext -bbox -f " + std::to_string(Sheet) + " -l " +
                                    std::to_string(Sheet) + " '" + Pdf.string() + "' -");
    std::map<std::string, PdfWord> Words;
    for (size_t At = Out.find("<word "); At != std::string::npos; At = Out.find("<word ", At + 1)) {
        PdfWord W;
        std::sscanf(Out.c_str() + At, "<word xMin=\"%lf\" yMin=\"%lf\" xMax=\"%lf\" yMax=\"%lf\">", &W.XMin,
                    &W.YMin, &W.XMax, &W.YMax);
        size_t Start = Out.find('>', At) + 1;
        W.Text = Out.substr(Start, Out.find('<', Start) - Start);
        Words[W.Text] = W;
    }
    return Words;
}
// Width and height in points of each sheet of a PDF (pdfinfo).
std::vector<std::pair<double, double>> SheetSizes(const fs::path& Pdf, int Sheets)
{
    std::string Info = CommandOutput("pdfinfo -f 1 -l " + std::to_string(Sheets) + " '" + Pdf.string() + "'");
    std::vector<std::pair<double, double>> Sizes;
    for (size_t At = Info.find(" size: "); At != std::string::npos; At = Info.find(" size: ", At + 1)) {
        if (At == 0 || !std::isdigit(static_cast<unsigned char>(Info[At - 1])))
            continue; // "Page size:" of the whole file, not "Page    N size:"
        double W = 0, H = 0;
        std::sscanf(Info.c_str() + At, " size: %lf x %lf", &W, &H);
        Sizes.emplace_back(W, H);
    }
    return Sizes;
}

// Every page marked in its top-left and bottom-right corners, so where a page lands on its
// sheet can be read back from the PDF.
void MarkCorners(TVuPageList& D, int N)
{
    for (int I = 1; I <= N; ++I) {
        D.AddPage();
        TVuSize S = D.GetPage(I)->PageSize();
        D.Canvas()->SetFontValues("Arial", 14, 0, TFontStyles{});
        D.Canvas()->TextOut(0.3, 0.3, "TopLeft" + std::to_string(I), vuInches);
        D.Canvas()->TextOut(S.Width - 1.5, S.Height - 0.6, "BottomRight" + std::to_string(I), vuInches);
    }
}

TEST_F(VuPageListTest, TwoPagesToASheetSitSideBySideEachInItsHalf)
{
    UseFilePrinter();
    TVuPageList D;
    MarkCorners(D, 4);
    D.PagesPerSheet = vuTwoPage;
    D.Printer()->Title = "Two";
    D.Print();
    fs::path Pdf = Folder / "Two.pdf";
    auto Sizes = SheetSizes(Pdf, 2);
    ASSERT_EQ(2u, Sizes.size());
    for (int Sheet = 1; Sheet <= 2; ++Sheet) {
        // Every sheet is landscape A4, the first page in the left half, the second in the right.
        const auto [W, H] = Sizes[size_t(Sheet - 1)];
        EXPECT_NEAR(841.9, W, 0.5) << Sheet;
        EXPECT_NEAR(595.3, H, 0.5) << Sheet;
        auto Words = WordsOfSheet(Pdf, Sheet);
        const std::string Left = std::to_string(2 * Sheet - 1), Right = std::to_string(2 * Sheet);
        for (const std::string& Name :
             {"TopLeft" + Left, "BottomRight" + Left, "TopLeft" + Right, "BottomRight" + Right})
            ASSERT_EQ(1u, Words.count(Name)) << Name << " on sheet " << Sheet;
        EXPECT_LT(Words["BottomRight" + Left].XMax, W / 2) << Sheet;
        EXPECT_GT(Words["TopLeft" + Right].XMin, W / 2) << Sheet;
        EXPECT_LT(Words["BottomRight" + Right].XMax, W) << Sheet;
        for (const std::string& Name : {"BottomRight" + Left, "BottomRight" + Right})
            EXPECT_LT(Words[Name].YMax, H) << Name;
        // Both pages at the same height: one is not pushed below the other.
        EXPECT_NEAR(Words["TopLeft" + Left].YMin, Words["TopLeft" + Right].YMin, 1) << Sheet;
    }
}

TEST_F(VuPageListTest, EachSheetTakesTheOrientationOfItsOwnPage)
{
    UseFilePrinter();
    TVuPageList D;
    for (int I = 1; I <= 4; ++I)
        D.AddPage()->SetOrientation(I == 3 ? vuLandscape : vuPortrait);
    for (int I = 1; I <= 4; ++I) {
        D.SetCurrentPage(I);
        TVuSize S = D.GetPage(I)->PageSize();
        D.Canvas()->SetFontValues("Arial", 14, 0, TFontStyles{});
        D.Canvas()->TextOut(S.Width - 1.5, S.Height - 0.6, "BottomRight" + std::to_string(I), vuInches);
    }
    D.Printer()->Title = "Mixed";
    D.PrintRange(2, 4);
    fs::path Pdf = Folder / "Mixed.pdf";
    auto Sizes = SheetSizes(Pdf, 3);
    ASSERT_EQ(3u, Sizes.size());
    const bool Landscape[] = {false, true, false};
    for (int Sheet = 1; Sheet <= 3; ++Sheet) {
        const auto [W, H] = Sizes[size_t(Sheet - 1)];
        EXPECT_EQ(Landscape[Sheet - 1], W > H) << Sheet;
        auto Words = WordsOfSheet(Pdf, Sheet);
        const std::string Name = "BottomRight" + std::to_string(Sheet + 1);
        ASSERT_EQ(1u, Words.count(Name)) << Name;
        EXPECT_LT(Words[Name].XMax, W) << Name;
        EXPECT_LT(Words[Name].YMax, H) << Name;
    }
}

TEST_F(VuPageListTest, SavedLoadedAndPrintedDocumentGivesTheSamePages)
{
    UseFilePrinter();
    TVuPageList D;
    Fill(D, 3);
    D.Footer()->CaptionRight()->SetCaption("Page {PAGE} of {NUMPAGES}");
    D.Footer()->SetVisible(true);
    D.Printer()->Title = "Before";
    D.Print();
    TMemoryStream S;
    D.SaveToStream(&S);
    S.SetPosition(0);
    TVuPageList E;
    E.LoadFromStream(&S);
    E.Printer()->Title = "After";
    E.Print();
    std::string Before = CommandOutput("pdftotext -layout '" + (Folder / "Before.pdf").string() + "' -");
    std::string After = CommandOutput("pdftotext -layout '" + (Folder / "After.pdf").string() + "' -");
    EXPECT_NE(std::string::npos, Before.find("Prize page 3")) << Before;
    EXPECT_NE(std::string::npos, Before.find("Page 2 of 3")) << Before;
    EXPECT_EQ(Before, After);
}

TEST_F(VuPageListTest, RichTextBlockPrintsDrawsAndSurvivesTheStream)
{
    uitest::Start();
    UseFilePrinter();
    TVuPageList D;
    D.AddPage();
    std::unique_ptr<TRichEdit> Source(CreateTRichEdit());
    InsertRtfText(Source.get(),
                  "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 Grand {\\b prize} list\\par}");
    TVuPageRtfInfo* R = D.GetPage(1)->RtfInfo();
    R->SetRichEdit(D.ResourceTable()->AddMemo(Source.get()));
    R->Margins()->SetAsInchRect(TVuRect{1, 1, 7, 5});
    R->SetOffset(TPoint{0, -1});
    D.Printer()->Title = "Rich";
    D.Print();
    std::string Text = CommandOutput("pdftotext '" + (Folder / "Rich.pdf").string() + "' -");
    EXPECT_NE(std::string::npos, Text.find("Grand prize list")) << Text;

    // Off the printer the block goes through a metafile scaled to the target.
    // The block starts an inch in at 96 dpi.
    std::unique_ptr<TBitmap> B(New<TBitmap>());
    B->SetSize(400, 300);
    B->Canvas()->Brush()->SetColor(0xFFFFFF);
    B->Canvas()->FillRect(TRect{0, 0, 400, 300});
    D.GetPage(1)->DrawToCanvas(B->Canvas(), 96, 96, false);
    int Inked = 0, Outside = 0;
    for (int Y = 0; Y < 300; ++Y)
        for (int X = 0; X < 400; ++X) {
            bool Dark = (GetPixel(B->Canvas()->Handle(), X, Y) & 0xFF) < 128;
            bool InBlock = X >= 96 && Y >= 96 && Y < 140;
            (InBlock ? Inked : Outside) += Dark;
        }
    EXPECT_GT(Inked, 20);
    EXPECT_EQ(0, Outside);

    TMemoryStream S;
    D.SaveToStream(&S);
    S.SetPosition(0);
    TVuPageList E;
    E.LoadFromStream(&S);
    TCustomMemo* Loaded = E.GetPage(1)->RtfInfo()->RichEdit();
    ASSERT_NE(nullptr, Loaded);
    EXPECT_EQ(1, E.ResourceTable()->Memos()->RefCount(0));
    EXPECT_NE(AnsiString::npos, GetRtfText(Loaded).find("prize"));
    EXPECT_EQ(-1, E.GetPage(1)->RtfInfo()->Offset().Y);
    E.Printer()->Title = "Rich again";
    E.Print();
    EXPECT_EQ(Text, CommandOutput("pdftotext '" + (Folder / "Rich again.pdf").string() + "' -"));
}

// The rich edits of a loaded stream are made through the owner's request, as those added later
// are: it can supply controls of its own kind.
TEST_F(VuPageListTest, RichEditsOfALoadedStreamComeFromTheOwner)
{
    uitest::Start();
    TVuPageList D;
    D.AddPage();
    std::unique_ptr<TRichEdit> Source(CreateTRichEdit());
    InsertRtfText(Source.get(), "{\\rtf1\\ansi Grand prize\\par}");
    D.GetPage(1)->RtfInfo()->SetRichEdit(D.ResourceTable()->AddMemo(Source.get()));
    TMemoryStream S;
    D.SaveToStream(&S);
    S.SetPosition(0);

    TVuPageList E;
    E.AddPage();
    std::vector<TCustomMemo*> Supplied;
    E.OnNeedRichEdit = [&](TVuPageList* Sender, TCustomMemo*& RichEdit) {
        EXPECT_EQ(&E, Sender);
        RichEdit = CreateTRichEdit();
        Supplied.push_back(RichEdit);
    };
    E.LoadFromStream(&S);
    ASSERT_FALSE(Supplied.empty());
    TCustomMemo* Loaded = E.GetPage(1)->RtfInfo()->RichEdit();
    ASSERT_NE(nullptr, Loaded);
    EXPECT_NE(Supplied.end(), std::find(Supplied.begin(), Supplied.end(), Loaded));
    EXPECT_NE(AnsiString::npos, GetRtfText(Loaded).find("Grand prize"));
    // Rich edits added after the load go the same way.
    const size_t Before = Supplied.size();
    E.ResourceTable()->AddMemo(Source.get());
    EXPECT_EQ(Before + 1, Supplied.size());
}

// Page lengths are stored with three decimals: a length that would be stored as 0.000 is never
// taken from a stream, and one set through the document is stored as the smallest that loads.
TEST_F(VuPageListTest, EveryPageLengthThatIsSavedLoadsAgain)
{
    TVuPageList D;
    D.AddPage();
    D.GetPage(1)->SetPageSize(TVuSize{0.0001, 1.5});
    TMemoryStream S;
    D.SaveToStream(&S);
    S.SetPosition(0);
    TVuPageList E;
    ASSERT_NO_THROW(E.LoadFromStream(&S));
    EXPECT_NEAR(0.001, static_cast<double>(E.GetPage(1)->PageSize().Width), 1e-12);
    EXPECT_NEAR(1.5, static_cast<double>(E.GetPage(1)->PageSize().Height), 1e-12);

    // The same page with a width of 0.0001 in written into the stream (same length as "1.500").
    AnsiString Bytes(static_cast<const char*>(S.Memory()), static_cast<size_t>(S.Size()));
    const size_t At = Bytes.rfind("PH=1.500");
    ASSERT_NE(AnsiString::npos, At);
    Bytes.replace(At, 8, "PH=.0001");
    TMemoryStream Bad;
    Bad.WriteBuffer(Bytes.data(), static_cast<Integer>(Bytes.size()));
    Bad.SetPosition(0);
    TVuPageList F;
    F.AddPage();
    EXPECT_THROW(F.LoadFromStream(&Bad), EReadError);
    EXPECT_EQ(1, F.Count());
}

// The ink box of everything dark drawn on a white bitmap.
TRect InkOf(TBitmap* B)
{
    TRect R{B->Width(), B->Height(), -1, -1};
    for (int Y = 0; Y < B->Height(); ++Y)
        for (int X = 0; X < B->Width(); ++X)
            if ((GetPixel(B->Canvas()->Handle(), X, Y) & 0xFF) < 128) {
                R.Left = std::min(R.Left, X);
                R.Top = std::min(R.Top, Y);
                R.Right = std::max(R.Right, X + 1);
                R.Bottom = std::max(R.Bottom, Y + 1);
            }
    return R;
}

TEST_F(VuPageListTest, BandCaptionsScaleWithTheResolutionThePageIsDrawnAt)
{
    TVuPageList D;
    D.AddPage();
    D.SetPageSize(4, 2, vuInches);
    D.Margins()->SetAsInches(TVuRect{0.5, 0.5, 0.5, 0.5});
    D.Header()->SetVisible(true);
    D.Header()->SetShowLine(false);
    D.Header()->CaptionLeft()->SetCaption("PRIZE");
    D.Header()->CaptionLeft()->Font()->SetSize(20);
    TRect Ink[2];
    for (int I = 0; I < 2; ++I) {
        const int Ppi = 48 * (I + 1);
        std::unique_ptr<TBitmap> B(New<TBitmap>());
        B->SetSize(4 * Ppi, 2 * Ppi);
        B->Canvas()->Brush()->SetColor(0xFFFFFF);
        B->Canvas()->FillRect(TRect{0, 0, 4 * Ppi, 2 * Ppi});
        D.GetPage(1)->DrawToCanvas(B->Canvas(), Ppi, Ppi, false);
        Ink[I] = InkOf(B.get());
        // Left-aligned at the left margin, sitting on the band's lower edge.
        EXPECT_NEAR(Ppi / 2, Ink[I].Left, 2) << Ppi;
        EXPECT_LE(Ink[I].Bottom, static_cast<int>((0.5 + D.Header()->GetHeight(vuInches)) * Ppi) + 1) << Ppi;
    }
    EXPECT_NEAR(2.0, double(Ink[1].Right - Ink[1].Left) / (Ink[0].Right - Ink[0].Left), 0.15);
    EXPECT_NEAR(2.0, double(Ink[1].Bottom - Ink[1].Top) / (Ink[0].Bottom - Ink[0].Top), 0.25);
}

TEST_F(VuPageListTest, PageToMetafileIsSizedInPrinterPixels)
{
    TVuPageList D;
    Fill(D, 1);
    std::unique_ptr<TMetafile> Mf(D.PrintPageToMetafile(1));
    ASSERT_NE(nullptr, Mf);
    EXPECT_EQ(2480, Mf->Width()); // 210 × 297 mm at 300 dpi
    EXPECT_EQ(3508, Mf->Height());
}

} // namespace
