// The visual properties file (Name=Value lines) and the print settings file (a section of an
// ini file). Both files come from outside: every value is read and checked before the first one
// is applied, so a file that is refused leaves the grid as it was.

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/core/RudUvud.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/Strings.h"

#include <functional>
#include <utility>
#include <vector>

namespace gridfiles {

using TGridApply = std::function<void(TDidAririzEvar*)>;

// One entry of the visual properties file (a font takes four lines).
struct TVisualLine {
    AnsiString Name;
    // Appends the entry's lines.
    std::function<void(TDidAririzEvar*, TStrings*)> Save;
    // Reads the entry's value(s) from the file's lines and gives what applies them, or nothing
    // when the entry leaves its property unchanged; raises for a value that cannot be read.
    std::function<TGridApply(TStrings*)> Load;
};

// Sizes and positions in the file are bounded so that a file cannot make the painters work with
// absurd numbers.
constexpr Integer MaxFontSize = 1000;
constexpr Integer MaxSize = 1000;
constexpr Integer MaxOffset = 32767;

Integer ReadBoundedInt(const AnsiString& Name, const AnsiString& V, Integer Lo, Integer Hi)
{
    const Integer N = StrToInt(V);
    if (N < Lo || N > Hi)
        throw EConvertError("'" + V + "' is out of range for " + Name);
    return N;
}

TColor ReadColour(const AnsiString& V)
{
    return V.empty() ? clNone : StringToColor(V);
}

AnsiString BoolText(bool B)
{
    return B ? "true" : "false";
}

TVisualLine ColourLine(const char* Name, std::function<TColor(TDidAririzEvar*)> Get,
                       std::function<void(TDidAririzEvar*, TColor)> Set)
{
    return {
        Name,
        [=](TDidAririzEvar* G, TStrings* Out) { Out->Add(AnsiString(Name) + "=" + ColorToString(Get(G))); },
        [=](TStrings* In) -> TGridApply {
            const TColor C = ReadColour(In->Values(Name));
            return [=](TDidAririzEvar* G) { Set(G, C); };
        }};
}

TVisualLine BoolLine(const char* Name, std::function<bool(TDidAririzEvar*)> Get,
                     std::function<void(TDidAririzEvar*, bool)> Set)
{
    return {Name,
            [=](TDidAririzEvar* G, TStrings* Out) { Out->Add(AnsiString(Name) + "=" + BoolText(Get(G))); },
            [=](TStrings* In) -> TGridApply {
                const bool B = UpperCase(In->Values(Name)) == "TRUE";
                return [=](TDidAririzEvar* G) { Set(G, B); };
            }};
}

TVisualLine IntLine(const char* Name, Integer Lo, Integer Hi, std::function<Integer(TDidAririzEvar*)> Get,
                    std::function<void(TDidAririzEvar*, Integer)> Set)
{
    return {Name,
            [=](TDidAririzEvar* G, TStrings* Out) { Out->Add(AnsiString(Name) + "=" + IntToStr(Get(G))); },
            [=](TStrings* In) -> TGridApply {
                const Integer N = ReadBoundedInt(Name, In->Values(Name), Lo, Hi);
                return [=](TDidAririzEvar* G) { Set(G, N); };
            }};
}

// Names and values of an enumeration; a name not listed (or an empty value) changes nothing, and
// a value without a name is written empty.
using TEnumNames = std::vector<std::pair<const char*, Integer>>;

TVisualLine EnumLine(const char* Name, TEnumNames Names, std::function<Integer(TDidAririzEvar*)> Get,
                     std::function<void(TDidAririzEvar*, Integer)> Set)
{
    return {Name,
            [=](TDidAririzEvar* G, TStrings* Out) {
                AnsiString Text;
                for (const auto& [N, V] : Names)
                    if (V == Get(G))
                        Text = N;
                Out->Add(AnsiString(Name) + "=" + Text);
            },
            [=](TStrings* In) -> TGridApply {
                const AnsiString Text = In->Values(Name);
                for (const auto& [N, V] : Names)
                    if (SameText(Text, N)) {
                        const Integer Value = V;
                        return [=](TDidAririzEvar* G) { Set(G, Value); };
                    }
                return nullptr;
            }};
}

constexpr std::pair<TFontStyle, const char*> StyleNames[] = {
    {fsBold, "fsBold"}, {fsItalic, "fsItalic"}, {fsUnderline, "fsUnderline"}, {fsStrikeOut, "fsStrikeOut"}};

TVisualLine FontLines(const char* Prefix, std::function<TFont*(TDidAririzEvar*)> Get)
{
    const AnsiString P = Prefix;
    return {P,
            [=](TDidAririzEvar* G, TStrings* Out) {
                TFont* F = Get(G);
                AnsiString Styles;
                for (const auto& [S, N] : StyleNames)
                    if (F->Style().Contains(S))
                        Styles += (Styles.empty() ? "" : ",") + AnsiString(N);
                Out->Add(P + ".Color=" + ColorToString(F->Color()));
                Out->Add(P + ".Style=" + Styles);
                Out->Add(P + ".Size=" + IntToStr(F->Size()));
                Out->Add(P + ".Name=" + F->Name());
            },
            [=](TStrings* In) -> TGridApply {
                const TColor C = ReadColour(In->Values(P + ".Color"));
                const AnsiString StyleText = In->Values(P + ".Style");
                TFontStyles Styles;
                for (const auto& [S, N] : StyleNames)
                    if (Pos(N, StyleText) > 0)
                        Styles.Include(S);
                const Integer Size =
                    ReadBoundedInt(P + ".Size", In->Values(P + ".Size"), -MaxFontSize, MaxFontSize);
                const AnsiString Name = In->Values(P + ".Name");
                return [=](TDidAririzEvar* G) {
                    TFont* F = Get(G);
                    F->SetColor(C);
                    F->SetStyle(Styles);
                    F->SetSize(Size);
                    F->SetName(Name);
                };
            }};
}

// The look names the file uses.
const TEnumNames LookNames = {{"glStandard", glStandard}, {"glSoft", glSoft}, {"glClassic", glClassic},
                              {"glZIV", glZIV},           {"glXP", glXP},     {"glListView", glListView},
                              {"glVista", glVista},       {"glWin7", glWin7}, {"glOffice2007", glOffice2007}};

} // namespace gridfiles

