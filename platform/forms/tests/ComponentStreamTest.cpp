#include "platform/forms/ComponentStream.h"
#include "platform/forms/Controls.h"
#include "platform/forms/Graphics.h"
#include "platform/forms/TypInfo.h"
#include "platform/rtl/StringLists.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

enum TShade { shLight, shMedium, shDark };

// A carrier with one property of every kind the tables know, nested persistent objects of
// each streamed class and a value kept through DefineProperties.
class TSampleCarrier : public TComponent {
public:
    explicit TSampleCarrier(TComponent* AOwner) : TComponent(AOwner)
    {
        FFont = New<TFont>();
        FLines = New<TStringList>();
        FPicture = New<TPicture>();
        FBitmap = New<TBitmap>();
    }
    ~TSampleCarrier() override
    {
        FFont->Free();
        FLines->Free();
        FPicture->Free();
        FBitmap->Free();
    }

    Integer Count = 0;
    AnsiString Text;
    bool Flag = false;
    TShade Shade = shLight;
    Int64 Options = 0;
    Extended Ratio = 0;
    Int64 Big = 0;
    AnsiString Extra; // through DefineProperties
    int LoadedCalls = 0;

    TFont* Font() const { return FFont; }
    TStringList* Lines() const { return FLines; }
    TPicture* Picture() const { return FPicture; }
    TBitmap* Bitmap() const { return FBitmap; }

    void DefineProperties(TFiler* Filer) override
    {
        TComponent::DefineProperties(Filer);
        Filer->DefineProperty(
            "Extra", [this](TReader* R) { Extra = R->ReadString(); },
            [this](TWriter* W) { W->WriteString(Extra); }, !Extra.empty());
    }

protected:
    void Loaded() override
    {
        TComponent::Loaded();
        ++LoadedCalls;
    }

private:
    TFont* FFont;
    TStringList* FLines;
    TPicture* FPicture;
    TBitmap* FBitmap;
};

class TSampleControl : public TGraphicControl {
public:
    explicit TSampleControl(TComponent* AOwner) : TGraphicControl(AOwner) {}
};

template <class T> TPropInfo Field(const char* Name, TTypeKind Kind, T TSampleCarrier::*Member)
{
    TPropInfo P;
    P.Name = Name;
    P.Kind = Kind;
    if constexpr (std::is_same_v<T, AnsiString>) {
        P.GetStr = [Member](TObject* O) { return static_cast<TSampleCarrier*>(O)->*Member; };
        P.SetStr = [Member](TObject* O, const AnsiString& V) {
            static_cast<TSampleCarrier*>(O)->*Member = V;
        };
    } else if constexpr (std::is_same_v<T, Extended>) {
        P.GetFloat = [Member](TObject* O) { return static_cast<TSampleCarrier*>(O)->*Member; };
        P.SetFloat = [Member](TObject* O, Extended V) { static_cast<TSampleCarrier*>(O)->*Member = V; };
    } else {
        P.GetOrd = [Member](TObject* O) { return Int64(static_cast<TSampleCarrier*>(O)->*Member); };
        P.SetOrd = [Member](TObject* O, Int64 V) {
            static_cast<TSampleCarrier*>(O)->*Member = static_cast<T>(V);
        };
    }
    return P;
}

TPropInfo Nested(const char* Name, std::function<TPersistent*(TSampleCarrier*)> Get)
{
    TPropInfo P;
    P.Name = Name;
    P.Kind = tkClass;
    P.GetObject = [Get](TObject* O) { return Get(static_cast<TSampleCarrier*>(O)); };
    return P;
}

void DeclareSample()
{
    static bool Done = false;
    if (Done)
        return;
    Done = true;
    TPropInfo Count = Field("Count", tkInteger, &TSampleCarrier::Count);
    Count.HasDefault = true;
    TPropInfo Flag = Field("Flag", tkEnumeration, &TSampleCarrier::Flag);
    Flag.Names = {"False", "True"};
    Flag.HasDefault = true;
    TPropInfo Shade = Field("Shade", tkEnumeration, &TSampleCarrier::Shade);
    Shade.Names = {"shLight", "shMedium", "shDark"};
    Shade.HasDefault = true;
    TPropInfo Options = Field("Options", tkSet, &TSampleCarrier::Options);
    Options.Names = {"soFirst", "soSecond", "soThird"};
    Options.HasDefault = true;
    RegisterPublishedProperties<TSampleCarrier>(
        {Count, Field("Text", tkString, &TSampleCarrier::Text), Flag, Shade, Options,
         Field("Ratio", tkFloat, &TSampleCarrier::Ratio), Field("Big", tkInt64, &TSampleCarrier::Big),
         Nested("Font", [](TSampleCarrier* C) { return C->Font(); }),
         Nested("Lines", [](TSampleCarrier* C) { return C->Lines(); }),
         Nested("Picture", [](TSampleCarrier* C) { return C->Picture(); }),
         Nested("Bitmap", [](TSampleCarrier* C) { return C->Bitmap(); })});
    RegisterClass<TSampleCarrier>();
    RegisterClass<TSampleControl>();
}

