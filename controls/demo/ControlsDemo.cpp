// The 3-D label and the real-time marquee on whatever backend the environment chooses, for a
// person to look at: a raised, turned caption and a ticker of plain text, HTML with a link and an
// owner-drawn block. Close the window to end; "--seconds N" closes it by itself after N seconds.

#include "controls/Label3D.h"
#include "controls/RealTimeMarquee.h"

#include "platform/backend/Start.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/Forms.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

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
    Form->SetCaption("Controls");
    Form->SetBounds(40, 40, 520, 300);
    Form->SetColor(0xF0F0F0);

    TLabel3D* Raised = New<TLabel3D>(Form);
    Raised->SetParent(Form);
    Raised->SetBounds(20, 20, 300, 60);
    Raised->Font()->SetName("Arial");
    Raised->Font()->SetSize(28);
    Raised->Font()->SetStyle(TFontStyles{fsBold});
    Raised->SetTextStyle(TLabel3D::tsRaised);
    Raised->SetCaption("Prize draw");

    TLabel3D* Turned = New<TLabel3D>(Form);
    Turned->SetParent(Form);
    Turned->SetBounds(360, 10, 120, 150);
    Turned->Font()->SetName("Arial");
    Turned->Font()->SetSize(16);
    Turned->SetTextStyle(TLabel3D::tsShadow);
    Turned->SetEscapement(45);
    Turned->SetBorder(true);
    Turned->SetBorderType(btRecessed);
    Turned->SetCaption("Winner!");

    TRealTimeMarquee* Marquee = New<TRealTimeMarquee>(Form);
    Marquee->SetParent(Form);
    Marquee->SetBounds(20, 190, 470, 30);
    Marquee->SetColor(0x202020);
    Marquee->Font()->SetName("Arial");
    Marquee->Font()->SetSize(14);
    Marquee->Font()->SetColor(0x00FFFF);
    Marquee->SetSpacing(10);
    Marquee->SetLoopSpacing(30);
    Marquee->SetInterval(15);
    Marquee->Items()->Add()->SetText(u"Next draw at 15:00");
    TMarqueeItem* Html = Marquee->Items()->Add();
    Html->SetStyle(msHTML);
    Html->SetText(u"<B>Grand prize:</B> <FONT COLOR=\"#FF8080\">a bicycle</FONT> "
                  u"<A HREF=\"https://example.org/prizes\">all prizes</A>");
    TMarqueeItem* Block = Marquee->Items()->Add();
    Block->SetStyle(msOwnerDraw);
    Marquee->OnDrawItem = [](TObject*, TMarqueeItem*, TBitmap* Bitmap) {
        Bitmap->SetSize(40, 20);
        Bitmap->Canvas()->Brush()->SetColor(0x00C000);
        Bitmap->Canvas()->FillRect(TRect{0, 0, 40, 20});
    };
    Marquee->SetActive(true);

    Form->Show();
    if (Seconds > 0) {
        TTimer* Closer = New<TTimer>(Form);
        Closer->SetInterval(static_cast<Cardinal>(Seconds) * 1000);
        Closer->OnTimer = [Form](TObject*) { Form->Close(); };
    }
    Application->Run();
    return 0;
}
