// XML documents: the save range as a list element of record elements (one per row) of field
// elements (one per cell), and reading such documents back through the XML document server
// ("Microsoft.XMLDOM", platform/servers).
//
// What the writer puts in a field is well-formed XML that any reader decodes to the cell's
// text: the markup characters as the standard entities, CR as a character reference (so parsers
// do not fold line ends), and characters outside ASCII either as UTF-8 (when the declared
// encoding is UTF-8) or as character references (any other declared encoding, so the bytes
// always agree with the declaration). The C0 controls XML cannot carry are left out.

#include "RudUvud/exchange/XmlExchange.h"

#include "RudUvud/core/RudUvud.h"
#include "RudUvud/exchange/CsvCodec.h"
#include "RudUvud/exchange/ImportLimits.h"
#include "RudUvud/support/DerOdoz.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Automation.h"

#include <cstdio>

namespace {

bool IsUtf8Name(const AnsiString& Encoding)
{
    return SameText(Encoding, "UTF-8") || SameText(Encoding, "UTF8");
}

} // namespace

AnsiString xmlexchange::EscapeText(const AnsiString& Cell, bool Utf8)
{
    const WideString W =
        (Cell.size() >= 2 && Cell[0] == '|' && Cell[1] == '\\') ? DecodeWideStr(Cell) : UTF8Decode(Cell);
    AnsiString Out;
    Out.reserve(W.size() + 8);
    for (std::size_t I = 0; I < W.size();) {
        const char32_t C = NextWideChar(W, I); // a lone surrogate reads as U+FFFD
        switch (C) {
        case '&':
            Out += "&amp;";
            continue;
        case '<':
            Out += "&lt;";
            continue;
        case '>':
            Out += "&gt;";
            continue;
        case '"':
            Out += "&quot;";
            continue;
        case '\r':
            Out += "&#13;";
            continue;
        default:
            break;
        }
        if ((C < 0x20 && C != '\t' && C != '\n') || C == 0xFFFE || C == 0xFFFF)
            continue;
        if (C < 0x80 || Utf8) {
            AppendUtf8(Out, C);
        } else {
            char Buf[16];
            std::snprintf(Buf, sizeof Buf, "&#x%X;", static_cast<unsigned>(C));
            Out += Buf;
        }
    }
    return Out;
}

namespace {

// Element names come from the caller: only names XML accepts are written, so the document is
// never malformed by a name with a blank or a markup character.
void CheckElementName(const AnsiString& Name)
{
    bool Ok = !Name.empty();
    for (std::size_t I = 0; Ok && I < Name.size(); ++I) {
        const unsigned char C = static_cast<unsigned char>(Name[I]);
        const bool Start = std::isalpha(C) || C == '_' || C == ':' || C >= 0x80;
        Ok = I == 0 ? Start : Start || std::isdigit(C) || C == '-' || C == '.';
    }
    if (Ok && Name.size() >= 3 && SameText(Name.substr(0, 3), "xml"))
        Ok = false;
    if (!Ok)
        throw ERudUvudError("Invalid XML element name \"" + Name + "\"");
}

// The text of a field as the document server gives it. Files of earlier writers carry the
// ampersand as "$amp;".
AnsiString UnescapeXml(const AnsiString& S)
{
    return StringReplace(S, "$amp;", "&", rfReplaceAll);
}

} // namespace

