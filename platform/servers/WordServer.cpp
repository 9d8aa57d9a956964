// "Word.Application": a document of paragraphs and tables, written as RTF at SaveAs.

#include "platform/servers/Servers.h"

#include "platform/rtl/Strings.h"
#include "platform/win/RtfWriter.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include <unistd.h>

namespace {

bool Is(const AnsiString& a, const char* b)
{
    return SameText(a, b);
}

// Paragraph alignment as the word processor numbers it.
enum { AlignLeft = 0, AlignCenter = 1, AlignRight = 2, AlignJustify = 3 };

struct Para {
    AnsiString Text;
    Integer Align = AlignLeft;
};

struct Block {
    bool IsTable = false;
    Para P; // a paragraph
    Integer Rows = 0, Cols = 0;
    std::vector<Para> Cells; // a table, row by row
};
using BlockPtr = std::shared_ptr<Block>;

// Length in characters (UTF-16 units, as the word processor counts positions) with the marks
// that end paragraphs, cells and rows.
Integer Units(const AnsiString& s)
{
    return Integer(UTF8Decode(s).size());
}

Integer LengthOf(const Block& b)
{
    if (!b.IsTable)
        return Units(b.P.Text) + 1;
    Integer n = b.Rows;
    for (const Para& c : b.Cells)
        n += Units(c.Text) + 1;
    return n;
}

struct DocModel {
    std::vector<BlockPtr> Blocks{std::make_shared<Block>()};
    AnsiString FileName;
    // The selection, an insertion point: a block and a byte offset into its paragraph's text.
    std::size_t Sel = 0;
    std::size_t SelOffset = 0;

    Integer StartOf(std::size_t index) const
    {
        Integer p = 0;
        for (std::size_t i = 0; i < index && i < Blocks.size(); ++i)
            p += LengthOf(*Blocks[i]);
        return p;
    }
    // The block an insertion at Pos goes before.
    std::size_t IndexAt(Integer pos) const
    {
        Integer p = 0;
        for (std::size_t i = 0; i < Blocks.size(); ++i) {
            if (pos <= p)
                return i;
            p += LengthOf(*Blocks[i]);
        }
        return Blocks.size();
    }
    // The paragraph at the selection; typing before a table opens a paragraph before it.
    Para& Current()
    {
        Sel = std::min(Sel, Blocks.size() - 1);
        if (Blocks[Sel]->IsTable) {
            Blocks.insert(Blocks.begin() + std::ptrdiff_t(Sel), std::make_shared<Block>());
            SelOffset = 0;
        }
        SelOffset = std::min(SelOffset, Blocks[Sel]->P.Text.size());
        return Blocks[Sel]->P;
    }
    void TypeText(const AnsiString& Text)
    {
        Para& p = Current();
        p.Text.insert(SelOffset, Text);
        SelOffset += Text.size();
    }
    // Ends the paragraph at the selection: the text after it goes into a new paragraph.
    void TypeParagraph()
    {
        Para& p = Current();
        auto next = std::make_shared<Block>();
        next->P.Text = p.Text.substr(SelOffset);
        next->P.Align = p.Align;
        p.Text.resize(SelOffset);
        Blocks.insert(Blocks.begin() + std::ptrdiff_t(Sel + 1), next);
        ++Sel;
        SelOffset = 0;
    }
    Integer SelectionPos() const
    {
        std::size_t sel = std::min(Sel, Blocks.size() - 1);
        if (Blocks[sel]->IsTable)
            return StartOf(sel);
        const AnsiString& t = Blocks[sel]->P.Text;
        return StartOf(sel) + Units(t.substr(0, std::min(SelOffset, t.size())));
    }
};
using DocPtr = std::shared_ptr<DocModel>;

std::string ToRtf(const DocModel& d)
{
    richtext::RtfWriter out({{"Arial", 0}}, {});
    auto paragraph = [&](const Para& p, bool inTable) {
        richtext::ParaFormat format;
        format.Alignment = richtext::Align(std::clamp<Integer>(p.Align, AlignLeft, AlignJustify) - AlignLeft);
        out.BeginParagraph(format, inTable);
        out.Text(std::string_view(p.Text));
    };
    out.Word("\\f0\\fs20\n");
    for (const BlockPtr& b : d.Blocks) {
        if (!b->IsTable) {
            paragraph(b->P, false);
            out.EndParagraph();
            continue;
        }
        const Integer width = b->Cols > 0 ? std::max<Integer>(400, 9000 / b->Cols) : 9000;
        for (Integer r = 0; r < b->Rows; ++r) {
            out.Word("\\trowd\\trgaph108\\trleft0");
            for (Integer c = 0; c < b->Cols; ++c) {
                out.Word("\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10"
                         "\\clbrdrr\\brdrs\\brdrw10");
                out.Number("cellx", width * (c + 1));
            }
            out.Word("\n");
            for (Integer c = 0; c < b->Cols; ++c) {
                paragraph(b->Cells[std::size_t(r * b->Cols + c)], true);
                out.Word("\\cell\n");
            }
            out.Word("\\row\n");
        }
        out.Word("\\pard\n");
    }
    return out.Finish();
}

// ---- Reading documents --------------------------------------------------------------------------

// Documents larger than this are not opened: far beyond any table a grid writes.
constexpr std::size_t MaxDocumentBytes = std::size_t(64) << 20;
constexpr int MaxGroupDepth = 1000;

bool ReadDocumentFile(const AnsiString& name, std::string& out)
{
    FILE* f = std::fopen(name.c_str(), "rb");
    if (!f)
        return false;
    char buf[65536];
    bool ok = true;
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) {
        if (out.size() + n > MaxDocumentBytes) {
            ok = false;
            break;
        }
        out.append(buf, n);
    }
    ok = !std::ferror(f) && ok;
    std::fclose(f);
    return ok;
}

