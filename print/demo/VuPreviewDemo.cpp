// The preview with thumbnails on whatever backend the environment chooses, for a person to try:
// a three-page prize list with header and footer. Keys, wheel, the thumbnails and the zoom
// buttons work; close the window to end. "--seconds N" closes it by itself after N seconds.

#include "print/VuThumbnails.h"

#include "platform/backend/Start.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/ExtCtrlsPanels.h"
#include "platform/forms/Forms.h"
#include "platform/forms/StdCtrls.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void RecordSampleDocument(TVuPreview* P)
{
    P->GetHeader()->CaptionLeft()->SetCaption("Spring prize draw");
    P->GetHeader()->CaptionRight()->SetCaption("{DATE}");
    P->GetHeader()->SetVisible(true);
    P->GetFooter()->CaptionCenter()->SetCaption("Page {PAGE} of {NUMPAGES}");
    P->GetFooter()->SetVisible(true);
    P->GetMargins()->SetVisible(true);
    P->BeginUpdate();
    TVuCanvas* C = P->Canvas();
    int Prize = 1;
    for (int Page = 1; Page <= 3; ++Page) {
        if (Page > 1)
            P->NewPage();
        C->SetFontValues("Arial", 20, clNavy, TFontStyles{fsBold});
        C->TextOutLeft(0.75, 1.0, Page == 1 ? "Prize list" : "Prize list (continued)", vuInches);
        C->SetPenValues(8, clNavy, psSolid);
        C->Line(0.75, 1.45, 7.5, 1.45, vuInches);
        C->SetFontValues("Arial", 11, clBlack, TFontStyles{});
        C->SetBrushValues(clWhite, bsClear);
        for (int Row = 0; Row < 24; ++Row, ++Prize) {
            const Extended Y = 1.7 + Row * 0.36;
            char Text[96];
            C->SetPenValues(2, clGray, psClear);
            std::snprintf(Text, sizeof Text, "%d.", Prize);
            C->TextBox(0.75, Y, 1.3, Y + 0.3, Text, taRightJustify, vuMiddle, vuInches);
            std::snprintf(Text, sizeof Text, "Prize number %d: a hamper of local produce", Prize);
            C->TextBox(1.45, Y, 6.0, Y + 0.3, Text, taLeftJustify, vuMiddle, vuInches);
            std::snprintf(Text, sizeof Text, "%d", 1 + Prize % 5);
            C->TextBox(6.1, Y, 7.5, Y + 0.3, Text, taCenter, vuMiddle, vuInches);
            C->SetPenValues(2, clSilver, psSolid);
            C->Line(0.75, Y + 0.33, 7.5, Y + 0.33, vuInches);
        }
        C->SetBrushValues(clYellow, bsSolid);
        C->SetPenValues(4, clMaroon, psSolid);
        C->Ellipse(5.8, 0.7, 7.5, 1.35, vuInches);
        C->SetBrushValues(clWhite, bsClear);
        C->SetPenValues(4, clMaroon, psClear);
        C->SetFontValues("Arial", 12, clMaroon, TFontStyles{fsItalic});
        C->TextBox(5.8, 0.7, 7.5, 1.35, "Good luck!", taCenter, vuMiddle, vuInches);
        C->SetBrushValues(clWhite, bsClear);
    }
    P->EndUpdate();
    P->FirstPage();
}

} // namespace

int main(int argc, char** argv)
{
    const std::string Backend = StartPlatformBackend();
    std::printf("backend: %s\n", Backend.c_str());
    std::fflush(stdout);
    int Seconds = 0;
    for (int I = 1; I + 1 < argc; ++I)
        if (std::strcmp(argv[I], "--seconds") == 0)
            Seconds = std::atoi(argv[I + 1]);

    Application->Initialize();
    TForm* Form = nullptr;
    Application->CreateForm(Form);
    Form->SetCaption("Print preview");
    Form->SetBounds(20, 20, 980, 720);

    TPanel* Bar = New<TPanel>(Form);
    Bar->SetParent(Form);
    Bar->SetAlign(alTop);
    Bar->SetHeight(34);

    TVuThumbnails* Thumbs = New<TVuThumbnails>(Form);
    Thumbs->SetParent(Form);
    Thumbs->SetAlign(alLeft);
    Thumbs->SetWidth(110);
    Thumbs->SetLayout(vuThumbVert);
    Thumbs->SetPageCaptions("Page #");

    TVuPreview* Preview = New<TVuPreview>(Form);
    Preview->SetParent(Form);
    Preview->SetAlign(alClient);
    Preview->PageGrid()->SetGridStyle(vuNoGrid);

    int X = 6;
    auto AddButton = [&](const char* Caption, std::function<void()> Action) {
        TButton* B = New<TButton>(Form);
        B->SetParent(Bar);
        B->SetCaption(Caption);
        B->SetBounds(X, 4, 90, 26);
        B->OnClick = [Action](TObject*) { Action(); };
        X += 96;
    };
    AddButton("Zoom in", [Preview] { Preview->ZoomIn(); });
    AddButton("Zoom out", [Preview] { Preview->ZoomOut(); });
    AddButton("Fit width", [Preview] { Preview->FitWidth(); });
    AddButton("Whole page", [Preview] { Preview->FitWholePage(); });
    AddButton("Previous", [Preview] { Preview->PrevPage(); });
    AddButton("Next", [Preview] { Preview->NextPage(); });

    RecordSampleDocument(Preview);
    Thumbs->SetPreview(Preview);
    Form->Show();
    Preview->SetZoom(60);
    Preview->SetFocus();

    TTimer* Closer = nullptr;
    if (Seconds > 0) {
        Closer = New<TTimer>(Form);
        Closer->SetInterval(static_cast<Cardinal>(Seconds) * 1000);
        Closer->OnTimer = [Form](TObject*) { Form->Close(); };
    }
    Application->Run();
    return 0;
}
