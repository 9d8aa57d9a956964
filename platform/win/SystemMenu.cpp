// The window menu of top-level windows: Alt+Space opens it below the caption's left corner with
// the commands the window's styles allow. It is worked with the keyboard: the arrows move the
// highlight over the enabled commands, Enter or an underlined letter chooses, Esc or Alt closes.
// A chosen command reaches the window as WM_SYSCOMMAND after the menu has gone.

#include "platform/win/Colors.h"
#include "platform/win/Gdi.h"
#include "platform/win/WindowInternal.h"
#include "platform/win/Windows.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

namespace winlayer {

namespace {

constexpr const char* kMenuClass = "#32768";
constexpr int kItemHeight = 22, kSeparatorHeight = 9, kPadX = 24;

struct Item {
    UINT Command = 0; // 0: a separator
    std::string Text; // with '&' before the underlined letter
    std::string Key;  // the shortcut shown at the right
    bool Enabled = true;
};

struct MenuState {
    HWND Owner = nullptr;
    HWND Menu = nullptr;
    std::vector<Item> Items;
    int Hot = -1;
} Open;

std::vector<Item> ItemsFor(HWND h, DWORD style)
{
    const bool zoomed = IsZoomed(h), iconic = IsIconic(h);
    const bool minBox = style & WS_MINIMIZEBOX, maxBox = style & WS_MAXIMIZEBOX;
    const bool sizable = style & WS_THICKFRAME;
    std::vector<Item> items;
    if (minBox || maxBox)
        items.push_back({SC_RESTORE, "&Restore", "", zoomed || iconic});
    items.push_back({SC_MOVE, "&Move", "", !zoomed && !iconic});
    if (sizable)
        items.push_back({SC_SIZE, "&Size", "", !zoomed && !iconic});
    if (minBox)
        items.push_back({SC_MINIMIZE, "Mi&nimize", "", !iconic});
    if (maxBox)
        items.push_back({SC_MAXIMIZE, "Ma&ximize", "", !zoomed});
    items.push_back({0, "", "", false});
    items.push_back({SC_CLOSE, "&Close", "Alt+F4", true});
    return items;
}

char Mnemonic(const std::string& text)
{
    auto at = text.find('&');
    return at + 1 < text.size() ? char(std::tolower(static_cast<unsigned char>(text[at + 1]))) : 0;
}

int ItemTop(int index)
{
    int y = 2;
    for (int i = 0; i < index; ++i)
        y += Open.Items[size_t(i)].Command ? kItemHeight : kSeparatorHeight;
    return y;
}

void Paint(HWND h)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    RECT all;
    GetClientRect(h, &all);
    FillRect(dc, &all, GetSysColorBrush(COLOR_MENU));
    DrawEdge(dc, &all, EDGE_RAISED, BF_RECT);
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    for (int i = 0; i < int(Open.Items.size()); ++i) {
        const Item& it = Open.Items[size_t(i)];
        const int top = ItemTop(i);
        if (!it.Command) {
            RECT line{4, top + kSeparatorHeight / 2 - 1, all.Right - 4, top + kSeparatorHeight / 2 + 1};
            DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
            continue;
        }
        RECT r{3, top, all.Right - 3, top + kItemHeight};
        const bool hot = i == Open.Hot;
        if (hot)
            FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(dc, GetSysColor(!it.Enabled ? COLOR_GRAYTEXT
                                     : hot       ? COLOR_HIGHLIGHTTEXT
                                                 : COLOR_MENUTEXT));
        RECT t{r.Left + kPadX, r.Top, r.Right - 12, r.Bottom};
        DrawText(dc, it.Text.c_str(), -1, &t, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
        if (!it.Key.empty())
            DrawText(dc, it.Key.c_str(), -1, &t, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
    }
    SelectObject(dc, oldFont);
    EndPaint(h, &ps);
}

LRESULT MenuProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT:
        Paint(h);
        return 0;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_NCDESTROY:
        if (Open.Menu == h)
            Open = MenuState{};
        break;
    default:
        break;
    }
    return DefWindowProc(h, msg, wParam, lParam);
}

void RegisterMenuClass()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    WNDCLASS wc{};
    wc.style = CS_SAVEBITS | CS_GLOBALCLASS;
    wc.lpfnWndProc = MenuProc;
    wc.hCursor = LoadCursor(nullptr, MAKEINTRESOURCE(IDC_ARROW));
    wc.lpszClassName = kMenuClass;
    RegisterClass(&wc);
}