void TDidAririzEvar::SaveToXML(const AnsiString& FileName, const AnsiString& ListName,
                               const AnsiString& RecordName, TStrings* FieldNames, bool WriteEmptyCells)
{
    CheckElementName(ListName);
    CheckElementName(RecordName);
    const Integer H = IncludeHiddenColumns() ? NumHiddenColumns() : 0;
    const Integer C0 = GetSaveStartCol(), C1 = GetSaveEndCol() + H;
    const Integer R0 = GetSaveStartRow(), R1 = GetSaveEndRow();
    std::vector<AnsiString> Tags;
    for (Integer K = C0; K <= C1; ++K) {
        const Integer Pos = K - C0;
        AnsiString Tag =
            FieldNames && Pos < FieldNames->Count() ? FieldNames->Strings(Pos) : "FIELD" + IntToStr(Pos);
        CheckElementName(Tag);
        Tags.push_back(Tag);
    }
    const bool Utf8 = IsUtf8Name(XMLEncodingName());
    AnsiString Encoding = XMLEncodingName();
    for (char& C : Encoding)
        if (C == '"' || C == '<' || C == '>' || C == '&' || static_cast<unsigned char>(C) < 0x20)
            C = '_';

    AnsiString Out = "<?xml version=\"1.0\" encoding=\"" + Encoding + "\" ?>\r\n";
    Out += "<" + ListName + ">\r\n";
    ExportNotification(esExportStart, R0);
    Integer Last = -1;
    for (Integer R = R0; R <= R1; ++R) {
        ExportNotification(esExportNextRow, R);
        Out += "<" + RecordName + ">\r\n";
        for (Integer K = C0; K <= C1; ++K) {
            const Integer C = IncludeHiddenColumns() ? K : RemapCol(K);
            const AnsiString& Tag = Tags[static_cast<std::size_t>(K - C0)];
            // A cell covered by a merged block has a place of its own, so the fields after it
            // stay in their columns when read back.
            if (IsMergedNonBaseCell(C, R)) {
                if (WriteEmptyCells)
                    Out += "<" + Tag + "></" + Tag + ">\r\n";
                continue;
            }
            AnsiString S = SaveCell(C, R);
            if (S.empty()) {
                if (!WriteEmptyCells)
                    continue;
                if (EmptyCellsAsQuotes())
                    S = "\"\"";
            }
            Out += "<" + Tag + ">" + xmlexchange::EscapeText(S, Utf8) + "</" + Tag + ">\r\n";
        }
        Out += "</" + RecordName + ">\r\n";
        FileProgress(R - R0, R1 - R0, Last);
    }
    Out += "</" + ListName + ">\r\n";
    ExportNotification(esExportDone, -1);
    try {
        csvcodec::WriteFileAtomic(FileName, Out);
    } catch (const Exception&) {
        throw ERudUvudError("Cannot Create file " + FileName);
    }
}

namespace {

// The walk over the document tree; Store gets every field with the column and row it goes to.
struct TXmlWalk {
    bool RowsFromAttributes;
    Integer FC, FR;
    bool EmptyCellsAsQuotes;
    const xmlexchange::TStoreField& Store;
    Integer CurCol = 0, CurRow = 0, RestartCol = 1;

    void Put(const AnsiString& Name, const AnsiString& Text)
    {
        // Rows before the first (a first record without attributes in attribute mode) have no
        // place in the grid.
        if (CurCol + FC >= 0 && CurRow + FR >= 0)
            Store(CurCol + FC, CurRow + FR, Name, Text);
        ++CurCol;
    }

    void Process(const Variant& N)
    {
        bool Advanced = false, HasAttributes = false;
        const Variant Attrs = OleGet(N, "attributes");
        if ((Attrs.VType() & varTypeMask) == varDispatch) {
            const Integer Count = OleGet(Attrs, "length").AsInteger();
            for (Integer K = 0; K < Count; ++K) {
                const Variant A = OleCall(Attrs, "item", {K});
                Put(OleGet(A, "nodeName").AsString(), UnescapeXml(OleGet(A, "text").AsString()));
            }
            HasAttributes = Count > 0;
            if (RowsFromAttributes && Count > 0) {
                ++CurRow;
                CurCol = RestartCol;
                Advanced = true;
            }
        }
        const Variant Children = OleGet(N, "childNodes");
        const Integer Count = OleGet(Children, "length").AsInteger();
        if (Count > 1) {
            if (RowsFromAttributes && !Advanced)
                ++CurRow;
            ++RestartCol;
            for (Integer I = 0; I < Count; ++I)
                Process(OleCall(Children, "item", {I}));
            return;
        }
        // A field: an element with one child (its text), or an element without any child or
        // attribute (an empty or blank field, which keeps its place so that later fields stay
        // in their columns).
        const AnsiString Name = OleGet(N, "nodeName").AsString();
        const bool Element = !Name.empty() && Name[0] != '#';
        if (Count == 1 || (Element && !HasAttributes)) {
            AnsiString Text = UnescapeXml(OleGet(N, "text").AsString());
            if (EmptyCellsAsQuotes && Text == "\"\"")
                Text.clear();
            Put(Name, Text);
        }
    }
};

} // namespace