// Reads the paragraphs and tables of an RTF document (the text, paragraph alignment, table rows
// and cells; other formatting is not kept). False for a document that is not RTF or is broken.
bool ReadRtfDocument(const std::string& rtf, DocModel& d)
{
    if (rtf.rfind("{\\rtf", 0) != 0)
        return false;
    struct State {
        bool Skip = false;
        int Uc = 1;
    };
    std::vector<State> stack{State{}};
    std::vector<BlockPtr> blocks;
    Para cur;
    bool inTable = false;
    std::vector<Para> row;
    std::u16string text; // of the paragraph or cell being read
    int pendingSkip = 0;

    auto flushText = [&] {
        cur.Text += UTF8Encode(text);
        text.clear();
    };
    auto endParagraph = [&] {
        flushText();
        auto b = std::make_shared<Block>();
        b->P = cur;
        blocks.push_back(b);
        cur.Text.clear();
    };
    auto endRow = [&] {
        if (row.empty())
            return;
        const Integer cols = Integer(row.size());
        BlockPtr t = !blocks.empty() && blocks.back()->IsTable && blocks.back()->Cols == cols ? blocks.back()
                                                                                              : nullptr;
        if (!t) {
            t = std::make_shared<Block>();
            t->IsTable = true;
            t->Cols = cols;
            blocks.push_back(t);
        }
        t->Cells.insert(t->Cells.end(), row.begin(), row.end());
        ++t->Rows;
        row.clear();
    };
    auto emit = [&](char16_t c) {
        if (pendingSkip > 0) {
            --pendingSkip;
            return;
        }
        if (!stack.back().Skip)
            text.push_back(c);
    };

    std::size_t p = 1; // after the opening brace
    while (p < rtf.size()) {
        const char c = rtf[p];
        if (c == '{') {
            if (int(stack.size()) >= MaxGroupDepth)
                return false;
            stack.push_back(stack.back());
            ++p;
            pendingSkip = 0;
            continue;
        }
        if (c == '}') {
            stack.pop_back();
            ++p;
            pendingSkip = 0;
            if (stack.empty())
                break;
            continue;
        }
        if (c == '\r' || c == '\n') {
            ++p;
            continue;
        }
        if (c != '\\') {
            emit(static_cast<unsigned char>(c) < 0x80 ? char16_t(c) : u'\uFFFD');
            ++p;
            continue;
        }
        // A control symbol or word.
        if (p + 1 >= rtf.size())
            return false;
        const char n = rtf[p + 1];
        if (n == '\\' || n == '{' || n == '}') {
            emit(char16_t(n));
            p += 2;
            continue;
        }
        if (n == '\'') {
            if (p + 3 >= rtf.size())
                return false;
            const std::string hex = rtf.substr(p + 2, 2);
            char* end = nullptr;
            const long v = std::strtol(hex.c_str(), &end, 16);
            if (end != hex.c_str() + 2)
                return false;
            const std::u16string u = richtext::DecodeCodePage(std::string(1, char(v)), 1252);
            emit(u.empty() ? u'\uFFFD' : u[0]);
            p += 4;
            continue;
        }
        if (n == '*') {
            stack.back().Skip = true;
            p += 2;
            continue;
        }
        if (n == '~') {
            emit(u'\u00A0');
            p += 2;
            continue;
        }
        if (!std::isalpha(static_cast<unsigned char>(n))) {
            p += 2; // \-, \_, \| and the like carry no text kept here
            continue;
        }
        std::size_t q = p + 1;
        while (q < rtf.size() && q - p <= 32 && std::isalpha(static_cast<unsigned char>(rtf[q])))
            ++q;
        const std::string word = rtf.substr(p + 1, q - p - 1);
        bool has = false;
        long long param = 0;
        bool neg = false;
        if (q < rtf.size() && rtf[q] == '-') {
            neg = true;
            ++q;
        }
        for (int digits = 0;
             q < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[q])) && digits < 10;
             ++q, ++digits) {
            param = param * 10 + (rtf[q] - '0');
            has = true;
        }
        if (neg)
            param = -param;
        if (q < rtf.size() && rtf[q] == ' ')
            ++q;
        p = q;

        State& st = stack.back();
        if (word == "u" && has) {
            pendingSkip = 0;
            emit(char16_t(param < 0 ? param + 65536 : param));
            pendingSkip = st.Uc;
            continue;
        }
        pendingSkip = 0;
        if (st.Skip)
            continue;
        if (word == "uc") {
            st.Uc = int(std::clamp<long long>(param, 0, 10));
        } else if (word == "fonttbl" || word == "colortbl" || word == "stylesheet" || word == "info" ||
                   word == "pict" || word == "header" || word == "footer" || word == "footnote" ||
                   word == "fldinst" || word == "object" || word == "listtable" ||
                   word == "listoverridetable") {
            st.Skip = true;
        } else if (word == "pard") {
            flushText();
            cur.Align = AlignLeft;
            inTable = false;
        } else if (word == "intbl") {
            inTable = true;
        } else if (word == "ql" || word == "qc" || word == "qr" || word == "qj") {
            cur.Align = word == "qc"   ? AlignCenter
                        : word == "qr" ? AlignRight
                        : word == "qj" ? AlignJustify
                                       : AlignLeft;
        } else if (word == "par") {
            if (inTable)
                text += u'\n';
            else
                endParagraph();
        } else if (word == "line") {
            text += u'\n';
        } else if (word == "tab") {
            text += u'\t';
        } else if (word == "cell") {
            flushText();
            row.push_back(cur);
            cur.Text.clear();
        } else if (word == "row") {
            flushText();
            cur.Text.clear();
            endRow();
        }
    }
    if (!stack.empty())
        return false; // groups left open: the file is cut short
    flushText();
    endRow();
    if (!cur.Text.empty())
        endParagraph();
    if (blocks.empty() || blocks.back()->IsTable)
        blocks.push_back(std::make_shared<Block>());
    d.Blocks = std::move(blocks);
    d.Sel = 0;
    d.SelOffset = 0;
    return true;
}

