// The HTML table export: a style sheet of numbered classes, merged blocks as spans, cell pictures
// as JPEG files beside the document, header and footer files around the table, and the same
// table on the clipboard. Plain cell text is always escaped; only mini-HTML cells (text the grid
// itself renders as markup) pass through as markup.

#include "RudUvud/core/RudUvud.h"
#include "RudUvud/exchange/CsvCodec.h"
#include "RudUvud/support/Daehtmle.h"
#include "RudUvud/support/DerOdoz.h"

#include "platform/forms/Clipbrd.h"
#include "platform/forms/Graphics.h"
#include "platform/forms/Jpeg.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Guards.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Backend.h"
#include "platform/win/Clipboard.h"
#include "platform/win/Colors.h"

#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

constexpr TColor NotSet = static_cast<TColor>(0x7FFFFFFF);

AnsiString Escape(const AnsiString& S)
{
    AnsiString Out;
    Out.reserve(S.size());
    for (char C : S) {
        switch (C) {
        case '&':
            Out += "&amp;";
            break;
        case '<':
            Out += "&lt;";
            break;
        case '>':
            Out += "&gt;";
            break;
        case '"':
            Out += "&quot;";
            break;
        default:
            Out += C;
        }
    }
    return Out;
}

// Entity references of an attribute value replaced by their characters, as a browser reads the
// value before it looks at the address in it ("java&#115;cript:" is "javascript:"). Characters
// beyond ASCII and unknown names only need to be told apart from ASCII letters here, so they
// become '?'.
AnsiString DecodeEntities(const AnsiString& V)
{
    static const struct {
        const char* Name;
        char C;
    } Named[] = {{"amp", '&'},   {"lt", '<'},   {"gt", '>'},       {"quot", '"'}, {"apos", '\''},
                 {"colon", ':'}, {"tab", '\t'}, {"newline", '\n'}, {"sol", '/'},  {"nbsp", ' '}};
    AnsiString Out;
    for (std::size_t I = 0; I < V.size();) {
        if (V[I] != '&') {
            Out += V[I++];
            continue;
        }
        std::size_t J = I + 1;
        unsigned long Code = 0;
        bool Digits = false;
        if (J < V.size() && V[J] == '#') {
            ++J;
            const bool Hex = J < V.size() && (V[J] == 'x' || V[J] == 'X');
            J += Hex ? 1 : 0;
            while (J < V.size() && (Hex ? std::isxdigit(static_cast<unsigned char>(V[J]))
                                        : std::isdigit(static_cast<unsigned char>(V[J])))) {
                Code = std::min<unsigned long>(
                    Code * (Hex ? 16 : 10) +
                        (std::isdigit(static_cast<unsigned char>(V[J]))
                             ? V[J] - '0'
                             : (std::toupper(static_cast<unsigned char>(V[J])) - 'A' + 10)),
                    0x110000);
                Digits = true;
                ++J;
            }
            if (!Digits) {
                Out += V[I++];
                continue;
            }
            Out += Code < 0x80 ? static_cast<char>(Code) : '?';
        } else {
            while (J < V.size() && std::isalnum(static_cast<unsigned char>(V[J])))
                ++J;
            const AnsiString Name = LowerCase(V.substr(I + 1, J - I - 1));
            char C = 0;
            for (const auto& N : Named)
                if (Name == N.Name)
                    C = N.C;
            if (Name.empty()) {
                Out += V[I++];
                continue;
            }
            Out += C ? C : '?';
        }
        I = J < V.size() && V[J] == ';' ? J + 1 : J;
    }
    return Out;
}

