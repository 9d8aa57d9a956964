// The binary cell stream (see CellStream.h): the carriers' property tables, writing a rectangle,
// parsing and checking a stream, placing its cells, and the file forms.

#include "RudUvud/exchange/CellStream.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/core/RudUvud.h"
#include "RudUvud/exchange/CsvCodec.h"

#include "platform/forms/ComponentStream.h"
#include "platform/forms/TypInfo.h"
#include "platform/rtl/Conversions.h"

#include <algorithm>
#include <cstdint>

// ---- Carriers -----------------------------------------------------------------------------------

TGridCellPropIO::TGridCellPropIO(TComponent* AOwner) : TComponent(AOwner)
{
    ResetProperties();
}

TGridCellPropIO::~TGridCellPropIO()
{
    delete FCellProperties;
}

void TGridCellPropIO::ResetProperties()
{
    delete FCellProperties;
    FCellProperties = nullptr;
    FCellProperties = new TCellProperties(nullptr, 0, 0);
}

TGridGraphicIO::TGridGraphicIO(TComponent* AOwner)
    : TComponent(AOwner), FCellGraphic(std::make_unique<TCellGraphic>())
{
}
TGridGraphicIO::~TGridGraphicIO() = default;
void TGridGraphicIO::Reset()
{
    FCellGraphic = std::make_unique<TCellGraphic>();
}

TGridBMPIO::TGridBMPIO(TComponent* AOwner) : TComponent(AOwner), FBitmap(std::make_unique<TBitmap>()) {}
TGridBMPIO::~TGridBMPIO() = default;
void TGridBMPIO::Reset()
{
    FBitmap = std::make_unique<TBitmap>();
}
TGridIconIO::TGridIconIO(TComponent* AOwner) : TComponent(AOwner), FIcon(std::make_unique<TIcon>()) {}
TGridIconIO::~TGridIconIO() = default;
void TGridIconIO::Reset()
{
    FIcon = std::make_unique<TIcon>();
}
TGridPicIO::TGridPicIO(TComponent* AOwner) : TComponent(AOwner), FPicture(std::make_unique<TPicture>()) {}
TGridPicIO::~TGridPicIO() = default;
void TGridPicIO::Reset()
{
    FPicture = std::make_unique<TPicture>();
}
TGridFilePicIO::TGridFilePicIO(TComponent* AOwner)
    : TComponent(AOwner), FPicture(std::make_unique<TFilePicture>())
{
}
TGridFilePicIO::~TGridFilePicIO() = default;
void TGridFilePicIO::Reset()
{
    FPicture = std::make_unique<TFilePicture>();
}
TGridSLIO::TGridSLIO(TComponent* AOwner) : TComponent(AOwner), FStrings(std::make_unique<TStringList>()) {}
TGridSLIO::~TGridSLIO() = default;
void TGridSLIO::Reset()
{
    FStrings = std::make_unique<TStringList>();
}