class WordObject : public TAutoObject {
protected:
    AnsiString ServerName() const override { return "Word.Application"; }
    static bool IsPut(int kind) { return (kind & DISPATCH_PROPERTYPUT) != 0; }
};

class ParaFormat : public WordObject {
public:
    explicit ParaFormat(Para* p, std::shared_ptr<void> keep) : P(p), Keep(std::move(keep)) {}
    Variant Invoke(const AnsiString& Name, int Kind, const std::vector<Variant>& Args,
                   const std::vector<TNamedArg>&) override
    {
        if (Is(Name, "Alignment")) {
            if (IsPut(Kind)) {
                Integer a = Args.at(Args.size() - 1).AsInteger();
                if (a < AlignLeft || a > AlignJustify)
                    ServerError("The value is out of range");
                P->Align = a;
                return Variant();
            }
            return P->Align;
        }
        UnknownMember(Name);
    }

private:
    Para* P;
    std::shared_ptr<void> Keep;
};

// The range of one table cell.
class CellRange : public WordObject {
public:
    explicit CellRange(Para* p, std::shared_ptr<void> keep) : P(p), Keep(std::move(keep)) {}
    Variant Invoke(const AnsiString& Name, int Kind, const std::vector<Variant>& Args,
                   const std::vector<TNamedArg>& Named) override
    {
        if (Is(Name, "InsertAfter")) {
            P->Text += Arg(Args, Named, 0, "Text").AsString();
            return Variant();
        }
        if (Is(Name, "Text")) {
            if (IsPut(Kind)) {
                P->Text = Args.back().AsString();
                return Variant();
            }
            return P->Text;
        }
        if (Is(Name, "ParagraphFormat"))
            return AutoVariant(std::make_shared<ParaFormat>(P, Keep));
        UnknownMember(Name);
    }

private:
    Para* P;
    std::shared_ptr<void> Keep;
};