std::unique_ptr<TSampleCarrier> NewCarrier()
{
    DeclareSample();
    return std::unique_ptr<TSampleCarrier>(New<TSampleCarrier>(nullptr));
}

void Fill(TSampleCarrier& C)
{
    C.SetName("Carrier1");
    C.SetTag(-7);
    C.Count = 70000;
    C.Text = "獎品 & prizes";
    C.Flag = true;
    C.Shade = shDark;
    C.Options = 0b101;
    C.Ratio = 2.5;
    C.Big = Int64(1) << 40;
    C.Extra = "defined";
    C.Font()->SetName("Arial");
    C.Font()->SetHeight(-15);
    C.Font()->SetStyle(TFontStyles{fsBold, fsUnderline});
    C.Font()->SetColor(clRed);
    C.Lines()->Add("one");
    C.Lines()->Add("");
    C.Lines()->Add("三");
    C.Bitmap()->SetSize(3, 2);
    C.Bitmap()->Canvas()->SetPixels(1, 1, clBlue);
    TBitmap B;
    B.SetSize(2, 2);
    B.Canvas()->SetPixels(0, 1, clLime);
    C.Picture()->SetGraphic(&B);
}

AnsiString Stream(TComponent* C)
{
    TStringStream S;
    S.WriteComponent(C);
    return S.DataString();
}

// Every published value, nested ones under their path, plus what the tables do not list.
std::vector<std::pair<AnsiString, AnsiString>> Values(TPersistent* O, const AnsiString& Path = "")
{
    std::vector<std::pair<AnsiString, AnsiString>> Out;
    for (const TPropInfo* P : GetPropList(O)) {
        AnsiString Name = Path + P->Name;
        if (P->Kind == tkClass) {
            if (TPersistent* N = P->GetObject(O))
                for (auto& V : Values(N, Name + "."))
                    Out.push_back(V);
        } else if (P->GetStr) {
            Out.push_back({Name, P->GetStr(O)});
        } else if (P->GetFloat) {
            Out.push_back({Name, std::to_string(P->GetFloat(O))});
        } else {
            Out.push_back({Name, std::to_string(P->GetOrd(O))});
        }
    }
    if (auto* L = dynamic_cast<TStrings*>(O))
        Out.push_back({Path + "Strings", L->Text()});
    if (auto* C = dynamic_cast<TComponent*>(O))
        Out.push_back({"Name", C->Name()});
    return Out;
}

} // namespace

TEST(ComponentStream, ACarrierStreamedOutAndInIsEqualPropertyByProperty)
{
    auto Source = NewCarrier();
    Fill(*Source);
    AnsiString Bytes = Stream(Source.get());
    ASSERT_EQ(Bytes.substr(0, 4), "TPF0");

    auto Target = NewCarrier();
    TStringStream In(Bytes);
    EXPECT_EQ(In.ReadComponent(Target.get()), Target.get());
    EXPECT_EQ(In.Position(), In.Size()) << "the whole image is read";
    EXPECT_EQ(Values(Target.get()), Values(Source.get()));
    EXPECT_EQ(Target->Extra, "defined");
    EXPECT_EQ(Target->LoadedCalls, 1);
    EXPECT_FALSE(Target->ComponentState().Contains(csLoading));
    ASSERT_EQ(Target->Bitmap()->Width(), 3);
    EXPECT_EQ(Target->Bitmap()->Canvas()->Pixels(1, 1), clBlue);
    ASSERT_TRUE(dynamic_cast<TBitmap*>(Target->Picture()->Graphic()));
    EXPECT_EQ(Target->Picture()->Bitmap()->Canvas()->Pixels(0, 1), clLime);

    // A new component of the registered class, made from the stream alone.
    TStringStream Again(Bytes);
    std::unique_ptr<TComponent> Made(Again.ReadComponent(nullptr));
    ASSERT_TRUE(dynamic_cast<TSampleCarrier*>(Made.get()));
    EXPECT_EQ(Values(Made.get()), Values(Source.get()));
}