void MoveHot(int step)
{
    const int n = int(Open.Items.size());
    int i = Open.Hot;
    for (int tries = 0; tries < n; ++tries) {
        i = ((i < 0 ? (step > 0 ? -1 : 0) : i) + step + n) % n;
        if (Open.Items[size_t(i)].Command && Open.Items[size_t(i)].Enabled) {
            Open.Hot = i;
            break;
        }
    }
    if (Open.Menu)
        InvalidateRect(Open.Menu, nullptr, TRUE);
}

void Choose(int index)
{
    HWND owner = Open.Owner;
    const UINT command = index >= 0 ? Open.Items[size_t(index)].Command : 0;
    CloseSystemMenu();
    if (command && IsWindow(owner))
        SendMessage(owner, WM_SYSCOMMAND, command, 0);
}

} // namespace

void OpenSystemMenu(Window* w)
{
    CloseSystemMenu();
    if (!w || !(w->Style & WS_SYSMENU) || !Visible(w))
        return;
    RegisterMenuClass();
    Open.Owner = w->Handle;
    Open.Items = ItemsFor(w->Handle, w->Style);
    // As wide as the longest command and its shortcut.
    int width = 0;
    {
        const TWindowDC dc(nullptr, GetDC(nullptr));
        const TSelectObject font(dc.get(), GetStockObject(DEFAULT_GUI_FONT));
        for (const Item& it : Open.Items) {
            RECT r{0, 0, 0, 0};
            DrawText(dc.get(), (it.Text + (it.Key.empty() ? "" : "    " + it.Key)).c_str(), -1, &r,
                     DT_SINGLELINE | DT_CALCRECT);
            width = std::max<int>(width, r.Right);
        }
    }
    const int height = ItemTop(int(Open.Items.size())) + 2;
    TRect frame = ScreenRect(w);
    POINT at{frame.Left + w->Client.Left, frame.Top + w->Client.Top};
    if ((w->Style & WS_CAPTION) == WS_CAPTION)
        at.Y = frame.Top + std::max(w->Client.Top - 1, 0);
    Open.Menu = CreateWindowEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kMenuClass, nullptr, WS_POPUP, at.X, at.Y,
                               width + kPadX + 24, height, w->Handle, nullptr, nullptr, nullptr);
    if (!Open.Menu) {
        Open = MenuState{};
        return;
    }
    MoveHot(1);
    ShowWindow(Open.Menu, SW_SHOWNOACTIVATE);
}

bool SystemMenuOpen()
{
    if (Open.Menu && !IsWindow(Open.Menu))
        Open = MenuState{};
    return Open.Menu != nullptr;
}

void CloseSystemMenu()
{
    HWND menu = Open.Menu;
    Open = MenuState{};
    if (menu && IsWindow(menu))
        DestroyWindow(menu);
}

bool SystemMenuKey(UINT msg, WPARAM key)
{
    if (!SystemMenuOpen())
        return false;
    if (msg == WM_CHAR || msg == WM_SYSCHAR) {
        // An underlined letter chooses its command.
        const char c = key < 128 ? char(std::tolower(int(key))) : 0;
        for (int i = 0; c && i < int(Open.Items.size()); ++i)
            if (Open.Items[size_t(i)].Command && Open.Items[size_t(i)].Enabled &&
                Mnemonic(Open.Items[size_t(i)].Text) == c) {
                Choose(i);
                break;
            }
        return true;
    }
    if (msg != WM_KEYDOWN && msg != WM_SYSKEYDOWN)
        return true;
    switch (key) {
    case VK_UP:
        MoveHot(-1);
        break;
    case VK_DOWN:
        MoveHot(1);
        break;
    case VK_HOME:
        Open.Hot = -1;
        MoveHot(1);
        break;
    case VK_END:
        Open.Hot = 0;
        MoveHot(-1);
        break;
    case VK_RETURN:
        Choose(Open.Hot);
        break;
    case VK_ESCAPE:
    case VK_MENU:
        CloseSystemMenu();
        break;
    case VK_F4:
        if (msg == WM_SYSKEYDOWN) {
            // Alt+F4 closes the window, menu or not.
            for (int i = 0; i < int(Open.Items.size()); ++i)
                if (Open.Items[size_t(i)].Command == SC_CLOSE)
                    Choose(i);
        }
        break;
    default:
        break;
    }
    return true;
}

} // namespace winlayer