namespace {

const std::vector<AnsiString> Booleans = {"False", "True"};

template <class C, class V> TPropInfo Ord(const char* Name, V (C::*Get)() const, void (C::*Set)(V))
{
    TPropInfo P;
    P.Name = Name;
    P.Kind = tkInteger;
    P.GetOrd = [Get](TObject* O) { return Int64((static_cast<C*>(O)->*Get)()); };
    P.SetOrd = [Set](TObject* O, Int64 X) { (static_cast<C*>(O)->*Set)(static_cast<V>(X)); };
    return P;
}

template <class C, class V>
TPropInfo Enum(const char* Name, V (C::*Get)() const, void (C::*Set)(V), std::vector<AnsiString> Names)
{
    TPropInfo P = Ord(Name, Get, Set);
    P.Kind = tkEnumeration;
    P.Names = std::move(Names);
    return P;
}

template <class C> TPropInfo Field(const char* Name, TTypeKind Kind, auto C::*Member)
{
    TPropInfo P;
    P.Name = Name;
    P.Kind = Kind;
    using M = std::remove_reference_t<decltype(std::declval<C>().*Member)>;
    if constexpr (std::is_same_v<M, AnsiString>) {
        P.GetStr = [Member](TObject* O) { return static_cast<C*>(O)->*Member; };
        P.SetStr = [Member](TObject* O, const AnsiString& X) { static_cast<C*>(O)->*Member = X; };
    } else if constexpr (std::is_floating_point_v<M>) {
        P.GetFloat = [Member](TObject* O) { return Extended(static_cast<C*>(O)->*Member); };
        P.SetFloat = [Member](TObject* O, Extended X) { static_cast<C*>(O)->*Member = static_cast<M>(X); };
    } else {
        P.GetOrd = [Member](TObject* O) { return Int64(static_cast<C*>(O)->*Member); };
        P.SetOrd = [Member](TObject* O, Int64 X) { static_cast<C*>(O)->*Member = static_cast<M>(X); };
    }
    if (Kind == tkEnumeration)
        P.Names = Booleans;
    return P;
}

// A field of an enumeration type, streamed by its members' names.
template <class C> TPropInfo EnumField(const char* Name, auto C::*Member, std::vector<AnsiString> Names)
{
    TPropInfo P = Field<C>(Name, tkEnumeration, Member);
    P.Names = std::move(Names);
    return P;
}

// A nested object property of a carrier.
template <class C, class O> TPropInfo Nested(const char* Name, O* (C::*Get)() const)
{
    TPropInfo P;
    P.Name = Name;
    P.Kind = tkClass;
    P.GetObject = [Get](TObject* X) -> TPersistent* { return (static_cast<C*>(X)->*Get)(); };
    return P;
}

// Copies every value the stream carries from one record to another.
void CopyCarried(const TCellProperties& S, TCellProperties& D)
{
    D.SetIsBaseCell(S.IsBaseCell());
    D.SetCellSpanX(S.CellSpanX());
    D.SetCellSpanY(S.CellSpanY());
    D.SetAlignment(S.Alignment());
    D.SetBorderColor(S.BorderColor());
    D.SetBorderWidth(S.BorderWidth());
    D.SetBrushColor(S.BrushColor());
    D.SetBrushColorTo(S.BrushColorTo());
    D.SetBrushStyle(S.BrushStyle());
    D.SetFontColor(S.FontColor());
    D.SetFontName(S.FontName());
    D.SetFontSize(S.FontSize());
    D.SetFontStyle(S.FontStyle());
    D.SetEditor(S.Editor());
    D.SetGradientDirection(S.GradientDirection());
    D.SetReadOnly(S.ReadOnly());
    D.SetVAlignment(S.VAlignment());
    D.SetWordWrap(S.WordWrap());
    D.SetNodeLevel(S.NodeLevel());
}

[[noreturn]] void Invalid(const AnsiString& Why)
{
    throw EReadError("Invalid cell stream: " + Why);
}

std::vector<Integer> Numbers(const AnsiString& S, const char* What)
{
    std::vector<Integer> Out;
    if (S.empty())
        return Out;
    std::size_t At = 0;
    while (true) {
        const std::size_t Comma = S.find(',', At);
        const Integer V = StrToInt(S.substr(At, Comma == AnsiString::npos ? AnsiString::npos : Comma - At));
        if (V < 0 || V > 0xFFFF)
            Invalid(AnsiString(What) + " out of range");
        Out.push_back(V);
        if (Comma == AnsiString::npos)
            return Out;
        At = Comma + 1;
    }
}

template <class T> struct TFreeComponent {
    void operator()(T* C) const { C->Free(); }
};
template <class T> using TCarrier = std::unique_ptr<T, TFreeComponent<T>>;
template <class T> TCarrier<T> NewCarrier()
{
    return TCarrier<T>(New<T>(nullptr));
}

// The carriers of a cell's graphic and of the picture or list behind it.
struct TGraphicCarriers {
    TCarrier<TGridGraphicIO> Graphic = NewCarrier<TGridGraphicIO>();
    TCarrier<TGridBMPIO> Bitmap = NewCarrier<TGridBMPIO>();
    TCarrier<TGridIconIO> Icon = NewCarrier<TGridIconIO>();
    TCarrier<TGridSLIO> Strings = NewCarrier<TGridSLIO>();
    TCarrier<TGridPicIO> Picture = NewCarrier<TGridPicIO>();
    TCarrier<TGridFilePicIO> FilePicture = NewCarrier<TGridFilePicIO>();
};

// Whether a cell's graphic travels with the cell: not without a graphic, not the shared row check
// box or a virtual check box (no cell's own), and a graphic of a picture or list only when the
// grid owns that picture or list.
bool GraphicTravels(const TCellGraphic* G, TCellType Type)
{
    if (!G)
        return false;
    switch (Type) {
    case ctEmpty:
    case ctRowCheckBox:
    case ctVirtCheckBox:
        return false;
    case ctBitmap:
    case ctIcon:
    case ctRadio:
    case ctImages:
    case ctPicture:
    case ctFilePicture:
    case ctBitButton:
        return G->CellCreated;
    default:
        return true;
    }
}

// Writes the graphic's image and, by its kind, the image of the object behind it.
void WriteGraphic(TStream* Stream, TCellGraphic& G, TGraphicCarriers& Io)
{
    Io.Graphic->Reset();
    Io.Graphic->CellGraphic()->Assign(&G);
    Stream->WriteComponent(Io.Graphic.get());
    switch (G.CellType) {
    case ctBitmap:
    case ctBitButton:
        Io.Bitmap->Reset();
        if (TBitmap* B = G.Bitmap())
            Io.Bitmap->Bitmap()->Assign(B);
        Stream->WriteComponent(Io.Bitmap.get());
        break;
    case ctIcon:
        Io.Icon->Reset();
        if (TIcon* I = G.Icon())
            Io.Icon->Icon()->Assign(I);
        Stream->WriteComponent(Io.Icon.get());
        break;
    case ctRadio:
        Io.Strings->Reset();
        if (TStrings* L = G.Strings())
            Io.Strings->Strings()->Assign(L);
        Stream->WriteComponent(Io.Strings.get());
        break;
    case ctImages:
        Io.Strings->Reset();
        if (TIntList* L = G.IntList())
            Io.Strings->Strings()->SetCommaText(L->GetStrValue());
        Stream->WriteComponent(Io.Strings.get());
        break;
    case ctPicture:
        Io.Picture->Reset();
        if (TPicture* P = G.Picture())
            Io.Picture->Picture()->Assign(P);
        Stream->WriteComponent(Io.Picture.get());
        break;
    case ctFilePicture:
        Io.FilePicture->Reset();
        if (TFilePicture* P = G.FilePicture())
            Io.FilePicture->Picture()->Assign(P);
        Stream->WriteComponent(Io.FilePicture.get());
        break;
    default:
        break;
    }
}

// Reads a graphic's image and, by its kind, the image of its object, which the graphic then owns.
// A shared kind (the row check box, a virtual check box) is read and dropped: it is no cell's own.
std::unique_ptr<TCellGraphic> ReadGraphic(TStream* Stream, TGraphicCarriers& Io)
{
    Io.Graphic->Reset();
    Stream->ReadComponent(Io.Graphic.get());
    auto G = std::make_unique<TCellGraphic>();
    G->Assign(Io.Graphic->CellGraphic());
    // Owned from here: each object is the graphic's as soon as it exists, so a later failure
    // frees it with the graphic.
    G->CellCreated = false;
    switch (G->CellType) {
    case ctBitmap:
    case ctBitButton: {
        Io.Bitmap->Reset();
        Stream->ReadComponent(Io.Bitmap.get());
        auto* B = New<TBitmap>();
        G->SetGraphic(B);
        G->CellCreated = true;
        B->Assign(Io.Bitmap->Bitmap());
        break;
    }
    case ctIcon: {
        Io.Icon->Reset();
        Stream->ReadComponent(Io.Icon.get());
        auto* I = New<TIcon>();
        G->SetGraphicExtra(I);
        G->CellCreated = true;
        I->Assign(Io.Icon->Icon());
        break;
    }
    case ctRadio:
    case ctImages: {
        Io.Strings->Reset();
        Stream->ReadComponent(Io.Strings.get());
        if (G->CellType == ctRadio) {
            auto* L = New<TStringList>();
            G->SetGraphic(L);
            G->CellCreated = true;
            L->Assign(Io.Strings->Strings());
        } else {
            // The indexes as the grid's integer list (of no cell yet); an index that is no integer
            // refuses the stream.
            auto* L = New<TIntList>(-1, -1);
            G->SetGraphic(L);
            G->CellCreated = true;
            L->SetStrValue(Io.Strings->Strings()->CommaText());
        }
        break;
    }
    case ctPicture: {
        Io.Picture->Reset();
        Stream->ReadComponent(Io.Picture.get());
        auto* P = New<TPicture>();
        G->SetGraphic(P);
        G->CellCreated = true;
        P->Assign(Io.Picture->Picture());
        break;
    }
    case ctFilePicture: {
        Io.FilePicture->Reset();
        Stream->ReadComponent(Io.FilePicture.get());
        auto* P = New<TFilePicture>();
        G->SetGraphic(P);
        G->CellCreated = true;
        P->Assign(Io.FilePicture->Picture());
        break;
    }
    case ctRowCheckBox:
    case ctVirtCheckBox:
        return nullptr;
    default:
        break;
    }
    return G;
}

// Gives the cell a new graphic copied from a parsed one, which hands over its object (an index
// list is made anew for the cell, whose changes it reports).
void PlaceGraphic(TDidAririzEvar* Grid, Integer ACol, Integer ARow, TCellGraphic& From)
{
    TCellGraphic* G = Grid->CreateCellGraphic(ACol, ARow);
    G->Assign(&From);
    switch (From.CellType) {
    case ctImages: {
        auto* L = New<TIntList>(ACol, ARow);
        G->SetGraphic(L);
        G->CellCreated = true;
        if (TIntList* F = From.IntList())
            L->SetStrValue(F->GetStrValue());
        break;
    }
    case ctIcon:
        G->SetGraphicExtra(From.GraphicExtra());
        From.SetGraphicExtra(nullptr);
        break;
    default:
        G->SetGraphic(From.Graphic());
        From.SetGraphic(nullptr);
        break;
    }
}

// Cells covered by a merged block whose base cell is not in the rectangle (a rectangle cut
// through a block) become plain cells; a base cell's block is clipped to the rectangle.
void SettleSpans(TParsedCellStream& P)
{
    const Integer W = P.ColCount, H = P.RowCount;
    for (std::size_t I = 0; I < P.Cells.size(); ++I) {
        TCellProperties* CP = P.Cells[I].Props.get();
        if (!CP)
            continue;
        const Integer X = static_cast<Integer>(I % static_cast<std::size_t>(W));
        const Integer Y = static_cast<Integer>(I / static_cast<std::size_t>(W));
        bool Plain = false;
        if (CP->IsBaseCell()) {
            if (CP->CellSpanX() < 0 || CP->CellSpanY() < 0) {
                Plain = CP->CellSpanX() != -1 || CP->CellSpanY() != -1;
            } else {
                CP->SetCellSpanX(std::min(CP->CellSpanX(), W - 1 - X));
                CP->SetCellSpanY(std::min(CP->CellSpanY(), H - 1 - Y));
            }
        } else {
            const Integer SX = CP->CellSpanX(), SY = CP->CellSpanY();
            Plain = SX < 0 || SY < 0 || SX > X || SY > Y;
            if (!Plain) {
                const TCellProperties* B =
                    P.Cells[static_cast<std::size_t>(Y - SY) * static_cast<std::size_t>(W) +
                            static_cast<std::size_t>(X - SX)]
                        .Props.get();
                Plain = !B || !B->IsBaseCell() || B->CellSpanX() < SX || B->CellSpanY() < SY;
            }
        }
        if (Plain) {
            CP->SetIsBaseCell(true);
            CP->SetCellSpanX(-1);
            CP->SetCellSpanY(-1);
        }
    }
}

// A full-grid stream is placed at its own first cell; one that says it starts far from the
// grid's corner is no stream of a grid's fixed and normal cells.
constexpr Integer MaxFullGridOrigin = 255;

} // namespace

