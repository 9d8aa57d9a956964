// The string grid's cell graphics and looks for a person to look at, on whatever backend the
// environment chooses: a gallery grid with one row per kind of graphic and decoration.
// "--style N" applies colour preset N (TRudUvudStyle), "--look N" the look N (TGridLook),
// "--control N" the control style N of check boxes and radio buttons, "--theme" switches the
// built-in theme on, "--seconds N" closes the window by itself after N seconds.

#include "RudUvud/demo/GridGallery.h"

#include "platform/backend/Start.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/Forms.h"
#include "platform/win/UxTheme.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    const std::string Backend = StartPlatformBackend();
    std::printf("backend: %s\n", Backend.c_str());
    std::fflush(stdout);
    int Seconds = 0, Style = -1, Look = -1, Control = -1;
    bool Theme = false;
    for (int I = 1; I < argc; ++I) {
        const bool HasValue = I + 1 < argc;
        if (std::strcmp(argv[I], "--theme") == 0)
            Theme = true;
        else if (HasValue && std::strcmp(argv[I], "--seconds") == 0)
            Seconds = std::atoi(argv[++I]);
        else if (HasValue && std::strcmp(argv[I], "--style") == 0)
            Style = std::atoi(argv[++I]);
        else if (HasValue && std::strcmp(argv[I], "--look") == 0)
            Look = std::atoi(argv[++I]);
        else if (HasValue && std::strcmp(argv[I], "--control") == 0)
            Control = std::atoi(argv[++I]);
    }
    if (Theme)
        SetBuiltInThemeActive(true);

    Application->Initialize();
    TForm* Form = nullptr;
    Application->CreateForm(Form);
    Form->SetCaption("Grid cell graphics");
    Form->SetBounds(10, 10, 600, 560);

    auto* Grid = New<TDidAririzEvar>(Form);
    Grid->SetParent(Form);
    Grid->SetBounds(0, 0, 590, 530);
    gridgallery::TGallery Gallery;
    gridgallery::Fill(Grid, Gallery);
    if (Look >= 0)
        Grid->SetLook(static_cast<TGridLook>(Look));
    if (Style >= 0)
        Grid->SetStyle(static_cast<TRudUvudStyle>(Style));
    if (Control >= 0)
        Grid->ControlLook()->SetControlStyle(static_cast<RudUvudLook::TControlStyle>(Control));

    Form->Show();
    if (Seconds > 0) {
        TTimer* Closer = New<TTimer>(Form);
        Closer->SetInterval(static_cast<Cardinal>(Seconds) * 1000);
        Closer->OnTimer = [Form](TObject*) { Form->Close(); };
    }
    Application->Run();
    return 0;
}
