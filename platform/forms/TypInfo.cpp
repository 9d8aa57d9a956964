#include "platform/forms/TypInfo.h"

#include "platform/forms/Controls.h"
#include "platform/forms/Graphics.h"
#include "platform/rtl/Strings.h"

#include <algorithm>

namespace {

struct Table {
    const void* Key;
    std::function<bool(TObject*)> Matches;
    std::vector<TPropInfo> Props;
};

std::vector<Table>& Tables()
{
    static std::vector<Table> List;
    return List;
}

const std::vector<AnsiString> Booleans = {"False", "True"};

template <class C>
TPropInfo IntProp(const char* Name, Integer (C::*Get)() const, void (C::*Set)(Integer),
                  bool HasDefault = false, Int64 Default = 0)
{
    TPropInfo P;
    P.Name = Name;
    P.Kind = tkInteger;
    P.GetOrd = [Get](TObject* O) { return Int64((static_cast<C*>(O)->*Get)()); };
    P.SetOrd = [Set](TObject* O, Int64 V) { (static_cast<C*>(O)->*Set)(static_cast<Integer>(V)); };
    P.HasDefault = HasDefault;
    P.Default = Default;
    return P;
}

template <class C>
TPropInfo BoolProp(const char* Name, bool (C::*Get)() const, void (C::*Set)(bool), bool Default)
{
    TPropInfo P;
    P.Name = Name;
    P.Kind = tkEnumeration;
    P.Names = Booleans;
    P.GetOrd = [Get](TObject* O) { return Int64((static_cast<C*>(O)->*Get)()); };
    P.SetOrd = [Set](TObject* O, Int64 V) { (static_cast<C*>(O)->*Set)(V != 0); };
    P.HasDefault = true;
    P.Default = Default;
    return P;
}

// The tables of the classes of this library, declared on first use.
void DeclareOwnClasses()
{
    static bool Done = false;
    if (Done)
        return;
    Done = true;

    TPropInfo FontName;
    FontName.Name = "Name";
    FontName.Kind = tkString;
    FontName.GetStr = [](TObject* O) { return static_cast<TFont*>(O)->Name(); };
    FontName.SetStr = [](TObject* O, const AnsiString& V) { static_cast<TFont*>(O)->SetName(V); };
    TPropInfo FontStyle;
    FontStyle.Name = "Style";
    FontStyle.Kind = tkSet;
    FontStyle.Names = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
    FontStyle.GetOrd = [](TObject* O) {
        Int64 Mask = 0;
        for (int I = 0; I < 4; ++I)
            if (static_cast<TFont*>(O)->Style().Contains(static_cast<TFontStyle>(I)))
                Mask |= Int64(1) << I;
        return Mask;
    };
    FontStyle.SetOrd = [](TObject* O, Int64 V) {
        TFontStyles S;
        for (int I = 0; I < 4; ++I)
            if (V & (Int64(1) << I))
                S.Include(static_cast<TFontStyle>(I));
        static_cast<TFont*>(O)->SetStyle(S);
    };
    FontStyle.HasDefault = true;
    TPropInfo FontColor;
    FontColor.Name = "Color";
    FontColor.Kind = tkInteger;
    FontColor.GetOrd = [](TObject* O) { return Int64(static_cast<TFont*>(O)->Color()); };
    FontColor.SetOrd = [](TObject* O, Int64 V) { static_cast<TFont*>(O)->SetColor(static_cast<TColor>(V)); };
    FontColor.HasDefault = true;
    FontColor.Default = clWindowText;
    TPropInfo FontSize = IntProp<TFont>("Size", &TFont::Size, &TFont::SetSize);
    FontSize.Stored = false; // follows from Height
    TPropInfo Charset;
    Charset.Name = "Charset";
    Charset.Kind = tkInteger;
    Charset.GetOrd = [](TObject* O) { return Int64(static_cast<TFont*>(O)->Charset()); };
    Charset.SetOrd = [](TObject* O, Int64 V) {
        static_cast<TFont*>(O)->SetCharset(static_cast<TFontCharset>(V));
    };
    Charset.HasDefault = true;
    Charset.Default = DEFAULT_CHARSET;
    RegisterPublishedProperties<TFont>({Charset, FontColor,
                                        IntProp<TFont>("Height", &TFont::Height, &TFont::SetHeight), FontName,
                                        FontSize, FontStyle});

    TPropInfo Caption;
    Caption.Name = "Caption";
    Caption.Kind = tkString;
    Caption.GetStr = [](TObject* O) { return static_cast<TControl*>(O)->Caption(); };
    Caption.SetStr = [](TObject* O, const AnsiString& V) { static_cast<TControl*>(O)->SetCaption(V); };
    TPropInfo Font;
    Font.Name = "Font";
    Font.Kind = tkClass;
    Font.GetObject = [](TObject* O) -> TPersistent* { return static_cast<TControl*>(O)->Font(); };
    TPropInfo Align;
    Align.Name = "Align";
    Align.Kind = tkEnumeration;
    Align.Names = {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom"};
    Align.GetOrd = [](TObject* O) { return Int64(static_cast<TControl*>(O)->Align()); };
    Align.SetOrd = [](TObject* O, Int64 V) { static_cast<TControl*>(O)->SetAlign(static_cast<TAlign>(V)); };
    Align.HasDefault = true;
    RegisterPublishedProperties<TControl>(
        {IntProp<TControl>("Left", &TControl::Left, &TControl::SetLeft),
         IntProp<TControl>("Top", &TControl::Top, &TControl::SetTop),
         IntProp<TControl>("Width", &TControl::Width, &TControl::SetWidth),
         IntProp<TControl>("Height", &TControl::Height, &TControl::SetHeight), Align, Caption,
         BoolProp<TControl>("Enabled", &TControl::Enabled, &TControl::SetEnabled, true), Font,
         BoolProp<TControl>("ShowHint", &TControl::ShowHint, &TControl::SetShowHint, false),
         BoolProp<TControl>("Visible", &TControl::Visible, &TControl::SetVisible, true)});

    // Every component: Name travels in the image's header, Tag as a property (listed after the
    // classes above so that a control's own properties come first).
    TPropInfo Tag;
    Tag.Name = "Tag";
    Tag.Kind = tkInt64;
    Tag.GetOrd = [](TObject* O) { return Int64(static_cast<TComponent*>(O)->Tag()); };
    Tag.SetOrd = [](TObject* O, Int64 V) { static_cast<TComponent*>(O)->SetTag(static_cast<NativeInt>(V)); };
    Tag.HasDefault = true;
    RegisterPublishedProperties<TComponent>({Tag});
}

const TPropInfo& Require(TObject* Instance, const AnsiString& PropName)
{
    const TPropInfo* P = GetPropInfo(Instance, PropName);
    if (!P)
        throw EPropertyError("Property " + PropName + " does not exist");
    return *P;
}

} // namespace

void typinfo_detail::Register(const void* Key, std::function<bool(TObject*)> Matches,
                              std::vector<TPropInfo> Props)
{
    // This library's classes are the ancestors of everything declared elsewhere.
    DeclareOwnClasses();
    for (Table& T : Tables())
        if (T.Key == Key) {
            T.Props = std::move(Props);
            return;
        }
    Tables().push_back({Key, std::move(Matches), std::move(Props)});
}

std::vector<const TPropInfo*> GetPropList(TObject* Instance)
{
    DeclareOwnClasses();
    std::vector<const TPropInfo*> Result;
    if (!Instance)
        return Result;
    // Tables are declared base classes first, so their order is the order of inheritance.
    for (const Table& T : Tables())
        if (T.Matches(Instance))
            for (const TPropInfo& P : T.Props) {
                auto Same = [&](const TPropInfo* Q) { return SameText(Q->Name, P.Name); };
                auto It = std::find_if(Result.begin(), Result.end(), Same);
                if (It != Result.end())
                    *It = &P; // a descendant redeclares the property
                else
                    Result.push_back(&P);
            }
    return Result;
}

const TPropInfo* GetPropInfo(TObject* Instance, const AnsiString& PropName)
{
    for (const TPropInfo* P : GetPropList(Instance))
        if (SameText(P->Name, PropName))
            return P;
    return nullptr;
}

bool IsStoredProp(TObject* Instance, const TPropInfo* Info)
{
    if (!Info->Stored)
        return false;
    if (!Info->HasDefault)
        return true;
    if (Info->GetOrd)
        return Info->GetOrd(Instance) != Info->Default;
    return true;
}

Int64 GetOrdProp(TObject* Instance, const AnsiString& PropName)
{
    const TPropInfo& P = Require(Instance, PropName);
    if (!P.GetOrd)
        throw EPropertyConvertError("Invalid property type: " + PropName);
    return P.GetOrd(Instance);
}

void SetOrdProp(TObject* Instance, const AnsiString& PropName, Int64 Value)
{
    const TPropInfo& P = Require(Instance, PropName);
    if (!P.SetOrd)
        throw EPropertyConvertError("Invalid property type: " + PropName);
    P.SetOrd(Instance, Value);
}

AnsiString GetStrProp(TObject* Instance, const AnsiString& PropName)
{
    const TPropInfo& P = Require(Instance, PropName);
    if (!P.GetStr)
        throw EPropertyConvertError("Invalid property type: " + PropName);
    return P.GetStr(Instance);
}

void SetStrProp(TObject* Instance, const AnsiString& PropName, const AnsiString& Value)
{
    const TPropInfo& P = Require(Instance, PropName);
    if (!P.SetStr)
        throw EPropertyConvertError("Invalid property type: " + PropName);
    P.SetStr(Instance, Value);
}

AnsiString GetEnumProp(TObject* Instance, const AnsiString& PropName)
{
    const TPropInfo& P = Require(Instance, PropName);
    if (P.Kind != tkEnumeration || !P.GetOrd)
        throw EPropertyConvertError("Invalid property type: " + PropName);
    const Int64 V = P.GetOrd(Instance);
    return V >= 0 && V < static_cast<Int64>(P.Names.size()) ? P.Names[static_cast<size_t>(V)]
                                                            : std::to_string(V);
}

void SetEnumProp(TObject* Instance, const AnsiString& PropName, const AnsiString& Value)
{
    const TPropInfo& P = Require(Instance, PropName);
    if (P.Kind != tkEnumeration || !P.SetOrd)
        throw EPropertyConvertError("Invalid property type: " + PropName);
    for (size_t I = 0; I < P.Names.size(); ++I)
        if (SameText(P.Names[I], Value)) {
            P.SetOrd(Instance, static_cast<Int64>(I));
            return;
        }
    throw EPropertyConvertError("Invalid property value");
}