void DeclareCellStreamClasses()
{
    static bool Done = false;
    if (Done)
        return;
    Done = true;

    TPropInfo FontStyle;
    FontStyle.Name = "FontStyle";
    FontStyle.Kind = tkSet;
    FontStyle.Names = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
    FontStyle.GetOrd = [](TObject* O) {
        Int64 Mask = 0;
        for (int I = 0; I < 4; ++I)
            if (static_cast<TCellProperties*>(O)->FontStyle().Contains(static_cast<TFontStyle>(I)))
                Mask |= Int64(1) << I;
        return Mask;
    };
    FontStyle.SetOrd = [](TObject* O, Int64 V) {
        TFontStyles S;
        for (int I = 0; I < 4; ++I)
            if (V & (Int64(1) << I))
                S.Include(static_cast<TFontStyle>(I));
        static_cast<TCellProperties*>(O)->SetFontStyle(S);
    };
    TPropInfo FontName;
    FontName.Name = "FontName";
    FontName.Kind = tkString;
    FontName.GetStr = [](TObject* O) { return static_cast<TCellProperties*>(O)->FontName(); };
    FontName.SetStr = [](TObject* O, const AnsiString& V) {
        static_cast<TCellProperties*>(O)->SetFontName(V);
    };
    using CP = TCellProperties;
    RegisterPublishedProperties<TCellProperties>({
        Enum<CP, bool>("IsBaseCell", &CP::IsBaseCell, &CP::SetIsBaseCell, Booleans),
        Ord<CP, Integer>("CellSpanX", &CP::CellSpanX, &CP::SetCellSpanX),
        Ord<CP, Integer>("CellSpanY", &CP::CellSpanY, &CP::SetCellSpanY),
        Enum<CP, TAlignment>("Alignment", &CP::Alignment, &CP::SetAlignment,
                             {"taLeftJustify", "taRightJustify", "taCenter"}),
        Ord<CP, TColor>("BorderColor", &CP::BorderColor, &CP::SetBorderColor),
        Ord<CP, Integer>("BorderWidth", &CP::BorderWidth, &CP::SetBorderWidth),
        Ord<CP, TColor>("BrushColor", &CP::BrushColor, &CP::SetBrushColor),
        Ord<CP, TColor>("BrushColorTo", &CP::BrushColorTo, &CP::SetBrushColorTo),
        Enum<CP, TBrushStyle>("BrushStyle", &CP::BrushStyle, &CP::SetBrushStyle,
                              {"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal",
                               "bsBDiagonal", "bsCross", "bsDiagCross"}),
        Ord<CP, TColor>("FontColor", &CP::FontColor, &CP::SetFontColor),
        FontName,
        Ord<CP, Integer>("FontSize", &CP::FontSize, &CP::SetFontSize),
        FontStyle,
        Enum<CP, TEditorType>("Editor", &CP::Editor, &CP::SetEditor,
                              {"edNormal",
                               "edSpinEdit",
                               "edComboEdit",
                               "edComboList",
                               "edEditBtn",
                               "edCheckBox",
                               "edDateEdit",
                               "edDateEditUpDown",
                               "edTimeEdit",
                               "edButton",
                               "edDataCheckBox",
                               "edNumeric",
                               "edPositiveNumeric",
                               "edFloat",
                               "edCapital",
                               "edMixedCase",
                               "edPassword",
                               "edUnitEditBtn",
                               "edLowerCase",
                               "edUpperCase",
                               "edFloatSpinEdit",
                               "edTimeSpinEdit",
                               "edDateSpinEdit",
                               "edNumericEditBtn",
                               "edFloatEditBtn",
                               "edCustom",
                               "edRichEdit",
                               "edNone",
                               "edUniEdit",
                               "edUniComboEdit",
                               "edUniComboList",
                               "edUniEditBtn",
                               "edUniMemo",
                               "edDateTimeEdit",
                               "edValidChars",
                               "edTrackbarDropDown",
                               "edMemoDropDown",
                               "edCalculatorDropDown",
                               "edTimePickerDropDown",
                               "edDetailDropDown",
                               "edGridDropDown",
                               "edColorPickerDropDown",
                               "edImagePickerDropDown"}),
        Enum<CP, TCellGradientDirection>("GradientDirection", &CP::GradientDirection,
                                         &CP::SetGradientDirection,
                                         {"GradientVertical", "GradientHorizontal"}),
        Enum<CP, bool>("ReadOnly", &CP::ReadOnly, &CP::SetReadOnly, Booleans),
        Enum<CP, TVAlignment>("VAlignment", &CP::VAlignment, &CP::SetVAlignment,
                              {"vtaTop", "vtaCenter", "vtaBottom"}),
        Enum<CP, bool>("WordWrap", &CP::WordWrap, &CP::SetWordWrap, Booleans),
        Ord<CP, Integer>("NodeLevel", &CP::NodeLevel, &CP::SetNodeLevel),
    });

    using CG = TCellGraphic;
    RegisterPublishedProperties<TCellGraphic>({
        EnumField<CG>("CellType", &CG::CellType,
                      {"ctBitmap",      "ctIcon",         "ctNone",      "ctImageList",
                       "ctCheckBox",    "ctDataCheckBox", "ctRotated",   "ctDataImage",
                       "ctNode",        "ctRadio",        "ctEmpty",     "ctImages",
                       "ctPicture",     "ctFilePicture",  "ctValue",     "ctProgress",
                       "ctComment",     "ctButton",       "ctBitButton", "ctVirtCheckBox",
                       "ctRowCheckBox", "ctProgressPie",  "ctSummary",   "ctRangeIndicator",
                       "ctXPProgress",  "ctInterface",    "ctScrollbar", "ctRadioButton",
                       "ctBalloon",     "ctShape",        "ctRating"}),
        EnumField<CG>("CellVAlign", &CG::CellVAlign,
                      {"vaTop", "vaBottom", "vaCenter", "vaUnderText", "vaAboveText", "vaFull"}),
        EnumField<CG>("CellHAlign", &CG::CellHAlign,
                      {"haLeft", "haRight", "haCenter", "haBeforeText", "haAfterText", "haFull"}),
        Field<CG>("CellIndex", tkInteger, &CG::CellIndex),
        Field<CG>("CellTransparent", tkEnumeration, &CG::CellTransparent),
        Field<CG>("CellCreated", tkEnumeration, &CG::CellCreated),
        Field<CG>("CellBoolean", tkEnumeration, &CG::CellBoolean),
        Field<CG>("CellAngle", tkInteger, &CG::CellAngle),
        Field<CG>("CellValue", tkFloat, &CG::CellValue),
        Field<CG>("CellErrFrom", tkInteger, &CG::CellErrFrom),
        Field<CG>("CellErrLen", tkInteger, &CG::CellErrLen),
        Field<CG>("CellText", tkString, &CG::CellText),
    });
    TPropInfo Filename;
    Filename.Name = "Filename";
    Filename.Kind = tkString;
    Filename.GetStr = [](TObject* O) { return static_cast<TFilePicture*>(O)->Filename(); };
    Filename.SetStr = [](TObject* O, const AnsiString& V) {
        // The file belongs to the machine that wrote the stream: where it is missing or not a
        // picture the name is kept and the picture has no size (painting draws nothing for it).
        try {
            static_cast<TFilePicture*>(O)->SetFilename(V);
        } catch (const Exception&) {
        }
    };
    RegisterPublishedProperties<TFilePicture>({Filename});

    RegisterPublishedProperties<TGridPropIO>({
        Field<TGridPropIO>("ColCount", tkInteger, &TGridPropIO::ColCount),
        Field<TGridPropIO>("RowCount", tkInteger, &TGridPropIO::RowCount),
        Field<TGridPropIO>("ColWidths", tkString, &TGridPropIO::ColWidths),
        Field<TGridPropIO>("RowHeights", tkString, &TGridPropIO::RowHeights),
        Field<TGridPropIO>("FullGrid", tkEnumeration, &TGridPropIO::FullGrid),
        Field<TGridPropIO>("ID", tkInteger, &TGridPropIO::ID),
        Field<TGridPropIO>("Version", tkInteger, &TGridPropIO::Version),
    });
    RegisterPublishedProperties<TGridCellIO>({
        Field<TGridCellIO>("Col", tkInteger, &TGridCellIO::Col),
        Field<TGridCellIO>("Row", tkInteger, &TGridCellIO::Row),
        Field<TGridCellIO>("Cell", tkString, &TGridCellIO::Cell),
        Field<TGridCellIO>("HasProp", tkEnumeration, &TGridCellIO::HasProp),
    });
    RegisterPublishedProperties<TGridCellPropIO>(
        {Nested("CellProperties", &TGridCellPropIO::CellProperties),
         Field<TGridCellPropIO>("HasGraphic", tkEnumeration, &TGridCellPropIO::HasGraphic)});
    RegisterPublishedProperties<TGridGraphicIO>({Nested("CellGraphic", &TGridGraphicIO::CellGraphic)});
    RegisterPublishedProperties<TGridBMPIO>({Nested("Bitmap", &TGridBMPIO::Bitmap)});
    RegisterPublishedProperties<TGridIconIO>({Nested("Icon", &TGridIconIO::Icon)});
    RegisterPublishedProperties<TGridPicIO>({Nested("Picture", &TGridPicIO::Picture)});
    RegisterPublishedProperties<TGridFilePicIO>({Nested("Picture", &TGridFilePicIO::Picture)});
    RegisterPublishedProperties<TGridSLIO>({Nested("Strings", &TGridSLIO::Strings)});
    RegisterClass<TGridPropIO>();
    RegisterClass<TGridCellIO>();
    RegisterClass<TGridCellPropIO>();
    RegisterClass<TGridGraphicIO>();
    RegisterClass<TGridBMPIO>();
    RegisterClass<TGridIconIO>();
    RegisterClass<TGridPicIO>();
    RegisterClass<TGridFilePicIO>();
    RegisterClass<TGridSLIO>();
}

