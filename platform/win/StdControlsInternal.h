#pragma once

// What the standard control classes share: their per-window state, notifications, colours from
// the parent, fonts and the conversion of positions between UTF-16 units and UTF-8 bytes.
// For the control files of this library only.

#include "platform/win/StdControls.h"
#include "platform/win/WindowInternal.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace stdctl {

// The state of each window of one control class, made at WM_NCCREATE and dropped at
// WM_NCDESTROY. Handles are never reused, so a stale lookup finds nothing.
template <class T> class StateTable {
public:
    T* Find(HWND h)
    {
        auto it = Map.find(h);
        return it == Map.end() ? nullptr : it->second.get();
    }
    T* Make(HWND h)
    {
        auto& slot = Map[h];
        slot = std::make_unique<T>();
        return slot.get();
    }
    void Drop(HWND h) { Map.erase(h); }

private:
    std::map<HWND, std::unique_ptr<T>> Map;
};

inline DWORD StyleOf(HWND h)
{
    return DWORD(GetWindowLong(h, GWL_STYLE));
}

// WM_COMMAND(MAKEWPARAM(id, code), hwnd) to the parent, or to `to` when given (a popup list
// notifies its combo box, not the top-level window that owns it).
void Notify(HWND hwnd, WORD code, HWND to = nullptr);

// The brush of the parent's WM_CTLCOLOR* answer (it sets the DC's colours too); when the
// parent gives none, the DC gets the system colours given and their brush is returned.
HBRUSH ControlColor(HWND hwnd, UINT msg, HDC dc, int textColor, int backColor);

// The font of a control: its WM_SETFONT one, else the default GUI font.
inline HFONT FontOr(HFONT f)
{
    return f ? f : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}
// Height of a text line in the font (ascent + descent).
int LineHeight(HFONT font);
int TextWidth(HDC dc, const std::u16string& s, std::size_t from, std::size_t to);

// UTF-8 byte offset of the UTF-16 index i, and back; a byte offset inside a character counts
// as the start of that character; beyond the end is the end.
std::size_t ByteOffsetOf(const std::u16string& s, std::size_t i);
std::size_t UnitIndexOf(const std::u16string& s, std::size_t byteOffset);

// The same conversions for a text that changes a little at a time: byte offsets kept at every
// 128th unit, so that a conversion walks at most that many units beyond the marks already made.
// Changed(at) is to be called whenever units from `at` on change.
class ByteMarks {
public:
    void Changed(std::size_t at);
    std::size_t OffsetOf(const std::u16string& s, std::size_t i);
    std::size_t IndexOf(const std::u16string& s, std::size_t byteOffset);

private:
    static constexpr std::size_t kStep = 128;
    void Extend(const std::u16string& s);
    // Where the walk from mark j starts: past the low half of a pair the mark falls inside.
    static std::size_t WalkStart(const std::u16string& s, std::size_t j);
    std::vector<std::size_t> Marks{0}; // Marks[j]: ByteOffsetOf(s, j * kStep)
};

// Text carried by a message in the window's character set.
std::u16string TextArg(HWND hwnd, LPARAM p);
// Copies text to a caller's buffer in the window's character set (with its terminating zero
// when `terminate`); returns the units copied. `capacity` counts units; <0 means no limit known.
LRESULT CopyTextOut(HWND hwnd, const std::u16string& s, LPARAM buffer, long long capacity, bool terminate);
// Length of text in the window's units.
LRESULT LengthIn(HWND hwnd, const std::u16string& s);
// Position conversions at the message boundary.
LRESULT PosOut(HWND hwnd, const std::u16string& s, std::size_t unitIndex);
std::size_t PosIn(HWND hwnd, const std::u16string& s, long long pos); // clamped to 0..length

// Whether a WM_PAINT is to draw into a DC handed over in wParam.
struct PaintScope {
    PaintScope(HWND hwnd, WPARAM wParam);
    ~PaintScope();
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HWND Hwnd;
    HDC Dc;
    bool Own;
    PAINTSTRUCT Ps;
};

// The case-insensitive comparison the list messages use (ASCII letters fold; the rest exact).
int CompareNoCase(const std::u16string& a, const std::u16string& b);
bool StartsWithNoCase(const std::u16string& s, const std::u16string& prefix);

// One UTF-16 character's extent: surrogate pairs count as one.
inline bool IsHigh(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}
inline bool IsLow(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

// The keys of the clipboard, of undo and of select-all, the same in the edit and the rich edit
// (the desktop's convention): Ctrl+C and Ctrl+Insert copy, Ctrl+V and Shift+Insert paste, Ctrl+X
// and Shift+Delete cut, Ctrl+Z undoes, Ctrl+A selects all. A key with another modifier held as
// well (Ctrl+Shift+Insert) is no command. The command goes to the control as the message a
// program would send (WM_COPY, WM_PASTE, WM_CUT, WM_UNDO, EM_SETSEL), so that it is answered in
// one place. True when the key or character was a command and has been sent.
bool SendEditKeyCommand(HWND h, WPARAM key, bool ctrl, bool shift); // WM_KEYDOWN
bool SendEditCharCommand(HWND h, WPARAM ch);                        // WM_CHAR (Ctrl+letter)

// The list box procedure, used directly by the combo box for its list.
LRESULT ListBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Sent by a combo box's edit to the combo box for the keys the combo box handles (arrows, page
// keys, F4, Alt+arrows, Enter, Esc): wParam the key, lParam the key data. Nonzero when taken.
UINT ComboEditKeyMessage();

// Whether a window is a combo box / a button of ours (whatever name its class was registered
// under: the component library copies the standard classes under names of its own).
bool IsComboBox(HWND h);
bool IsButton(HWND h);

// The combo box a drop-down list belongs to (nullptr for a plain list box).
HWND ListOwnerCombo(HWND list);
void SetListOwnerCombo(HWND list, HWND combo);

} // namespace stdctl