// Whether an address may go into a page: one without a scheme (a relative address), or one of
// the schemes that only name a place (the web, mail, files, and the grid's own picture sources).
// The value is read as a browser reads it: entities decoded, leading blanks and control
// characters skipped, tabs and line breaks inside dropped, letters in any case.
bool SafeAddress(const AnsiString& Value)
{
    static const char* const Schemes[] = {"http", "https", "ftp", "mailto", "file", "idx", "ssys", "lsys"};
    const AnsiString D = DecodeEntities(Value);
    AnsiString A;
    for (char C : D) {
        const unsigned char U = static_cast<unsigned char>(C);
        if ((U <= ' ' && A.empty()) || C == '\t' || C == '\n' || C == '\r')
            continue;
        A += C;
    }
    std::size_t K = 0;
    while (K < A.size() &&
           (std::isalnum(static_cast<unsigned char>(A[K])) || A[K] == '+' || A[K] == '-' || A[K] == '.'))
        ++K;
    if (K == 0 || K == A.size() || A[K] != ':')
        return true; // no scheme: a relative address
    const AnsiString Scheme = LowerCase(A.substr(0, K));
    for (const char* S : Schemes)
        if (Scheme == S)
            return true;
    return false;
}

// Whether every attribute of a tag that holds an address holds a safe one (SafeAddress).
bool SafeAddresses(const AnsiString& Tag)
{
    static const char* const UrlAttributes[] = {"HREF", "SRC",    "BACKGROUND", "ACTION", "FORMACTION",
                                                "DATA", "LOWSRC", "DYNSRC",     "POSTER", "XLINK:HREF"};
    std::size_t I = 1;
    const std::size_t N = Tag.size();
    auto Blank = [&](std::size_t P) { return std::isspace(static_cast<unsigned char>(Tag[P])) != 0; };
    while (I < N && !Blank(I) && Tag[I] != '>') // the tag's name
        ++I;
    while (I < N) {
        while (I < N && (Blank(I) || Tag[I] == '/'))
            ++I;
        const std::size_t NameStart = I;
        while (I < N && !Blank(I) && Tag[I] != '=' && Tag[I] != '>' && Tag[I] != '/')
            ++I;
        const AnsiString Name = UpperCase(Tag.substr(NameStart, I - NameStart));
        if (Name.empty()) {
            ++I; // '>' or a stray character
            continue;
        }
        while (I < N && Blank(I))
            ++I;
        AnsiString Value;
        if (I < N && Tag[I] == '=') {
            ++I;
            while (I < N && Blank(I))
                ++I;
            if (I < N && (Tag[I] == '"' || Tag[I] == '\'')) {
                const char Q = Tag[I++];
                const std::size_t E = Tag.find(Q, I);
                const std::size_t End = E == AnsiString::npos ? N : E;
                Value = Tag.substr(I, End - I);
                I = End + 1;
            } else {
                const std::size_t S = I;
                while (I < N && !Blank(I) && Tag[I] != '>')
                    ++I;
                Value = Tag.substr(S, I - S);
            }
        }
        for (const char* U : UrlAttributes)
            if (Name == U && !SafeAddress(Value))
                return false;
    }
    return true;
}