// Reaches the grid members the files read and write.
struct TGridSettingsFiles {
    static std::vector<gridfiles::TVisualLine> VisualLines();
    // Through the setter: a look that changes installs its preset colours over the colours
    // read before it; the lines after it keep the file's values.
    static void StoreLook(TDidAririzEvar* G, TGridLook Value) { G->SetLook(Value); }
};

// In the order of the file.
std::vector<gridfiles::TVisualLine> TGridSettingsFiles::VisualLines()
{
    using namespace gridfiles;
    using G_ = TDidAririzEvar;
    std::vector<TVisualLine> L;
    L.push_back(ColourLine(
        "Color", [](G_* G) { return G->Color(); }, [](G_* G, TColor C) { G->SetColor(C); }));
    L.push_back(ColourLine(
        "HintColor", [](G_* G) { return G->HintColor(); }, [](G_* G, TColor C) { G->SetHintColor(C); }));
    L.push_back(ColourLine(
        "SelectionColor", [](G_* G) { return G->SelectionColor(); },
        [](G_* G, TColor C) { G->SetSelectionColor(C); }));
    L.push_back(ColourLine(
        "SelectionColorTo", [](G_* G) { return G->SelectionColorTo(); },
        [](G_* G, TColor C) { G->SetSelectionColorTo(C); }));
    L.push_back(ColourLine(
        "SelectionMirrorColor", [](G_* G) { return G->SelectionMirrorColor(); },
        [](G_* G, TColor C) { G->SetSelectionMirrorColor(C); }));
    L.push_back(ColourLine(
        "SelectionMirrorColorTo", [](G_* G) { return G->SelectionMirrorColorTo(); },
        [](G_* G, TColor C) { G->SetSelectionMirrorColorTo(C); }));
    L.push_back(ColourLine(
        "SelectionTextColor", [](G_* G) { return G->SelectionTextColor(); },
        [](G_* G, TColor C) { G->SetSelectionTextColor(C); }));
    L.push_back(ColourLine(
        "URLColor", [](G_* G) { return G->URLColor(); }, [](G_* G, TColor C) { G->SetURLColor(C); }));
    L.push_back(BoolLine(
        "URLShow", [](G_* G) { return G->URLShow(); }, [](G_* G, bool B) { G->SetURLShow(B); }));
    L.push_back(BoolLine(
        "URLShowInText", [](G_* G) { return G->URLShowInText(); },
        [](G_* G, bool B) { G->SetURLShowInText(B); }));
    L.push_back(ColourLine(
        "ScrollColor", [](G_* G) { return G->ScrollColor(); },
        [](G_* G, TColor C) { G->SetScrollColor(C); }));
    L.push_back(ColourLine(
        "ActiveRowColor", [](G_* G) { return G->ActiveRowColor(); },
        [](G_* G, TColor C) { G->SetActiveRowColor(C); }));
    L.push_back(BoolLine(
        "ActiveRowShow", [](G_* G) { return G->ActiveRowShow(); },
        [](G_* G, bool B) { G->SetActiveRowShow(B); }));
    L.push_back(BoolLine(
        "ActiveCellShow", [](G_* G) { return G->ActiveCellShow(); },
        [](G_* G, bool B) { G->SetActiveCellShow(B); }));
    L.push_back(FontLines("Font", [](G_* G) { return G->Font(); }));
    L.push_back(ColourLine(
        "ActiveCellColor", [](G_* G) { return G->ActiveCellColor(); },
        [](G_* G, TColor C) { G->SetActiveCellColor(C); }));
    L.push_back(ColourLine(
        "ActiveCellColorTo", [](G_* G) { return G->ActiveCellColorTo(); },
        [](G_* G, TColor C) { G->SetActiveCellColorTo(C); }));
    L.push_back(FontLines("ActiveCellFont", [](G_* G) { return G->ActiveCellFont(); }));
    L.push_back(FontLines("FixedFont", [](G_* G) { return G->FixedFont(); }));
    L.push_back(ColourLine(
        "Balloon.BackgroundColor", [](G_* G) { return G->Balloon()->BackgroundColor; },
        [](G_* G, TColor C) { G->Balloon()->BackgroundColor = C; }));
    L.push_back(ColourLine(
        "Balloon.TextColor", [](G_* G) { return G->Balloon()->TextColor; },
        [](G_* G, TColor C) { G->Balloon()->TextColor = C; }));
    L.push_back(IntLine(
        "Balloon.Transparency", 0, 255, [](G_* G) { return Integer(G->Balloon()->Transparency); },
        [](G_* G, Integer N) { G->Balloon()->Transparency = static_cast<Byte>(N); }));
    L.push_back(ColourLine(
        "Bands.PrimaryColor", [](G_* G) { return G->Bands()->PrimaryColor; },
        [](G_* G, TColor C) { G->Bands()->PrimaryColor = C; }));
    L.push_back(ColourLine(
        "Bands.SecondaryColor", [](G_* G) { return G->Bands()->SecondaryColor; },
        [](G_* G, TColor C) { G->Bands()->SecondaryColor = C; }));
    L.push_back(BoolLine(
        "Bands.Active", [](G_* G) { return G->Bands()->Active; },
        [](G_* G, bool B) { G->Bands()->Active = B; }));
    L.push_back(ColourLine(
        "SortSettings.IndexColor", [](G_* G) { return G->SortSettings()->IndexColor; },
        [](G_* G, TColor C) { G->SortSettings()->IndexColor = C; }));
    L.push_back(ColourLine(
        "FloatingFooter.Color", [](G_* G) { return G->FloatingFooter()->Color(); },
        [](G_* G, TColor C) { G->FloatingFooter()->SetColor(C); }));
    L.push_back(IntLine(
        "ControlLook.CheckSize", 0, MaxSize, [](G_* G) { return G->ControlLook()->CheckSize; },
        [](G_* G, Integer N) { G->ControlLook()->CheckSize = N; }));
    L.push_back(ColourLine(
        "ControlLook.Color", [](G_* G) { return G->ControlLook()->Color; },
        [](G_* G, TColor C) { G->ControlLook()->Color = C; }));
    L.push_back(ColourLine(
        "ControlLook.CommentColor", [](G_* G) { return G->ControlLook()->CommentColor; },
        [](G_* G, TColor C) { G->ControlLook()->CommentColor = C; }));
    L.push_back(EnumLine(
        "ControlLook.ControlStyle",
        {{"csClassic", RudUvudLook::csClassic},
         {"csFlat", RudUvudLook::csFlat},
         {"csWinXP", RudUvudLook::csWinXP},
         {"csBorland", RudUvudLook::csBorland},
         {"csZIV", RudUvudLook::csZIV},
         {"csGlyph", RudUvudLook::csGlyph},
         {"csTheme", RudUvudLook::csTheme}},
        [](G_* G) { return Integer(G->ControlLook()->ControlStyle); },
        [](G_* G, Integer V) {
            G->ControlLook()->ControlStyle = static_cast<RudUvudLook::TControlStyle>(V);
        }));
    L.push_back(ColourLine(
        "ControlLook.FixedGradientFrom", [](G_* G) { return G->ControlLook()->FixedGradientFrom; },
        [](G_* G, TColor C) { G->ControlLook()->FixedGradientFrom = C; }));
    L.push_back(ColourLine(
        "ControlLook.FixedGradientTo", [](G_* G) { return G->ControlLook()->FixedGradientTo; },
        [](G_* G, TColor C) { G->ControlLook()->FixedGradientTo = C; }));
    L.push_back(IntLine(
        "ControlLook.RadioSize", 0, MaxSize, [](G_* G) { return G->ControlLook()->RadioSize; },
        [](G_* G, Integer N) { G->ControlLook()->RadioSize = N; }));
    L.push_back(BoolLine(
        "ControlLook.FlatButton", [](G_* G) { return G->ControlLook()->FlatButton; },
        [](G_* G, bool B) { G->ControlLook()->FlatButton = B; }));
    L.push_back(ColourLine(
        "ControlLook.ProgressBorderColor", [](G_* G) { return G->ControlLook()->ProgressBorderColor; },
        [](G_* G, TColor C) { G->ControlLook()->ProgressBorderColor = C; }));
    L.push_back(BoolLine(
        "ControlLook.ProgressXP", [](G_* G) { return G->ControlLook()->ProgressXP; },
        [](G_* G, bool B) { G->ControlLook()->ProgressXP = B; }));
    L.push_back(EnumLine(
        "Look", LookNames, [](G_* G) { return Integer(G->Look()); },
        [](G_* G, Integer V) { StoreLook(G, static_cast<TGridLook>(V)); }));
    L.push_back(ColourLine(
        "SearchFooter.Color", [](G_* G) { return G->SearchFooter()->Color(); },
        [](G_* G, TColor C) { G->SearchFooter()->SetColor(C); }));
    L.push_back(ColourLine(
        "SearchFooter.ColorTo", [](G_* G) { return G->SearchFooter()->ColorTo(); },
        [](G_* G, TColor C) { G->SearchFooter()->SetColorTo(C); }));
    L.push_back(ColourLine(
        "Grouping.HeaderColor", [](G_* G) { return G->Grouping()->HeaderColor; },
        [](G_* G, TColor C) { G->Grouping()->HeaderColor = C; }));
    L.push_back(ColourLine(
        "Grouping.HeaderColorTo", [](G_* G) { return G->Grouping()->HeaderColorTo; },
        [](G_* G, TColor C) { G->Grouping()->HeaderColorTo = C; }));
    L.push_back(ColourLine(
        "Grouping.HeaderTextColor", [](G_* G) { return G->Grouping()->HeaderTextColor; },
        [](G_* G, TColor C) { G->Grouping()->HeaderTextColor = C; }));
    L.push_back(BoolLine(
        "Grouping.HeaderUnderline", [](G_* G) { return G->Grouping()->HeaderUnderline; },
        [](G_* G, bool B) { G->Grouping()->HeaderUnderline = B; }));
    L.push_back(ColourLine(
        "Grouping.HeaderLineColor", [](G_* G) { return G->Grouping()->HeaderLineColor; },
        [](G_* G, TColor C) { G->Grouping()->HeaderLineColor = C; }));
    L.push_back(IntLine(
        "Grouping.HeaderLineWidth", 0, MaxSize, [](G_* G) { return G->Grouping()->HeaderLineWidth; },
        [](G_* G, Integer N) { G->Grouping()->HeaderLineWidth = N; }));
    L.push_back(ColourLine(
        "Grouping.SummaryColor", [](G_* G) { return G->Grouping()->SummaryColor; },
        [](G_* G, TColor C) { G->Grouping()->SummaryColor = C; }));
    L.push_back(ColourLine(
        "Grouping.SummaryColorTo", [](G_* G) { return G->Grouping()->SummaryColorTo; },
        [](G_* G, TColor C) { G->Grouping()->SummaryColorTo = C; }));
    L.push_back(ColourLine(
        "Grouping.SummaryTextColor", [](G_* G) { return G->Grouping()->SummaryTextColor; },
        [](G_* G, TColor C) { G->Grouping()->SummaryTextColor = C; }));
    L.push_back(BoolLine(
        "Grouping.SummaryLine", [](G_* G) { return G->Grouping()->SummaryLine; },
        [](G_* G, bool B) { G->Grouping()->SummaryLine = B; }));
    L.push_back(ColourLine(
        "Grouping.SummaryLineColor", [](G_* G) { return G->Grouping()->SummaryLineColor; },
        [](G_* G, TColor C) { G->Grouping()->SummaryLineColor = C; }));
    L.push_back(IntLine(
        "Grouping.SummaryLineWidth", 0, MaxSize, [](G_* G) { return G->Grouping()->SummaryLineWidth; },
        [](G_* G, Integer N) { G->Grouping()->SummaryLineWidth = N; }));
    L.push_back(ColourLine(
        "GridLineColor", [](G_* G) { return G->GridLineColor(); },
        [](G_* G, TColor C) { G->SetGridLineColor(C); }));
    L.push_back(ColourLine(
        "GridFixedLineColor", [](G_* G) { return G->GridFixedLineColor(); },
        [](G_* G, TColor C) { G->SetGridFixedLineColor(C); }));
    L.push_back(IntLine(
        "BackGround.Top", -MaxOffset, MaxOffset, [](G_* G) { return G->BackGround()->Top; },
        [](G_* G, Integer N) { G->BackGround()->Top = N; }));
    L.push_back(IntLine(
        "BackGround.Left", -MaxOffset, MaxOffset, [](G_* G) { return G->BackGround()->Left; },
        [](G_* G, Integer N) { G->BackGround()->Left = N; }));
    L.push_back(EnumLine(
        "BackGround.Display",
        {{"bdTile", bdTile},
         {"bdFixed", bdFixed},
         {"bdGradientHorz", bdGradientHorz},
         {"bdGradientVert", bdGradientVert}},
        [](G_* G) { return Integer(G->BackGround()->Display); },
        [](G_* G, Integer V) { G->BackGround()->Display = static_cast<TBackGroundDisplay>(V); }));
    L.push_back(EnumLine(
        "BackGround.Cells", {{"bcNormal", bcNormal}, {"bcFixed", bcFixed}, {"bcAll", bcAll}},
        [](G_* G) { return Integer(G->BackGround()->Cells); },
        [](G_* G, Integer V) { G->BackGround()->Cells = static_cast<TBackGroundCells>(V); }));
    L.push_back(ColourLine(
        "BackGround.Color", [](G_* G) { return G->BackGround()->Color; },
        [](G_* G, TColor C) { G->BackGround()->Color = C; }));
    L.push_back(ColourLine(
        "BackGround.ColorTo", [](G_* G) { return G->BackGround()->ColorTo; },
        [](G_* G, TColor C) { G->BackGround()->ColorTo = C; }));
    return L;
}