TEST(ComponentStream, DefaultsAreNotWrittenAndPathsAreDotted)
{
    auto C = NewCarrier();
    AnsiString Plain = Stream(C.get());
    EXPECT_EQ(Plain.find("Count"), AnsiString::npos);
    EXPECT_EQ(Plain.find("Tag"), AnsiString::npos);
    EXPECT_EQ(Plain.find("Flag"), AnsiString::npos);
    Fill(*C);
    AnsiString Full = Stream(C.get());
    for (const char* Path :
         {"Font.Name", "Font.Style", "Lines.Strings", "Picture.Data", "Bitmap.Data", "Extra"})
        EXPECT_NE(Full.find(Path), AnsiString::npos) << Path;
    EXPECT_EQ(Full.find("Font.Size"), AnsiString::npos) << "Size follows from Height and is not stored";
}

TEST(ComponentStream, ControlsRoundTripThroughTheirTables)
{
    DeclareSample();
    TSampleControl* A = New<TSampleControl>(nullptr);
    A->SetName("Shown");
    A->SetBounds(5, 6, 70, 21);
    A->SetCaption("Caption 一");
    A->SetAlign(alTop);
    A->SetEnabled(false);
    A->Font()->SetName("Tahoma");
    TSampleControl* B = New<TSampleControl>(nullptr);
    TStringStream S(Stream(A));
    S.ReadComponent(B);
    EXPECT_EQ(Values(B), Values(A));
    A->Free();
    B->Free();
}

// A bad image raises EReadError and changes nothing of the target.
TEST(ComponentStream, BadImagesRaiseAndLeaveTheTargetUnchanged)
{
    auto Source = NewCarrier();
    Fill(*Source);
    const AnsiString Good = Stream(Source.get());

    auto Replace = [&](const AnsiString& From, const AnsiString& To) {
        AnsiString B = Good;
        std::size_t At = B.find(From);
        EXPECT_NE(At, AnsiString::npos) << From;
        B.replace(At, From.size(), To);
        return B;
    };
    struct Case {
        const char* What;
        AnsiString Bytes;
    };
    std::vector<Case> Cases = {
        // "Count" renamed to a property the class does not have (same length).
        {"unknown property", Replace("\x05"
                                     "Count",
                                     "\x05"
                                     "Cuont")},
        // The Shade identifier turned into one that is not a member.
        {"enumeration member", Replace("\x06shDark", "\x06shDirt")},
        // The Text value's type byte changed from a string to an integer kind.
        {"wrong type", Replace("\x04Text\x14", "\x04Text\x02")},
        {"nested unknown", Replace("Font.Name", "Font.Nome")},
        {"other class", Replace("\x0eTSampleCarrier", "\x0eTSampleCarrieR\x01")},
        {"no signature", "XPF0" + Good.substr(4)},
    };
    for (std::size_t Cut : {5u, 20u, 60u, 200u, unsigned(Good.size() / 2), unsigned(Good.size() - 1)})
        Cases.push_back({"truncated", Good.substr(0, Cut)});

    for (const Case& C : Cases) {
        auto Target = NewCarrier();
        Target->Text = "before";
        Target->Lines()->Add("kept");
        auto Before = Values(Target.get());
        TStringStream In(C.Bytes);
        EXPECT_THROW(In.ReadComponent(Target.get()), EFilerError) << C.What;
        EXPECT_EQ(Values(Target.get()), Before) << C.What;
        EXPECT_EQ(Target->LoadedCalls, 0) << C.What;
    }
}

TEST(ComponentStream, ClassesAreFoundByName)
{
    DeclareSample();
    EXPECT_TRUE(GetClass("tsamplecarrier"));
    EXPECT_FALSE(GetClass("TNoSuchClass"));
    try {
        FindClass("TNoSuchClass");
        FAIL();
    } catch (const EClassNotFound& E) {
        EXPECT_STREQ(E.what(), "Class TNoSuchClass not found");
    }
}