// Mini-HTML made safe to pass into a page: the tags of the grid's own mini-HTML language pass,
// unless they carry an event handler or a script address; every other tag (a script, a style,
// a frame) is escaped and shows as text.
AnsiString SafeMiniHtml(const AnsiString& S)
{
    static const char* const Allowed[] = {"A",    "B",   "I",   "U",   "S",   "BR",   "P",
                                          "FONT", "IMG", "SUB", "SUP", "HR",  "UL",   "LI",
                                          "SHAD", "Z",   "HI",  "E",   "IND", "BLINK"};
    AnsiString Out;
    Out.reserve(S.size());
    std::size_t I = 0;
    while (I < S.size()) {
        if (S[I] != '<') {
            Out += S[I++];
            continue;
        }
        const std::size_t End = S.find('>', I);
        if (End == AnsiString::npos) {
            Out += Escape(S.substr(I));
            break;
        }
        const AnsiString Tag = S.substr(I, End - I + 1);
        const AnsiString Upper = UpperCase(Tag);
        std::size_t K = Upper.size() > 1 && Upper[1] == '/' ? 2 : 1;
        const std::size_t NameStart = K;
        while (K < Upper.size() && std::isalnum(static_cast<unsigned char>(Upper[K])))
            ++K;
        const AnsiString Name = Upper.substr(NameStart, K - NameStart);
        bool Ok = false;
        for (const char* A : Allowed)
            Ok = Ok || Name == A;
        if (Ok && (Upper.find("JAVASCRIPT:") != AnsiString::npos || !SafeAddresses(Tag)))
            Ok = false;
        for (std::size_t P = Upper.find("ON"); Ok && P != AnsiString::npos; P = Upper.find("ON", P + 2)) {
            // An attribute "on..." (an event handler): a blank before, a name and "=" after.
            if (P == 0 || !std::isspace(static_cast<unsigned char>(Upper[P - 1])))
                continue;
            std::size_t Q = P + 2;
            while (Q < Upper.size() && std::isalpha(static_cast<unsigned char>(Upper[Q])))
                ++Q;
            while (Q < Upper.size() && std::isspace(static_cast<unsigned char>(Upper[Q])))
                ++Q;
            if (Q < Upper.size() && Upper[Q] == '=')
                Ok = false;
        }
        Out += Ok ? Tag : Escape(Tag);
        I = End + 1;
    }
    return Out;
}

bool IsURLChar(char C)
{
    return static_cast<unsigned char>(C) > ' ' && C != '<' && C != '>' && C != '"' && C != '\'';
}

// The URL starting with Marker inside T (escaped text) made a link: the href quoted, the label
// the whole URL or only what follows the marker; the text around it stays as it is.
AnsiString LinkURL(const AnsiString& T, std::size_t MarkerPos, std::size_t MarkerLen, bool Scheme, bool Full)
{
    std::size_t A = MarkerPos;
    if (Scheme) {
        while (A > 0 && (std::isalnum(static_cast<unsigned char>(T[A - 1])) || T[A - 1] == '+' ||
                         T[A - 1] == '-' || T[A - 1] == '.'))
            --A;
        // "javascript://" followed by an encoded line break runs as a script: only schemes that
        // name a place become links.
        if (!SafeAddress(T.substr(A, MarkerPos - A + 1)))
            return T;
    }
    std::size_t B = MarkerPos + MarkerLen;
    while (B < T.size() && IsURLChar(T[B]) && T.compare(B, 6, "&nbsp;") != 0)
        ++B;
    const AnsiString URL = T.substr(A, B - A);
    const AnsiString Label = Full ? URL : T.substr(MarkerPos + MarkerLen, B - MarkerPos - MarkerLen);
    return T.substr(0, A) + "<a href=\"" + URL + "\">" + Label + "</a>" + T.substr(B);
}

// The picture number to continue from: one past the highest images/imgN.jpg already in Dir, so
// a second table appended to the same document keeps the pictures of the first.
Integer NextPictureNumber(const std::filesystem::path& Dir)
{
    Integer Max = 0;
    std::error_code EC;
    if (!std::filesystem::is_directory(Dir, EC))
        return 1;
    for (const auto& E : std::filesystem::directory_iterator(Dir, EC)) {
        const std::string N = E.path().filename().string();
        if (N.size() > 7 && N.compare(0, 3, "img") == 0 && N.compare(N.size() - 4, 4, ".jpg") == 0) {
            Integer V = 0;
            bool Digits = true;
            for (std::size_t I = 3; I < N.size() - 4; ++I) {
                if (!std::isdigit(static_cast<unsigned char>(N[I])) || V > 100000000) {
                    Digits = false;
                    break;
                }
                V = V * 10 + (N[I] - '0');
            }
            if (Digits && V > Max)
                Max = V;
        }
    }
    return Max + 1;
}

} // namespace

