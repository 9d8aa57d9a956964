// Every picker of the dropdown library on one form, on whatever backend the environment chooses,
// for a person to look at and try. "--open N" opens the popup of the Nth picker (counted from 0
// in the order they stand on the form) once the form shows; "--seconds N" closes the window by
// itself after N seconds.

#include "dropdowns/ColorPicker.h"
#include "dropdowns/DavEdevaRuvuviZaroDizu.h"
#include "dropdowns/DidAzadEzazAredav.h"
#include "dropdowns/DudIdadeDovUrezAvir.h"
#include "dropdowns/RarEzaveraravOdororud.h"
#include "dropdowns/RerUrazEzodIzaz.h"
#include "dropdowns/RozUvodudIvavAvuv.h"
#include "dropdowns/TimePicker.h"

#include "platform/backend/Start.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/Forms.h"
#include "platform/forms/StdCtrls.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

template <class T>
T* Place(TForm* Form, const char* Caption, Integer Top, std::vector<TDizEveverAvivIzar*>& All)
{
    TLabel* Label = New<TLabel>(Form);
    Label->SetParent(Form);
    Label->SetBounds(16, Top + 3, 130, 18);
    Label->SetCaption(Caption);
    T* Picker = New<T>(Form);
    Picker->SetParent(Form);
    Picker->SetBounds(150, Top, 200, 22);
    All.push_back(Picker);
    return Picker;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string Backend = StartPlatformBackend();
    std::printf("backend: %s\n", Backend.c_str());
    std::fflush(stdout);
    int Seconds = 0;
    int Open = -1;
    for (int I = 1; I + 1 < argc; ++I) {
        if (std::strcmp(argv[I], "--seconds") == 0)
            Seconds = std::atoi(argv[I + 1]);
        if (std::strcmp(argv[I], "--open") == 0)
            Open = std::atoi(argv[I + 1]);
    }

    Application->Initialize();
    TForm* Form = nullptr;
    Application->CreateForm(Form);
    Form->SetCaption("Dropdown editors");
    Form->SetBounds(40, 40, 640, 560);

    std::vector<TDizEveverAvivIzar*> All;
    auto* Colour = Place<TZerUdiraZiruziZidaZore>(Form, "Colour (list)", 16, All);
    Colour->AddDefaultColors();
    Colour->SetSelectedColor(0x0000FF);
    Place<TZerUdiraZiruziZidaZore>(Form, "Colour (cube)", 46, All)->SetColorSelectionStyle(csColorCube);
    Place<TZerUdiraZiruziZidaZore>(Form, "Colour (spectrum)", 76, All)->SetColorSelectionStyle(csSpectrum);
    Place<TZerUdiraZiruziZidaZore>(Form, "Colour (gallery)", 106, All)->SetColorSelectionStyle(csDiscrete);
    Place<TRurEradOvuvurOdivEdoz>(Form, "Time", 136, All);
    Place<TRarEzaveraravOdororud>(Form, "Calculator", 166, All);
    Place<TDudIdadeDovUrezAvir>(Form, "Track bar", 196, All);
    Place<TRerUrazEzodIzaz>(Form, "Memo", 226, All);

    auto* Lookup = Place<TDavEdevaRuvuviZaroDizu>(Form, "Lookup", 256, All);
    for (Integer W : {60, 120})
        Lookup->Columns()->Add()->SetWidth(W);
    const char* Rows[][2] = {{"1", "Bicycle"}, {"2", "Camera"}, {"3", "Headphones"}, {"4", "Tea set"}};
    Lookup->BeginUpdate();
    for (auto& R : Rows) {
        TDropDownItem* Item = Lookup->Items()->Add();
        Item->Text()->Add(R[0]);
        Item->Text()->Add(R[1]);
    }
    Lookup->EndUpdate();
    Lookup->SetLookupColumn(1);

    auto* Detail = Place<TRozUvodudIvavAvuv>(Form, "Detail", 286, All);
    // Rows tall enough for the caption and one line of notes.
    Detail->SetItemHeight(36);
    const char* Details[][2] = {{"Bicycle", "<b>First prize</b>, one of them"},
                                {"Camera", "Second prize"},
                                {"Tea set", "For everyone else"}};
    for (auto& D : Details) {
        auto* Item = Detail->Items()->Add();
        Item->SetCaption(D[0]);
        Item->SetNotes(D[1]);
    }

    TLabel* DateLabel = New<TLabel>(Form);
    DateLabel->SetParent(Form);
    DateLabel->SetBounds(16, 319, 130, 18);
    DateLabel->SetCaption("Date and time");
    TDidAzadEzazAredav* DateTime = New<TDidAzadEzazAredav>(Form);
    DateTime->SetParent(Form);
    DateTime->SetBounds(150, 316, 200, 22);

    Form->Show();
    if (Open >= 0 && Open < static_cast<int>(All.size())) {
        TTimer* Opener = New<TTimer>(Form);
        Opener->SetInterval(300);
        Opener->OnTimer = [Opener, Picker = All[Open]](TObject*) {
            Opener->SetEnabled(false);
            Picker->SetFocus();
            Picker->ShowDropDown();
        };
    }
    if (Seconds > 0) {
        TTimer* Closer = New<TTimer>(Form);
        Closer->SetInterval(static_cast<Cardinal>(Seconds) * 1000);
        Closer->OnTimer = [Form](TObject*) { Form->Close(); };
    }
    Application->Run();
    return 0;
}
