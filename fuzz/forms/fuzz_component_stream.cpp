// Any bytes given to the component reader either load into the carrier or raise an exception
// of the platform's; a stream that fails leaves the carrier as it was.

#include "platform/forms/ComponentStream.h"
#include "platform/forms/Graphics.h"
#include "platform/forms/TypInfo.h"
#include "platform/rtl/StringLists.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

class TFuzzCarrier : public TComponent {
public:
    explicit TFuzzCarrier(TComponent* AOwner) : TComponent(AOwner) {}
    ~TFuzzCarrier() override
    {
        Font->Free();
        Lines->Free();
        Picture->Free();
    }
    Integer Count = 0;
    AnsiString Text;
    Int64 Shade = 0;
    Int64 Options = 0;
    Extended Ratio = 0;
    TFont* Font = New<TFont>();
    TStringList* Lines = New<TStringList>();
    TPicture* Picture = New<TPicture>();
};

void Declare()
{
    auto C = [](TObject* O) { return static_cast<TFuzzCarrier*>(O); };
    TPropInfo Count;
    Count.Name = "Count";
    Count.GetOrd = [C](TObject* O) { return Int64(C(O)->Count); };
    Count.SetOrd = [C](TObject* O, Int64 V) { C(O)->Count = static_cast<Integer>(V); };
    TPropInfo Text;
    Text.Name = "Text";
    Text.Kind = tkString;
    Text.GetStr = [C](TObject* O) { return C(O)->Text; };
    Text.SetStr = [C](TObject* O, const AnsiString& V) { C(O)->Text = V; };
    TPropInfo Shade;
    Shade.Name = "Shade";
    Shade.Kind = tkEnumeration;
    Shade.Names = {"shLight", "shDark"};
    Shade.GetOrd = [C](TObject* O) { return C(O)->Shade; };
    Shade.SetOrd = [C](TObject* O, Int64 V) { C(O)->Shade = V; };
    TPropInfo Options = Shade;
    Options.Name = "Options";
    Options.Kind = tkSet;
    Options.Names = {"soA", "soB", "soC"};
    Options.GetOrd = [C](TObject* O) { return C(O)->Options; };
    Options.SetOrd = [C](TObject* O, Int64 V) { C(O)->Options = V; };
    TPropInfo Ratio;
    Ratio.Name = "Ratio";
    Ratio.Kind = tkFloat;
    Ratio.GetFloat = [C](TObject* O) { return C(O)->Ratio; };
    Ratio.SetFloat = [C](TObject* O, Extended V) { C(O)->Ratio = V; };
    auto Nested = [](const char* Name, TPersistent* (*Get)(TFuzzCarrier*)) {
        TPropInfo P;
        P.Name = Name;
        P.Kind = tkClass;
        P.GetObject = [Get](TObject* O) { return Get(static_cast<TFuzzCarrier*>(O)); };
        return P;
    };
    RegisterPublishedProperties<TFuzzCarrier>(
        {Count, Text, Shade, Options, Ratio,
         Nested("Font", [](TFuzzCarrier* F) -> TPersistent* { return F->Font; }),
         Nested("Lines", [](TFuzzCarrier* F) -> TPersistent* { return F->Lines; }),
         Nested("Picture", [](TFuzzCarrier* F) -> TPersistent* { return F->Picture; })});
    RegisterClass<TFuzzCarrier>();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static bool declared = (Declare(), true);
    (void)declared;
    TFuzzCarrier* carrier = New<TFuzzCarrier>(nullptr);
    carrier->Text = "before";
    TMemoryStream stream;
    if (size > 0)
        stream.WriteBuffer(data, static_cast<Integer>(size));
    stream.SetPosition(0);
    try {
        stream.ReadComponent(carrier);
    } catch (const Exception&) {
        if (carrier->Text != "before" || carrier->Count != 0)
            std::abort(); // a failed read changed the carrier
    }
    carrier->Free();
    return 0;
}