void TDidAririzEvar::SaveVisualProps(const AnsiString& FileName)
{
    using namespace gridfiles;
    TStringList Lines;
    for (const TVisualLine& L : TGridSettingsFiles::VisualLines())
        L.Save(this, &Lines);
    try {
        Lines.SaveToFile(FileName);
    } catch (const Exception&) {
        throw Exception("Cannot Create " + FileName);
    }
}

void TDidAririzEvar::LoadVisualProps(const AnsiString& FileName)
{
    using namespace gridfiles;
    TStringList Lines;
    try {
        Lines.LoadFromFile(FileName);
    } catch (const Exception&) {
        throw Exception("Cannot open file " + FileName);
    }
    // The grid line colours are applied before the grouping values, right after the search
    // footer's.
    std::vector<TVisualLine> Order = TGridSettingsFiles::VisualLines();
    auto Take = [&](const char* Name) {
        for (auto It = Order.begin(); It != Order.end(); ++It)
            if (It->Name == Name) {
                TVisualLine L = std::move(*It);
                Order.erase(It);
                return L;
            }
        return TVisualLine{};
    };
    TVisualLine Lines1 = Take("GridLineColor");
    TVisualLine Lines2 = Take("GridFixedLineColor");
    for (auto It = Order.begin(); It != Order.end(); ++It)
        if (It->Name == "SearchFooter.ColorTo") {
            It = Order.insert(It + 1, std::move(Lines1));
            Order.insert(It + 1, std::move(Lines2));
            break;
        }

    std::vector<TGridApply> Steps;
    for (const TVisualLine& L : Order)
        if (TGridApply A = L.Load(&Lines))
            Steps.push_back(std::move(A));
    for (const TGridApply& A : Steps)
        A(this);
    Invalidate();
}