class TableCell : public WordObject {
public:
    TableCell(Para* p, std::shared_ptr<void> keep) : P(p), Keep(std::move(keep)) {}
    Variant Invoke(const AnsiString& Name, int, const std::vector<Variant>&,
                   const std::vector<TNamedArg>&) override
    {
        if (Is(Name, "Range"))
            return AutoVariant(std::make_shared<CellRange>(P, Keep));
        UnknownMember(Name);
    }

private:
    Para* P;
    std::shared_ptr<void> Keep;
};

class Table : public WordObject {
public:
    explicit Table(BlockPtr b) : B(std::move(b)) {}
    Variant Invoke(const AnsiString& Name, int, const std::vector<Variant>& Args,
                   const std::vector<TNamedArg>& Named) override
    {
        if (Is(Name, "Cell")) {
            Integer r = Arg(Args, Named, 0, "Row").AsInteger(), c = Arg(Args, Named, 1, "Column").AsInteger();
            if (r < 1 || r > B->Rows || c < 1 || c > B->Cols)
                ServerError("The requested member of the collection does not exist.");
            return AutoVariant(
                std::make_shared<TableCell>(&B->Cells[std::size_t((r - 1) * B->Cols + c - 1)], B));
        }
        if (Is(Name, "Rows") || Is(Name, "Columns"))
            return Is(Name, "Rows") ? B->Rows : B->Cols;
        UnknownMember(Name);
    }

private:
    BlockPtr B;
};

// A place in the document (only insertion points are needed).
class Range : public WordObject {
public:
    Range(DocPtr d, Integer start, Integer end) : D(std::move(d)), Start(start), End(end) {}
    Variant Invoke(const AnsiString& Name, int, const std::vector<Variant>&,
                   const std::vector<TNamedArg>&) override
    {
        if (Is(Name, "Start"))
            return Start;
        if (Is(Name, "End"))
            return End;
        UnknownMember(Name);
    }
    DocPtr D;
    Integer Start, End;
};

