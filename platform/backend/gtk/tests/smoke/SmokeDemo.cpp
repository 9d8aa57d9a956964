// The smoke test's form on whatever backend the environment chooses, for a person to try:
// click the button, type (an input method included), close the window to end.

#include "SmokeForm.h"

#include "platform/backend/Start.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Backend.h"

#include <cstdio>
#include <string>

int main()
{
    std::string backend = StartPlatformBackend();
    std::printf("backend: %s\n", backend.c_str());
    std::fflush(stdout);
    smoke::Form f = smoke::CreateForm(CW_USEDEFAULT, CW_USEDEFAULT, true);
    if (!f.Window)
        return 1;
    if (backend != "gtk") {
        std::printf("nothing to show without a display\n");
        DestroyWindow(f.Window);
        return 0;
    }
    RECT r;
    GetWindowRect(f.Window, &r);
    RECT work{};
    SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
    // Centred on the screen's work area.
    SetWindowPos(f.Window, nullptr, work.Left + (work.Width() - r.Width()) / 2,
                 work.Top + (work.Height() - r.Height()) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(f.Window, SW_SHOW);
    SetFocus(f.Text);
    MSG m;
    while (GetMessage(&m, nullptr, 0, 0)) {
        TranslateMessage(&m);
        DispatchMessage(&m);
    }
    std::string typed = WideToAnsi(smoke::Seen().Typed);
    std::printf("clicks: %d, typed: %s\n", smoke::Seen().Clicks, typed.c_str());
    InstallBackend(nullptr);
    return 0;
}