// ---- Print settings file ----------------------------------------------------------------------------

namespace gridfiles {

using TPrintIo = std::function<void(TPrintSettings*, TCustomIniFile*, const AnsiString& Section)>;

// One key of the print settings file. Load reads into a copy of the grid's settings and raises
// for a value that cannot be read.
struct TPrintKey {
    TPrintIo Save;
    TPrintIo Load;
};

constexpr Integer IntMin = -2147483647 - 1;
constexpr Integer IntMax = 2147483647;

// A number: a missing key or an empty value gives the default, anything but a number in Lo..Hi
// is refused. Set decides what a number does.
TPrintKey NumberKey(const AnsiString& Key, Integer Default, Integer Lo, Integer Hi,
                    std::function<Integer(TPrintSettings*)> Get,
                    std::function<void(TPrintSettings*, Integer)> Set)
{
    return {[=](TPrintSettings* P, TCustomIniFile* Ini, const AnsiString& S) {
                Ini->WriteInteger(S, Key, Get(P));
            },
            [=](TPrintSettings* P, TCustomIniFile* Ini, const AnsiString& S) {
                const AnsiString V = Ini->ReadString(S, Key, "");
                if (V.empty())
                    return Set(P, Default);
                const Integer N = StrToInt(V);
                if (N < Lo || N > Hi)
                    throw EConvertError("'" + V + "' is out of range for " + Key);
                Set(P, N);
            }};
}

TPrintKey IntKey(const AnsiString& Key, Integer Default, Integer TPrintSettings::*Field)
{
    return NumberKey(
        Key, Default, IntMin, IntMax, [=](TPrintSettings* P) { return P->*Field; },
        [=](TPrintSettings* P, Integer N) { P->*Field = N; });
}

TPrintKey ColourKey(const AnsiString& Key, std::function<TColor&(TPrintSettings*)> Field)
{
    return NumberKey(
        Key, 0, IntMin, IntMax, [=](TPrintSettings* P) { return static_cast<Integer>(Field(P)); },
        [=](TPrintSettings* P, Integer N) { Field(P) = static_cast<TColor>(N); });
}

// An ordinal 0..Last; another number leaves the value, or with ResetOutside sets the first one.
template <class E>
TPrintKey OrdinalKey(const AnsiString& Key, E TPrintSettings::*Field, Integer Last, bool ResetOutside)
{
    return NumberKey(
        Key, 0, IntMin, IntMax, [=](TPrintSettings* P) { return static_cast<Integer>(P->*Field); },
        [=](TPrintSettings* P, Integer N) {
            if (N >= 0 && N <= Last)
                P->*Field = static_cast<E>(N);
            else if (ResetOutside)
                P->*Field = static_cast<E>(0);
        });
}

TPrintKey BoolKey(const AnsiString& Key, bool Default, bool TPrintSettings::*Field)
{
    return {[=](TPrintSettings* P, TCustomIniFile* Ini, const AnsiString& S) {
                Ini->WriteString(S, Key, P->*Field ? "Y" : "N");
            },
            [=](TPrintSettings* P, TCustomIniFile* Ini, const AnsiString& S) {
                P->*Field = Ini->ReadString(S, Key, Default ? "Y" : "N") == "Y";
            }};
}

TPrintKey TextKey(const AnsiString& Key, const AnsiString& Default,
                  std::function<AnsiString(TPrintSettings*)> Get,
                  std::function<void(TPrintSettings*, const AnsiString&)> Set)
{
    return {[=](TPrintSettings* P, TCustomIniFile* Ini, const AnsiString& S) {
                Ini->WriteString(S, Key, Get(P));
            },
            [=](TPrintSettings* P, TCustomIniFile* Ini, const AnsiString& S) {
                Set(P, Ini->ReadString(S, Key, Default));
            }};
}

TPrintKey StringKey(const AnsiString& Key, AnsiString TPrintSettings::*Field)
{
    return TextKey(
        Key, "", [=](TPrintSettings* P) { return P->*Field; },
        [=](TPrintSettings* P, const AnsiString& V) { P->*Field = V; });
}

constexpr std::pair<TFontStyle, Integer> StyleBits[] = {
    {fsBold, 1}, {fsItalic, 2}, {fsUnderline, 4}, {fsStrikeOut, 8}};

// Prefix + "Name", "Size", "Style" (bits, added to the style the font has) and "Color".
void AddFontKeys(std::vector<TPrintKey>& Keys, const AnsiString& Prefix,
                 TFont* (TPrintSettings::*Font)() const)
{
    Keys.push_back(TextKey(
        Prefix + "Name", "Arial", [=](TPrintSettings* P) { return (P->*Font)()->Name(); },
        [=](TPrintSettings* P, const AnsiString& V) { (P->*Font)()->SetName(V); }));
    Keys.push_back(NumberKey(
        Prefix + "Size", 10, -MaxFontSize, MaxFontSize,
        [=](TPrintSettings* P) { return (P->*Font)()->Size(); },
        [=](TPrintSettings* P, Integer N) { (P->*Font)()->SetSize(N); }));
    Keys.push_back(NumberKey(
        Prefix + "Style", 0, IntMin, IntMax,
        [=](TPrintSettings* P) {
            Integer Bits = 0;
            for (const auto& [St, B] : StyleBits)
                if ((P->*Font)()->Style().Contains(St))
                    Bits |= B;
            return Bits;
        },
        [=](TPrintSettings* P, Integer Bits) {
            TFontStyles Style = (P->*Font)()->Style();
            for (const auto& [St, B] : StyleBits)
                if (Bits & B)
                    Style.Include(St);
            (P->*Font)()->SetStyle(Style);
        }));
    Keys.push_back(NumberKey(
        Prefix + "Color", 0, IntMin, IntMax,
        [=](TPrintSettings* P) { return static_cast<Integer>((P->*Font)()->Color()); },
        [=](TPrintSettings* P, Integer N) { (P->*Font)()->SetColor(static_cast<TColor>(N)); }));
}

// In the order of the file.
std::vector<TPrintKey> PrintKeys()
{
    using P_ = TPrintSettings;
    std::vector<TPrintKey> K;
    K.push_back(IntKey("ColumnSpacing", 20, &P_::ColumnSpacing));
    K.push_back(IntKey("RowSpacing", 20, &P_::RowSpacing));
    K.push_back(IntKey("TitleSpacing", 20, &P_::TitleSpacing));
    K.push_back(IntKey("FixedHeight", 0, &P_::FixedHeight));
    K.push_back(IntKey("FixedWidth", 0, &P_::FixedWidth));
    K.push_back(BoolKey("Centered", true, &P_::Centered));
    K.push_back(BoolKey("NoAutoSize", false, &P_::NoAutoSize));
    K.push_back(BoolKey("UseFixedHeight", false, &P_::UseFixedHeight));
    K.push_back(BoolKey("UseFixedWidth", false, &P_::UseFixedWidth));
    K.push_back(BoolKey("RepeatFixedRows", false, &P_::RepeatFixedRows));
    K.push_back(BoolKey("RepeatFixedCols", false, &P_::RepeatFixedCols));
    K.push_back(BoolKey("UseDisplFont", false, &P_::UseDisplayFont));
    K.push_back(BoolKey("UseDefOrientation", false, &P_::UseDefaultOrientation));
    K.push_back(OrdinalKey("Borders", &P_::Borders, pbCustom, false));
    K.push_back(ColourKey("BorderColor", [](P_* P) -> TColor& { return P->BorderColor; }));
    K.push_back(OrdinalKey("BorderStyle", &P_::BorderStyle, psInsideFrame, false));
    K.push_back(OrdinalKey("Date", &P_::Date, ppBottomCenter, true));
    K.push_back(OrdinalKey("PageNr", &P_::PageNr, ppBottomCenter, true));
    K.push_back(OrdinalKey("Title", &P_::Title, ppBottomCenter, true));
    K.push_back(OrdinalKey("Time", &P_::Time, ppBottomCenter, true));
    K.push_back(StringKey("DateFormat", &P_::DateFormat));
    K.push_back(StringKey("TitleText", &P_::TitleText));
    K.push_back(IntKey("FooterSize", 100, &P_::FooterSize));
    K.push_back(IntKey("HeaderSize", 100, &P_::HeaderSize));
    K.push_back(IntKey("LeftSize", 100, &P_::LeftSize));
    K.push_back(IntKey("RightSize", 100, &P_::RightSize));
    K.push_back(OrdinalKey("FitToPage", &P_::FitToPage, fpCustom, false));
    AddFontKeys(K, "Font", &P_::Font);
    AddFontKeys(K, "HeaderFont", &P_::HeaderFont);
    AddFontKeys(K, "FooterFont", &P_::FooterFont);
    K.push_back(StringKey("PageNumSep", &P_::PageNumSep));
    K.push_back(StringKey("PageSuffix", &P_::PageSuffix));
    K.push_back(StringKey("PagePrefix", &P_::PagePrefix));
    K.push_back(OrdinalKey("Orientation", &P_::Orientation, RudUvudPrint::poLandscape, false));
    // The lines in one value, each followed by the two characters "\n".
    K.push_back(TextKey(
        "TitleLines", "",
        [](P_* P) { return StringReplace(P->TitleLines()->Text(), sLineBreak, "\\n", {rfReplaceAll}); },
        [](P_* P, const AnsiString& V) {
            P->TitleLines()->SetText(StringReplace(V, "\\n", sLineBreak, {rfReplaceAll}));
        }));
    return K;
}

} // namespace gridfiles

void TDidAririzEvar::SavePrintSettings(const AnsiString& FileName, const AnsiString& Section)
{
    using namespace gridfiles;
    TMemIniFile Ini(FileName);
    for (const TPrintKey& K : PrintKeys())
        K.Save(PrintSettings(), &Ini, Section);
    try {
        Ini.UpdateFile();
    } catch (const Exception&) {
        throw Exception("Cannot Create " + FileName);
    }
}

void TDidAririzEvar::LoadPrintSettings(const AnsiString& FileName, const AnsiString& Section)
{
    using namespace gridfiles;
    TStringList Lines;
    try {
        Lines.LoadFromFile(FileName);
    } catch (const Exception&) {
        throw Exception("Cannot open file " + FileName);
    }
    // Read from the lines only: loading never writes the file.
    TMemIniFile Ini("");
    Ini.SetStrings(&Lines);
    TPrintSettings Read(this);
    Read.Assign(PrintSettings());
    for (const TPrintKey& K : PrintKeys())
        K.Load(&Read, &Ini, Section);
    PrintSettings()->Assign(&Read);
}