namespace {

// One export's working state.
struct THtmlBuild {
    AnsiString Prefix;
    bool Pictures = true;
    bool XHTML = false;
    std::vector<AnsiString> Styles; // index = class number, compared without case
    std::vector<AnsiString> Lines;
    Integer Picture = 0; // 0: not counted from the directory yet

    Integer ClassOf(const AnsiString& Style)
    {
        const AnsiString U = UpperCase(Style);
        for (std::size_t I = 0; I < Styles.size(); ++I)
            if (UpperCase(Styles[I]) == U)
                return static_cast<Integer>(I);
        Styles.push_back(Style);
        return static_cast<Integer>(Styles.size() - 1);
    }

    // Writes the graphic as the next picture file and answers its tag.
    AnsiString PictureTag(TGraphic* Graphic)
    {
        if (!Graphic || Graphic->Empty())
            return AnsiString();
        const std::filesystem::path Dir = std::filesystem::path(Prefix.empty() ? "." : Prefix) / "images";
        std::error_code EC;
        if (!std::filesystem::is_directory(Dir, EC) && !std::filesystem::create_directories(Dir, EC))
            throw Exception("Cannot create " + Prefix + "images");
        if (Picture == 0)
            Picture = NextPictureNumber(Dir);
        const AnsiString Name = "img" + std::to_string(Picture) + ".jpg";
        TJPEGImage Jpeg;
        if (auto* J = dynamic_cast<TJPEGImage*>(Graphic)) {
            Jpeg.Assign(J);
        } else {
            TBitmap Bmp;
            Bmp.SetSize(Graphic->Width(), Graphic->Height());
            Bmp.Canvas()->Draw(0, 0, Graphic);
            Jpeg.Assign(&Bmp);
        }
        // The picture goes through a temporary file as well, so a failed write leaves no
        // truncated picture for the document to show.
        TMemoryStream MS;
        Jpeg.SaveToStream(&MS);
        csvcodec::WriteFileAtomic((Dir / Name).string(), AnsiString(static_cast<const char*>(MS.Memory()),
                                                                    static_cast<std::size_t>(MS.Size())));
        ++Picture;
        // Relative to the document, which lives in the directory the pictures are made in.
        return XHTML ? "<img src=\"images/" + Name + "\" alt=\"\" />" : "<img src=\"images/" + Name + "\">";
    }
};

AnsiString StyleString(TColor Background, TFont* Font, TAlignment HA, TVAlignment VA, bool SaveColor)
{
    std::vector<AnsiString> Parts;
    if (Background != NotSet && SaveColor)
        Parts.push_back("background-color: #" + HTMLColor(static_cast<TColor>(ColorToRGB(Background))));
    if (Font->Color() != NotSet && SaveColor)
        Parts.push_back("color: #" + HTMLColor(static_cast<TColor>(ColorToRGB(Font->Color()))));
    Parts.push_back("font-size:" + std::to_string(Font->Size()) + "pt");
    if (Font->Style().Contains(fsItalic))
        Parts.push_back("font-style: italic");
    if (Font->Style().Contains(fsBold))
        Parts.push_back("font-weight: bold");
    Parts.push_back("font-family: " + Font->Name());
    if (HA == taRightJustify)
        Parts.push_back("text-align: right");
    else if (HA == taCenter)
        Parts.push_back("text-align: center");
    Parts.push_back(VA == vtaTop      ? "vertical-align: top"
                    : VA == vtaCenter ? "vertical-align: middle"
                                      : "vertical-align: bottom");
    AnsiString S;
    for (std::size_t I = 0; I < Parts.size(); ++I) {
        if (I)
            S += ";";
        S += Parts[I];
    }
    return S;
}

} // namespace