void xmlexchange::ReadDocument(const AnsiString& FileName, bool RowsFromAttributes, Integer FC, Integer FR,
                               bool EmptyCellsAsQuotes, const TStoreField& Store)
{
    if (!FileExists(FileName))
        throw Exception("XML file not found");
    Variant Doc;
    try {
        Doc = CreateOleObject("Microsoft.XMLDOM");
    } catch (const EOleError&) {
        throw Exception("XMLDOM server component not found");
    }
    OleCall(Doc, "load", {FileName});
    const Variant Err = OleGet(Doc, "parseError");
    const Integer Code = OleGet(Err, "errorCode").AsInteger();
    if (Code != 0)
        throw Exception("XMLDOM Parsing error " + IntToStr(Code) + " on line " +
                        IntToStr(OleGet(Err, "line").AsInteger()));

    TXmlWalk L{RowsFromAttributes, FC, FR, EmptyCellsAsQuotes, Store};
    const Variant Root = OleGet(Doc, "documentElement");
    if ((Root.VType() & varTypeMask) != varDispatch)
        return;
    const Variant Records = OleGet(Root, "childNodes");
    const Integer N = OleGet(Records, "length").AsInteger();
    for (Integer I = 0; I < N; ++I) {
        const Variant Rec = OleCall(Records, "item", {I});
        L.CurCol = 0;
        L.RestartCol = 1;
        if (RowsFromAttributes && I == 0) {
            const Variant A = OleGet(Rec, "attributes");
            if ((A.VType() & varTypeMask) != varDispatch || OleGet(A, "length").AsInteger() == 0)
                L.CurRow = -1;
        }
        L.Process(Rec);
        if (!RowsFromAttributes)
            ++L.CurRow;
    }
}

void TDidAririzEvar::LoadFromXML(const AnsiString& FileName, bool RowsFromAttributes)
{
    const Integer FC = IncludeFixedCells() ? 0 : FixedCols(), FR = FixedRows();
    // Every field is read before the grid changes: a document beyond the limits is refused as a
    // whole, and the grid is sized once.
    struct TField {
        Integer Col, Row;
        AnsiString Name, Text;
    };
    std::vector<TField> Fields;
    Integer MaxCol = FC, MaxRow = FR;
    xmlexchange::ReadDocument(FileName, RowsFromAttributes, FC, FR, EmptyCellsAsQuotes(),
                              [&](Integer Col, Integer Row, const AnsiString& Name, const AnsiString& Text) {
                                  importlimits::Check(FileName, Row + 1, Col + 1);
                                  Fields.push_back({Col, Row, Name, Text});
                                  MaxCol = std::max(MaxCol, Col);
                                  MaxRow = std::max(MaxRow, Row);
                              });
    SetColCount(MaxCol + 1);
    SetRowCount(MaxRow + 1);
    for (const TField& F : Fields) {
        // Names of the fields go to the header row where it is empty.
        if (IncludeFixedCells() && Cells(F.Col, 0).empty())
            LoadCell(F.Col, 0, F.Name);
        LoadCell(F.Col, F.Row, F.Text);
    }
    CellsLoaded();
}