class Tables : public WordObject {
public:
    explicit Tables(DocPtr d) : D(std::move(d)) {}
    Variant Invoke(const AnsiString& Name, int, const std::vector<Variant>& Args,
                   const std::vector<TNamedArg>& Named) override
    {
        if (Is(Name, "Count")) {
            Integer n = 0;
            for (const BlockPtr& b : D->Blocks)
                n += b->IsTable;
            return n;
        }
        if (Is(Name, "Add")) {
            Variant where = Arg(Args, Named, 0, "Range");
            auto* r = (where.VType() & varTypeMask) == varDispatch
                          ? dynamic_cast<Range*>(where.AsDispatch().get())
                          : nullptr;
            if (!r || r->D != D)
                ServerError("Type mismatch: the table needs a range of this document");
            Integer rows = Arg(Args, Named, 1, "NumRows").AsInteger(),
                    cols = Arg(Args, Named, 2, "NumColumns").AsInteger();
            if (rows < 1 || cols < 1 || rows > 32767 || cols > 63)
                ServerError("The number must be between 1 and 32767 rows and 1 and 63 columns.");
            auto b = std::make_shared<Block>();
            b->IsTable = true;
            b->Rows = rows;
            b->Cols = cols;
            b->Cells.resize(std::size_t(rows) * std::size_t(cols));
            std::size_t at = D->IndexAt(r->Start);
            D->Blocks.insert(D->Blocks.begin() + std::ptrdiff_t(at), b);
            if (at <= D->Sel)
                ++D->Sel;
            // A document ends with a paragraph.
            if (D->Blocks.back()->IsTable)
                D->Blocks.push_back(std::make_shared<Block>());
            return AutoVariant(std::make_shared<Table>(b));
        }
        UnknownMember(Name);
    }

private:
    DocPtr D;
};

class Paragraphs : public WordObject {
public:
    explicit Paragraphs(DocPtr d) : D(std::move(d)) {}
    Variant Invoke(const AnsiString& Name, int, const std::vector<Variant>&,
                   const std::vector<TNamedArg>&) override
    {
        if (Is(Name, "Add")) {
            D->Blocks.push_back(std::make_shared<Block>());
            return Variant();
        }
        if (Is(Name, "Count")) {
            Integer n = 0;
            for (const BlockPtr& b : D->Blocks)
                n += b->IsTable ? b->Rows * b->Cols : 1;
            return n;
        }
        UnknownMember(Name);
    }

private:
    DocPtr D;
};

class Bookmarks : public WordObject {
public:
    Variant Invoke(const AnsiString& Name, int, const std::vector<Variant>&,
                   const std::vector<TNamedArg>&) override
    {
        // Documents made here have no bookmarks.
        if (Is(Name, "Exists"))
            return false;
        if (Is(Name, "Count"))
            return 0;
        UnknownMember(Name);
    }
};

class Document : public WordObject {
public:
    explicit Document(DocPtr d) : D(std::move(d)) {}
    Variant Invoke(const AnsiString& Name, int Kind, const std::vector<Variant>& Args,
                   const std::vector<TNamedArg>& Named) override
    {
        if (Is(Name, "ShowSpellingErrors") || Is(Name, "Saved"))
            return IsPut(Kind) ? Variant() : Variant(true);
        if (Is(Name, "Tables"))
            return AutoVariant(std::make_shared<Tables>(D));
        if (Is(Name, "Paragraphs"))
            return AutoVariant(std::make_shared<Paragraphs>(D));
        if (Is(Name, "Bookmarks"))
            return AutoVariant(std::make_shared<Bookmarks>());
        if (Is(Name, "Range")) {
            Integer s = Arg(Args, Named, 0, "Start").IsEmpty() ? 0 : Arg(Args, Named, 0, "Start").AsInteger();
            Variant e = Arg(Args, Named, 1, "End");
            Integer end = e.IsEmpty() ? D->StartOf(D->Blocks.size()) : e.AsInteger();
            return AutoVariant(std::make_shared<Range>(D, s, std::max(s, end)));
        }
        if (Is(Name, "Goto") || Is(Name, "GoTo"))
            ServerError("The requested bookmark does not exist.");
        if (Is(Name, "SaveAs") || Is(Name, "SaveAs2")) {
            SaveAs(Arg(Args, Named, 0, "FileName").AsString());
            return Variant();
        }
        if (Is(Name, "Save")) {
            if (D->FileName.empty())
                ServerError("The document has no file name yet.");
            SaveAs(D->FileName);
            return Variant();
        }
        if (Is(Name, "Close"))
            return Variant();
        if (Is(Name, "Name"))
            return D->FileName;
        UnknownMember(Name);
    }

private:
    void SaveAs(const AnsiString& FileName)
    {
        // Written beside the target and renamed over it, so that a failure never leaves half a
        // document under the user's name.
        std::string rtf = ToRtf(*D);
        const AnsiString tmp = FileName + ".tmp" + std::to_string(::getpid());
        FILE* f = std::fopen(tmp.c_str(), "wb");
        if (!f)
            ServerError("The file " + FileName + " cannot be written.");
        bool ok = std::fwrite(rtf.data(), 1, rtf.size(), f) == rtf.size();
        ok = std::fclose(f) == 0 && ok;
        if (!ok || std::rename(tmp.c_str(), FileName.c_str()) != 0) {
            std::remove(tmp.c_str());
            ServerError("The file " + FileName + " cannot be written.");
        }
        D->FileName = FileName;
    }