void TDidAririzEvar::SaveToHTMLString(const AnsiString& Prefix, AnsiString& Result)
{
    THTMLSettings* HS = FHTMLSettings.get();
    THtmlBuild B;
    B.Prefix = Prefix;
    B.Pictures = HS->ExportImages;
    B.XHTML = HS->XHTML;
    const bool X = HS->XHTML;
    // XHTML is lower case with every attribute quoted and empty elements closed; plain HTML keeps
    // the upper-case table tags.
    const AnsiString TR = X ? "<tr>" : "<TR>", ETR = X ? "</tr>" : "</TR>";
    const AnsiString BR = X ? "<br />" : "<br>";
    const Integer FC = IncludeFixedCells() ? 0 : FixedCols();
    const Integer FR = IncludeFixedCells() ? 0 : FixedRows();

    AnsiString Prologue;
    if (X) {
        Prologue = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                   "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\"\r\n"
                   "  \"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\">\r\n"
                   "<html xmlns=\"http://www.w3.org/1999/xhtml\" xml:lang=\"en\" lang=\"en\">\r\n";
    }

    {
        AnsiString T = X ? "<table border=\"" : "<TABLE BORDER=\"";
        T += std::to_string(HS->BorderSize) + "\" " + (X ? "cellspacing" : "CELLSPACING") + "=\"" +
             std::to_string(HS->CellSpacing) + "\" " + (X ? "cellpadding" : "CELLPADDING") + "=\"" +
             std::to_string(HS->CellPadding) + "\" ";
        if (!HS->Summary.empty())
            T += AnsiString(X ? "summary" : "SUMMARY") + "=\"" + Escape(HS->Summary) + "\" ";
        if (!HS->TableStyle.empty())
            T += " " + HS->TableStyle + " ";
        T += AnsiString(X ? " width" : " WIDTH") + "=\"" + std::to_string(HS->Width) + "%\">";
        B.Lines.push_back(T);
    }

    // The inner text of one cell and its line.
    auto CellLine = [&](Integer DC, Integer R, bool Header, Integer WidthIndex, bool WithWidth) {
        const Integer RC = RemapCol(DC);
        AnsiString Attr;
        const TPoint Span = CellSpan(RC, R);
        if (Span.X > 0)
            Attr += AnsiString(X ? " colspan" : " COLSPAN") + "=\"" + std::to_string(Span.X + 1) + "\"";
        if (Span.Y > 0)
            Attr += AnsiString(X ? " rowspan" : " ROWSPAN") + "=\"" + std::to_string(Span.Y + 1) + "\"";

        const AnsiString Raw = SaveCell(RC, R);
        AnsiString Content;
        if (TextType(Raw, true) == ttHTML) {
            Content = SafeMiniHtml(Raw); // the grid's own markup, meant to show as such
        } else {
            // XML knows no named entities but its own five: XHTML gets the plain escapes (the
            // text is UTF-8 already) and numeric blanks.
            Content = HS->ConvertSpecialChars && !Header && !X ? FixMarkup(Raw) : Escape(Raw);
            if (HS->NonBreakingText && !Header)
                Content = X ? StringReplace(Content, " ", "&#160;", rfReplaceAll) : FixNonBreaking(Content);
        }
        Content = StringReplace(HTMLLineBreaks(Content), "<br>", BR, rfReplaceAll);
        // Links: only the URL part, its address quoted.
        if (URLShow() && Raw.find("</") == AnsiString::npos) {
            const std::size_t P = Content.find("://");
            const std::size_t M = Content.find("mailto:");
            if (P != AnsiString::npos)
                Content = LinkURL(Content, P, 3, true, URLFull());
            else if (M != AnsiString::npos)
                Content = LinkURL(Content, M, 7, false, URLFull());
        }
        if (Trim(Content).empty())
            Content = X ? "&#160;" : "&nbsp;";

        TBrush Brush;
        TFont Font;
        if (!Header && DC >= FixedCols() && R >= FixedRows())
            Brush.SetColor(NotSet);
        Font.SetColor(NotSet);
        Font.SetStyle(TFontStyles());
        TGridDrawState State;
        TColor To = clNone, Mirror = clNone, MirrorTo = clNone;
        TAlignment HA = taLeftJustify;
        TVAlignment VA = vtaTop;
        bool Wrap = false;
        TCellGradientDirection GD = GradientVertical;
        GetVisualProperties(DC, R, State, false, false, true, &Brush, To, Mirror, MirrorTo, &Font, HA, VA,
                            Wrap, GD);
        const TColor Back = Header ? FixedColor() : Brush.Color();
        const Integer Class = B.ClassOf(StyleString(Back, &Font, HA, VA, HS->SaveColor));
        if (!Wrap)
            Attr += X ? " nowrap=\"nowrap\"" : " nowrap";
        if (WithWidth && WidthIndex >= 0 && WidthIndex < static_cast<Integer>(HS->HTMLColWidths.size()))
            Attr += AnsiString(X ? " width=\"" : (Header ? " WIDTH=\"" : " width=\"")) +
                    std::to_string(HS->HTMLColWidths[static_cast<std::size_t>(WidthIndex)]) + "\"";

        AnsiString Inner = Content;
        if (B.Pictures) {
            TObject* G = GetGraphicObjectEx(RC, R);
            TGraphic* Graphic = dynamic_cast<TGraphic*>(G);
            if (auto* P = dynamic_cast<TPicture*>(G))
                Graphic = P->Graphic();
            // A cell graphic: its bitmap or its picture.
            if (auto* CG = dynamic_cast<TCellGraphic*>(G))
                Graphic = CG->Bitmap() ? CG->Bitmap() : CG->Picture() ? CG->Picture()->Graphic() : nullptr;
            switch (GetCellType(RC, R)) {
            case ctBitmap:
            case ctPicture:
                Inner = Content + B.PictureTag(Graphic);
                break;
            case ctNode:
                Inner = "+" + Content;
                break;
            default:
                break;
            }
        }
        B.Lines.push_back("<" + AnsiString(X ? "td" : "TD") + " class=\"c" + std::to_string(Class) + "\"" +
                          Attr + ">" + Inner + "</td>");
    };

    Integer First = FR;
    if (FixedRows() > 0 && IncludeFixedCells()) {
        B.Lines.push_back(TR);
        for (Integer C = FC; C < ColCount(); ++C)
            if (IsBaseCell(RemapCol(C), 0))
                CellLine(C, 0, true, C, true);
        B.Lines.push_back(ETR);
        First = 1;
    }
    const bool HeaderWritten = First == 1 && FixedRows() > 0 && IncludeFixedCells();
    ExportNotification(esExportStart, First);
    for (Integer R = First; R < RowCount(); ++R) {
        ExportNotification(esExportNewRow, R);
        B.Lines.push_back(TR);
        for (Integer C = FC; C < ColCount(); ++C)
            if (IsBaseCell(RemapCol(C), R))
                CellLine(C, R, false, C - FC, !HeaderWritten);
        B.Lines.push_back(ETR);
    }
    ExportNotification(esExportDone, -1);
    B.Lines.push_back(X ? "</table>" : "</TABLE>");
    if (!HS->SuffixTag.empty())
        B.Lines.push_back(HS->SuffixTag);

    AnsiString Style = X ? "<style type=\"text/css\">\r\n" : "<style>\r\n";
    for (std::size_t I = 0; I < B.Styles.size(); ++I)
        Style += ".c" + std::to_string(I) + " {" + B.Styles[I] + "}\r\n";
    Style += "</style>\r\n";

    AnsiString Table;
    for (const AnsiString& L : B.Lines) {
        Table += L;
        Table += "\r\n";
    }
    if (X) {
        // The style sheet belongs in the head; the table and the tags around it in the body.
        // Parsers of HTML read no XML declaration: the character set is also declared where they
        // look for it, in the first bytes of the head.
        Result = Prologue +
                 "<head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\" />"
                 "<title></title>\r\n" +
                 Style + "</head>\r\n<body>\r\n" + HS->PrefixTag + Table + "</body>\r\n</html>\r\n";
    } else {
        Result = Prologue + HS->PrefixTag + Style + Table;
    }
}