TParsedCellStream ParseCellStream(TStream* Stream)
{
    DeclareCellStreamClasses();
    TParsedCellStream P;
    auto Prop = NewCarrier<TGridPropIO>();
    Stream->ReadComponent(Prop.get());
    if (Prop->ColCount < 0 || Prop->RowCount < 0)
        Invalid("negative counts");
    if (Prop->Version < 0 || Prop->Version > CellStreamVersion)
        Invalid("version " + IntToStr(Prop->Version) + " is not known");
    P.Version = Prop->Version;
    P.ColCount = Prop->ColCount;
    P.RowCount = Prop->RowCount;
    P.FullGrid = Prop->FullGrid;
    P.ID = Prop->ID;
    P.ColWidths = Numbers(Prop->ColWidths, "column width");
    P.RowHeights = Numbers(Prop->RowHeights, "row height");

    const Int64 Total = Int64(P.ColCount) * P.RowCount;
    // A rectangle without cells holds no bytes for its other count either: a count beyond the
    // widths or heights the stream lists is a claim of nothing (a full grid of 10,000,000 empty
    // columns would clear the grid and take hundreds of megabytes).
    if (Total == 0 && (P.ColCount > static_cast<Integer>(P.ColWidths.size()) ||
                       P.RowCount > static_cast<Integer>(P.RowHeights.size())))
        Invalid("counts that the stream does not hold");
    auto CellIO = NewCarrier<TGridCellIO>();
    auto PropIO = NewCarrier<TGridCellPropIO>();
    TGraphicCarriers GraphicIO;
    while (Int64(P.Cells.size()) < Total) {
        // The counts are the stream's own claim: cells are read while bytes remain, so a
        // stream cannot make the reader reserve more than it holds.
        if (Stream->Size() - Stream->Position() < 2)
            Invalid("it ends before its last cell");
        CellIO->Cell.clear();
        CellIO->HasProp = false;
        Stream->ReadComponent(CellIO.get());
        if (P.Cells.empty()) {
            P.OriginCol = CellIO->Col;
            P.OriginRow = CellIO->Row;
        }
        TStreamCell C;
        C.Text = CellIO->Cell;
        if (CellIO->HasProp) {
            PropIO->ResetProperties();
            PropIO->HasGraphic = false;
            Stream->ReadComponent(PropIO.get());
            C.Props = std::make_unique<TCellProperties>(nullptr, 0, 0);
            CopyCarried(*PropIO->CellProperties(), *C.Props);
            if (PropIO->HasGraphic)
                C.Graphic = ReadGraphic(Stream, GraphicIO);
        }
        P.Cells.push_back(std::move(C));
    }
    if (P.FullGrid && (P.OriginCol > MaxFullGridOrigin || P.OriginRow > MaxFullGridOrigin))
        Invalid("a full grid starting far from the corner");
    SettleSpans(P);
    return P;
}

