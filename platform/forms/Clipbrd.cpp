#include "platform/forms/Clipbrd.h"
#include "platform/rtl/Guards.h"

#include "platform/forms/Forms.h"

#include <cstring>

TClipboard* Clipboard()
{
    static TClipboard* Instance = New<TClipboard>();
    return Instance;
}

TClipboard::~TClipboard()
{
    if (FOpenRefCount > 0)
        CloseClipboard();
}

void TClipboard::Open()
{
    if (FOpenRefCount == 0) {
        if (!OpenClipboard(Application ? Application->Handle() : nullptr))
            throw Exception("Cannot open clipboard");
        FEmptied = false;
    }
    ++FOpenRefCount;
}

void TClipboard::Close()
{
    if (FOpenRefCount == 0)
        return;
    if (--FOpenRefCount == 0)
        CloseClipboard();
}

void TClipboard::Clear()
{
    Open();
    EmptyClipboard();
    FEmptied = true;
    Close();
}

bool TClipboard::HasFormat(UINT Format)
{
    return IsClipboardFormatAvailable(Format) != FALSE;
}

void TClipboard::SetBytes(UINT Format, const void* Data, size_t Size)
{
    Open();
    TScopeExit Closing([this] { Close(); });
    // A series of formats inside one Open/Close describes one piece of data.
    if (!FEmptied) {
        EmptyClipboard();
        FEmptied = true;
    }
    HGLOBAL Mem = GlobalAlloc(GMEM_MOVEABLE, Size);
    if (!Mem)
        throw EOutOfMemory("Out of memory");
    std::memcpy(GlobalLock(Mem), Data, Size);
    GlobalUnlock(Mem);
    if (!SetClipboardData(Format, Mem)) {
        GlobalFree(Mem);
        throw Exception("Cannot put data on the clipboard");
    }
}

AnsiString TClipboard::AsText()
{
    AnsiString Result;
    Open();
    if (HANDLE Data = GetClipboardData(CF_TEXT)) {
        auto* Mem = static_cast<HGLOBAL>(Data);
        const size_t Size = GlobalSize(Mem);
        const char* P = static_cast<const char*>(GlobalLock(Mem));
        if (P)
            Result.assign(P, strnlen(P, Size));
        GlobalUnlock(Mem);
    }
    Close();
    return Result;
}

void TClipboard::SetAsText(const AnsiString& Value)
{
    SetBytes(CF_TEXT, Value.c_str(), Value.size() + 1);
}

void TClipboard::SetTextBuf(const char* Buffer)
{
    SetAsText(Buffer ? Buffer : "");
}

Integer TClipboard::GetTextBuf(char* Buffer, Integer BufSize)
{
    if (!Buffer || BufSize <= 0)
        return 0;
    const AnsiString Text = AsText();
    const size_t N = std::min(Text.size(), static_cast<size_t>(BufSize - 1));
    std::memcpy(Buffer, Text.data(), N);
    Buffer[N] = 0;
    return static_cast<Integer>(N);
}

HANDLE TClipboard::GetAsHandle(UINT Format)
{
    Open();
    HANDLE Result = GetClipboardData(Format);
    Close();
    return Result;
}

void TClipboard::SetAsHandle(UINT Format, HANDLE Value)
{
    Open();
    TScopeExit Closing([this] { Close(); });
    if (!FEmptied) {
        EmptyClipboard();
        FEmptied = true;
    }
    if (!SetClipboardData(Format, Value))
        throw Exception("Cannot put data on the clipboard");
}

void TClipboard::Assign(TPersistent* Source)
{
    TGraphic* Graphic = dynamic_cast<TGraphic*>(Source);
    if (auto* P = dynamic_cast<TPicture*>(Source))
        Graphic = P->Graphic();
    if (Graphic) {
        UINT Format = 0;
        std::vector<Byte> Data;
        if (dynamic_cast<TBitmap*>(Graphic)) {
            Graphic->SaveToClipboardFormat(Format, Data);
        } else {
            // Other pictures go as their pixels.
            TOwned<TBitmap> B(New<TBitmap>());
            B->Assign(Graphic);
            B->SaveToClipboardFormat(Format, Data);
        }
        SetBytes(Format, Data.data(), Data.size());
        return;
    }
    TPersistent::Assign(Source);
}

void TClipboard::AssignTo(TPersistent* Dest)
{
    TBitmap* Target = dynamic_cast<TBitmap*>(Dest);
    if (auto* P = dynamic_cast<TPicture*>(Dest))
        Target = P->Bitmap();
    if (!Target) {
        TPersistent::AssignTo(Dest);
        return;
    }
    std::vector<Byte> Data;
    Open();
    if (HANDLE H = GetClipboardData(CF_DIB)) {
        auto* Mem = static_cast<HGLOBAL>(H);
        const Byte* P = static_cast<const Byte*>(GlobalLock(Mem));
        if (P)
            Data.assign(P, P + GlobalSize(Mem));
        GlobalUnlock(Mem);
    }
    Close();
    if (Data.empty())
        throw EInvalidGraphic("Clipboard does not contain a picture");
    Target->LoadFromClipboardFormat(CF_DIB, Data);
}