void TDidAririzEvar::OutputToHTML(const AnsiString& FileName, bool Append)
{
    THTMLSettings* HS = FHTMLSettings.get();
    AnsiString Out;
    if (Append) {
        std::ifstream In(FileName, std::ios::binary);
        if (In.good())
            Out = csvcodec::ReadFile(FileName);
    }
    auto CopyLines = [&Out](const AnsiString& Name) {
        if (Name.empty())
            return;
        std::ifstream In(Name, std::ios::binary);
        if (!In.good())
            return; // a header or footer file that cannot be read is left out
        for (const AnsiString& L : csvcodec::SplitFileLines(csvcodec::ReadFile(Name))) {
            Out += L;
            Out += "\r\n";
        }
    };
    CopyLines(HS->HeaderFile);
    // Cell texts are UTF-8; a browser told nothing would guess another code page.
    if (!HS->XHTML && !Append)
        Out += "<meta charset=\"utf-8\">\r\n";
    std::filesystem::path Dir = std::filesystem::path(FileName).parent_path();
    AnsiString Prefix = Dir.empty() ? AnsiString() : Dir.string() + "/";
    Prefix = StringReplace(Prefix, "\\", "/", rfReplaceAll);
    AnsiString Html;
    SaveToHTMLString(Prefix, Html);
    Out += Html;
    Out += "\r\n";
    CopyLines(HS->FooterFile);
    try {
        csvcodec::WriteFileAtomic(FileName, Out);
    } catch (const Exception&) {
        throw ERudUvudError("Cannot Create file " + FileName);
    }
    if (HS->AutoPreview)
        Backend().ShellOpen(FileName, "open");
}