// ---- The grid's side ---------------------------------------------------------------------------

void TDidAririzEvar::SaveRectToBinStream(const TRect& R, TStream* Stream)
{
    DeclareCellStreamClasses();
    const Integer Left = R.Left, Top = R.Top, Right = R.Right, Bottom = R.Bottom;
    auto Prop = NewCarrier<TGridPropIO>();
    Prop->RowCount = std::max<Integer>(0, Bottom - Top + 1);
    Prop->ColCount = std::max<Integer>(0, Right - Left + 1);
    Prop->FullGrid = IncludeFixedCells() ? Prop->RowCount == RowCount() && Prop->ColCount == ColCount()
                                         : Prop->RowCount == RowCount() - FixedRows() &&
                                               Prop->ColCount == ColCount() - FixedCols();
    Prop->Version = CellStreamVersion;
    Prop->ID = HandleAllocated() ? static_cast<Integer>(reinterpret_cast<std::intptr_t>(
                                       const_cast<TDidAririzEvar*>(this)->Handle()))
                                 : 0;
    for (Integer K = Left; K <= Right; ++K) {
        if (K > Left)
            Prop->ColWidths += ',';
        Prop->ColWidths += IntToStr(ColWidths(K));
    }
    for (Integer J = Top; J <= Bottom; ++J) {
        if (J > Top)
            Prop->RowHeights += ',';
        Prop->RowHeights += IntToStr(RowHeights(J));
    }
    Stream->WriteComponent(Prop.get());

    auto CellIO = NewCarrier<TGridCellIO>();
    auto PropIO = NewCarrier<TGridCellPropIO>();
    TGraphicCarriers GraphicIO;
    ExportNotification(esExportStart, Top);
    Integer Last = -1;
    for (Integer J = Top; J <= Bottom; ++J) {
        ExportNotification(esExportNextRow, J);
        for (Integer K = Left; K <= Right; ++K) {
            const Integer C = RemapCol(K);
            TCellProperties* CP = RecordAt(C, J);
            CellIO->Col = static_cast<Word>(K & 0xFFFF);
            CellIO->Row = static_cast<Word>(J & 0xFFFF);
            CellIO->Cell = GetCellEx(C, J);
            CellIO->HasProp = CP != nullptr;
            Stream->WriteComponent(CellIO.get());
            if (CP) {
                CopyCarried(*CP, *PropIO->CellProperties());
                TCellGraphic* G = GetCellGraphic(C, J);
                PropIO->HasGraphic = GraphicTravels(G, GetCellType(C, J));
                Stream->WriteComponent(PropIO.get());
                if (PropIO->HasGraphic)
                    WriteGraphic(Stream, *G, GraphicIO);
            }
        }
        FileProgress(J - Top, Bottom - Top, Last);
    }
    ExportNotification(esExportDone, -1);
}

