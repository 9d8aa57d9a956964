#pragma once

// The clipboard as an object: text, pictures and raw formats. Open/Close bracket several
// operations (they nest); each operation opens the clipboard itself when it is not open.

#include "platform/forms/Graphics.h"
#include "platform/win/Clipboard.h"

class TClipboard : public TPersistent {
public:
    ~TClipboard() override;

    void Open();
    void Close();
    void Clear();
    bool HasFormat(UINT Format);

    // The text (CF_TEXT, UTF-8); empty when there is none.
    AnsiString AsText();
    void SetAsText(const AnsiString& Value);
    void SetTextBuf(const char* Buffer);
    // Copies at most BufSize - 1 bytes and a terminating zero; returns the bytes copied.
    Integer GetTextBuf(char* Buffer, Integer BufSize);

    // A block of the format, owned by the clipboard (nullptr when there is none).
    HANDLE GetAsHandle(UINT Format);
    // Puts a block on the clipboard; the clipboard takes it over.
    void SetAsHandle(UINT Format, HANDLE Value);

    // Pictures (TBitmap, TPicture) go on the clipboard as CF_DIB.
    void Assign(TPersistent* Source) override;

protected:
    // Reads a CF_DIB picture into a TBitmap or TPicture.
    void AssignTo(TPersistent* Dest) override;

private:
    void SetBytes(UINT Format, const void* Data, size_t Size);
    Integer FOpenRefCount = 0;
    bool FEmptied = false;
};

// The application's clipboard object.
TClipboard* Clipboard();