void TDidAririzEvar::SaveToHTML(const AnsiString& FileName, bool Open)
{
    OutputToHTML(FileName, false);
    // Opened once, also when the settings open every export already.
    if (Open && !FHTMLSettings->AutoPreview)
        Backend().ShellOpen(FileName, "open");
}

void TDidAririzEvar::CopyToClipBoardAsHTML()
{
    // A clipboard copy writes no picture files: the pictures are left out of the fragment.
    THTMLSettings* HS = FHTMLSettings.get();
    AnsiString Html;
    {
        const bool Images = HS->ExportImages;
        HS->ExportImages = false;
        TScopeExit Restore([HS, Images] { HS->ExportImages = Images; });
        SaveToHTMLString(AnsiString(), Html);
    }
    MakeFragment(Html);

    // Plain text for programs that take no HTML: the cells, TAB between them, CR LF between rows.
    AnsiString Text;
    const Integer FC = IncludeFixedCells() ? 0 : FixedCols();
    const Integer FR = IncludeFixedCells() ? 0 : FixedRows();
    for (Integer R = FR; R < RowCount(); ++R) {
        if (R > FR)
            Text += "\r\n";
        for (Integer C = FC; C < ColCount(); ++C) {
            if (C > FC)
                Text += "\t";
            Text += SaveCell(RemapCol(C), R);
        }
    }

    const UINT Format = RegisterClipboardFormat("HTML Format");
    // Freed here until the clipboard takes it.
    THandleOwner<GlobalBlock, GlobalFree> Block(GlobalAlloc(GMEM_MOVEABLE, Html.size() + 1));
    if (!Block)
        throw Exception("Cannot copy the table to the clipboard");
    void* P = GlobalLock(Block.get());
    std::memcpy(P, Html.c_str(), Html.size() + 1); // with its terminating NUL
    GlobalUnlock(Block.get());
    TClipboard* CB = Clipboard();
    CB->Open();
    TScopeExit Closing([CB] { CB->Close(); });
    CB->Clear();
    CB->SetAsHandle(Format, Block.get());
    Block.release();
    CB->SetAsText(Text);
}