void TDidAririzEvar::LoadAtPointFromBinStream(const TPoint& Pt, TStream* Stream)
{
    // Everything is read and checked first: a stream that does not parse leaves the grid as it was.
    TParsedCellStream P = ParseCellStream(Stream);
    Integer X0 = Pt.X, Y0 = Pt.Y;
    if (P.FullGrid) {
        // A full grid comes back at its own first cell: (0, 0) when it was written with the
        // fixed cells, after them when it was written without.
        X0 = P.OriginCol;
        Y0 = P.OriginRow;
        Clear();
        SetRowCount(std::max<Integer>(1, P.RowCount + Y0));
        SetColCount(std::max<Integer>(1, P.ColCount + X0));
        for (std::size_t I = 0; I < P.ColWidths.size() && X0 + Integer(I) < ColCount(); ++I)
            SetColWidths(X0 + Integer(I), P.ColWidths[I]);
        for (std::size_t I = 0; I < P.RowHeights.size() && Y0 + Integer(I) < RowCount(); ++I)
            SetRowHeights(Y0 + Integer(I), P.RowHeights[I]);
    }
    for (std::size_t I = 0; I < P.Cells.size(); ++I) {
        // The place follows from the cell's order in the rectangle, not from its stored 16-bit
        // coordinates, so streams of more than 65536 rows or columns come back whole.
        const Integer X = X0 + static_cast<Integer>(I % static_cast<std::size_t>(P.ColCount));
        const Integer Y = Y0 + static_cast<Integer>(I / static_cast<std::size_t>(P.ColCount));
        if (X < 0 || Y < 0 || X >= ColCount() || Y >= RowCount())
            continue;
        const Integer C = RemapCol(X);
        TStreamCell& Cell = P.Cells[I];
        // A covered cell's text is its base cell's, stored with the base cell.
        if (!Cell.Props || Cell.Props->IsBaseCell())
            SetCellEx(C, Y, Cell.Text);
        if (Cell.Props) {
            TCellProperties* CP = GetCellProperties(C, Y);
            CopyCarried(*Cell.Props, *CP);
            CP->SetOwnerCol(C);
            CP->SetOwnerRow(Y);
            if (Cell.Graphic)
                PlaceGraphic(this, C, Y, *Cell.Graphic);
        }
    }
}

void TDidAririzEvar::SaveToBinStream(TStream* Stream)
{
    if (IncludeFixedCells())
        SaveRectToBinStream(TRect{0, 0, ColCount() - 1, RowCount() - 1}, Stream);
    else
        SaveRectToBinStream(TRect{FixedCols(), FixedRows(), ColCount() - 1, RowCount() - 1}, Stream);
}

void TDidAririzEvar::LoadFromBinStream(TStream* Stream)
{
    LoadAtPointFromBinStream(TPoint{0, 0}, Stream);
    Integer Nodes = 0;
    for (Integer R = FixedRows(); R < RowCount(); ++R)
        if (GetCellType(0, R) == ctNode)
            ++Nodes;
    FCore.FNodeCount = Nodes;
    if (Nodes > 0)
        RepaintCol(0);
}

void TDidAririzEvar::SaveToBinFile(const AnsiString& FileName)
{
    TStringStream S("");
    SaveToBinStream(&S);
    csvcodec::WriteFileAtomic(FileName, S.DataString());
}

void TDidAririzEvar::LoadFromBinFile(const AnsiString& FileName)
{
    TStringStream S(csvcodec::ReadFile(FileName));
    LoadFromBinStream(&S);
}