    DocPtr D;
};

struct AppState {
    std::vector<DocPtr> Docs;
    DocPtr Active;
};
using AppPtr = std::shared_ptr<AppState>;

class Selection : public WordObject {
public:
    explicit Selection(AppPtr a) : A(std::move(a)) {}
    Variant Invoke(const AnsiString& Name, int, const std::vector<Variant>& Args,
                   const std::vector<TNamedArg>& Named) override
    {
        if (!A->Active)
            ServerError("This command is not available because no document is open.");
        DocModel& d = *A->Active;
        if (Is(Name, "TypeText")) {
            d.TypeText(Arg(Args, Named, 0, "Text").AsString());
            return Variant();
        }
        if (Is(Name, "TypeParagraph")) {
            d.TypeParagraph();
            return Variant();
        }
        if (Is(Name, "Goto") || Is(Name, "GoTo")) {
            // Only "the last line" is asked for: the start of the last paragraph.
            d.Sel = d.Blocks.size() - 1;
            d.SelOffset = 0;
            return Variant();
        }
        if (Is(Name, "End") || Is(Name, "Start"))
            return d.SelectionPos();
        UnknownMember(Name);
    }

private:
    AppPtr A;
};

class Documents : public WordObject {
public:
    explicit Documents(AppPtr a) : A(std::move(a)) {}
    Variant Invoke(const AnsiString& Name, int, const std::vector<Variant>& Args,
                   const std::vector<TNamedArg>& Named) override
    {
        if (Is(Name, "Count"))
            return Integer(A->Docs.size());
        if (Is(Name, "Add")) {
            auto d = std::make_shared<DocModel>();
            A->Docs.push_back(d);
            A->Active = d;
            return AutoVariant(std::make_shared<Document>(d));
        }
        if (Is(Name, "Open")) {
            const AnsiString name = Arg(Args, Named, 0, "FileName").AsString();
            auto d = std::make_shared<DocModel>();
            std::string bytes;
            if (!ReadDocumentFile(name, bytes))
                ServerError("The file " + name + " cannot be opened.");
            if (!ReadRtfDocument(bytes, *d))
                ServerError("The file " + name + " is not a document this word processor reads.");
            d->FileName = name;
            A->Docs.push_back(d);
            A->Active = d;
            return AutoVariant(std::make_shared<Document>(d));
        }
        UnknownMember(Name);
    }

private:
    AppPtr A;
};

class WordApplication : public WordObject {
public:
    Variant Invoke(const AnsiString& Name, int Kind, const std::vector<Variant>&,
                   const std::vector<TNamedArg>&) override
    {
        if (Is(Name, "Documents"))
            return AutoVariant(std::make_shared<Documents>(A));
        if (Is(Name, "ActiveDocument")) {
            if (!A->Active)
                ServerError("This command is not available because no document is open.");
            return AutoVariant(std::make_shared<Document>(A->Active));
        }
        if (Is(Name, "Selection"))
            return AutoVariant(std::make_shared<Selection>(A));
        if (Is(Name, "Visible") || Is(Name, "ScreenUpdating"))
            return IsPut(Kind) ? Variant() : Variant(false);
        if (Is(Name, "Quit")) {
            A->Docs.clear();
            A->Active = nullptr;
            return Variant();
        }
        UnknownMember(Name);
    }

private:
    AppPtr A = std::make_shared<AppState>();
};

} // namespace

std::shared_ptr<TAutoObject> NewWordApplication()
{
    return std::make_shared<WordApplication>();
}
