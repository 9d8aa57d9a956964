#include "controls/SaneManager.h"

#include "platform/rtl/Threads.h"
#include "platform/win/Clipboard.h"
#include "platform/win/Gdi.h"
#include "platform/win/Windows.h"

#include <sane/sane.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A scan larger than this is refused: a device (or its driver) that reports a page of this
// size is not to be believed.
constexpr std::size_t MaxImageBytes = 256u * 1024 * 1024;

struct TSaneSession {
    bool Open = false;
    const SANE_Device** Devices = nullptr;
    int Next = 0;
    SANE_Handle Handle = nullptr;
    HWND Parent = nullptr;
    TW_UINT16 Condition = TWCC_SUCCESS;
    TW_UINT16 Pending = 0;
    SANE_Parameters Last{};
    double Resolution = 0;
};

TSaneSession& Session()
{
    static TSaneSession S;
    return S;
}

UINT EventMessage()
{
    static const UINT Msg = RegisterWindowMessage("TWAIN stand-in event");
    return Msg;
}

TW_UINT16 ConditionOf(SANE_Status Status)
{
    switch (Status) {
    case SANE_STATUS_GOOD:
        return TWCC_SUCCESS;
    case SANE_STATUS_DEVICE_BUSY:
        return TWCC_MAXCONNECTIONS;
    case SANE_STATUS_INVAL:
        return TWCC_BADVALUE;
    case SANE_STATUS_NO_MEM:
        return TWCC_LOWMEMORY;
    case SANE_STATUS_ACCESS_DENIED:
        return TWCC_DENIED;
    case SANE_STATUS_JAMMED:
        return TWCC_PAPERJAM;
    case SANE_STATUS_NO_DOCS:
        return TWCC_PAPERJAM;
    case SANE_STATUS_COVER_OPEN:
        return TWCC_CHECKDEVICEONLINE;
    default:
        return TWCC_OPERATIONERROR;
    }
}

TW_UINT16 Failure(TW_UINT16 Condition)
{
    Session().Condition = Condition;
    return TWRC_FAILURE;
}

void CopyText(char (&Field)[34], const char* Value)
{
    std::memset(Field, 0, sizeof Field);
    if (Value)
        std::strncpy(Field, Value, sizeof Field - 1);
}

void Describe(const SANE_Device* Device, TW_IDENTITY& Id, TW_UINT32 Number)
{
    Id.Id = Number;
    Id.Version.MajorNum = 1;
    Id.Version.MinorNum = 0;
    CopyText(Id.Version.Info, "SANE");
    Id.ProtocolMajor = 1;
    Id.ProtocolMinor = 8;
    Id.SupportedGroups = DG_CONTROL | DG_IMAGE;
    CopyText(Id.ProductName, Device->name);
    CopyText(Id.Manufacturer, Device->vendor);
    CopyText(Id.ProductFamily, Device->model);
}

TW_UINT16 Identity(TW_UINT16 Message, TW_IDENTITY* Id)
{
    TSaneSession& S = Session();
    if (!S.Open)
        return Failure(TWCC_SEQERROR);
    switch (Message) {
    case MSG_GETFIRST:
    case MSG_GETNEXT:
    case MSG_GETDEFAULT:
    case MSG_USERSELECT: {
        if (Message != MSG_GETNEXT) {
            SANE_Status St = sane_get_devices(&S.Devices, SANE_FALSE);
            if (St != SANE_STATUS_GOOD)
                return Failure(ConditionOf(St));
            S.Next = 0;
        }
        if (!S.Devices)
            return TWRC_ENDOFLIST;
        if (Message == MSG_GETDEFAULT || Message == MSG_USERSELECT) {
            const char* Wanted = std::getenv("DRAWMERE_SANE_DEVICE");
            for (int I = 0; S.Devices[I]; ++I)
                if (!Wanted || !*Wanted || std::strcmp(S.Devices[I]->name, Wanted) == 0) {
                    Describe(S.Devices[I], *Id, static_cast<TW_UINT32>(I + 1));
                    return TWRC_SUCCESS;
                }
            return Failure(TWCC_NODS);
        }
        if (!S.Devices[S.Next])
            return TWRC_ENDOFLIST;
        Describe(S.Devices[S.Next], *Id, static_cast<TW_UINT32>(S.Next + 1));
        ++S.Next;
        return TWRC_SUCCESS;
    }
    case MSG_OPENDS: {
        if (S.Handle)
            return Failure(TWCC_MAXCONNECTIONS);
        char Name[35] = {};
        std::memcpy(Name, Id->ProductName, sizeof Id->ProductName);
        SANE_Status St = sane_open(Name, &S.Handle);
        if (St != SANE_STATUS_GOOD) {
            S.Handle = nullptr;
            return Failure(St == SANE_STATUS_INVAL ? TWCC_NODS : ConditionOf(St));
        }
        return TWRC_SUCCESS;
    }
    case MSG_CLOSEDS:
        if (!S.Handle)
            return Failure(TWCC_SEQERROR);
        sane_close(S.Handle);
        S.Handle = nullptr;
        return TWRC_SUCCESS;
    default:
        return Failure(TWCC_BADVALUE);
    }
}

// Applies "name=value;..." from the environment to the open device.
void ApplyOptions(SANE_Handle H)
{
    const char* Spec = std::getenv("DRAWMERE_SANE_OPTIONS");
    if (!Spec)
        return;
    std::string All = Spec;
    std::size_t Start = 0;
    while (Start <= All.size()) {
        std::size_t End = All.find(';', Start);
        std::string Item = All.substr(Start, End == std::string::npos ? std::string::npos : End - Start);
        Start = End == std::string::npos ? All.size() + 1 : End + 1;
        std::size_t Eq = Item.find('=');
        if (Eq == std::string::npos)
            continue;
        std::string Name = Item.substr(0, Eq), Value = Item.substr(Eq + 1);
        for (SANE_Int I = 1;; ++I) {
            const SANE_Option_Descriptor* D = sane_get_option_descriptor(H, I);
            if (!D)
                break;
            if (!D->name || Name != D->name)
                continue;
            SANE_Int Info = 0;
            if (D->type == SANE_TYPE_STRING) {
                std::vector<char> Buf(static_cast<std::size_t>(std::max<SANE_Int>(D->size, 1)) +
                                      Value.size() + 1);
                std::strcpy(Buf.data(), Value.c_str());
                sane_control_option(H, I, SANE_ACTION_SET_VALUE, Buf.data(), &Info);
            } else if (D->type == SANE_TYPE_FIXED) {
                SANE_Word W = SANE_FIX(std::atof(Value.c_str()));
                sane_control_option(H, I, SANE_ACTION_SET_VALUE, &W, &Info);
            } else if (D->type == SANE_TYPE_INT || D->type == SANE_TYPE_BOOL) {
                SANE_Word W = std::atoi(Value.c_str());
                sane_control_option(H, I, SANE_ACTION_SET_VALUE, &W, &Info);
            }
            break;
        }
    }
}

double ReadResolution(SANE_Handle H)
{
    for (SANE_Int I = 1;; ++I) {
        const SANE_Option_Descriptor* D = sane_get_option_descriptor(H, I);
        if (!D)
            return 0;
        if (D->name && std::strcmp(D->name, "resolution") == 0 && D->size == sizeof(SANE_Word)) {
            SANE_Word W = 0;
            if (sane_control_option(H, I, SANE_ACTION_GET_VALUE, &W, nullptr) != SANE_STATUS_GOOD)
                return 0;
            return D->type == SANE_TYPE_FIXED ? SANE_UNFIX(W) : W;
        }
    }
}

// The scanned page as a packed DIB: header, colour table, bottom-up rows padded to 4 bytes.
HGLOBAL MakeDib(const SANE_Parameters& P, const std::vector<Byte>& Data, double Dpi)
{
    const int W = P.pixels_per_line;
    const int BytesPerLine = P.bytes_per_line;
    const int H =
        BytesPerLine > 0 ? static_cast<int>(Data.size() / static_cast<std::size_t>(BytesPerLine)) : 0;
    const bool Rgb = P.format == SANE_FRAME_RGB;
    const int Bits = Rgb ? 24 : (P.depth == 1 ? 1 : 8);
    const int Colours = Rgb ? 0 : (Bits == 1 ? 2 : 256);
    const int Stride = ((W * Bits + 31) / 32) * 4;
    const std::size_t Size =
        sizeof(BITMAPINFOHEADER) + Colours * sizeof(RGBQUAD) + static_cast<std::size_t>(Stride) * H;
    HGLOBAL Block = GlobalAlloc(GHND, Size);
    if (!Block)
        return nullptr;
    auto* Bytes = static_cast<Byte*>(GlobalLock(Block));
    BITMAPINFOHEADER Hdr{};
    Hdr.biSize = sizeof Hdr;
    Hdr.biWidth = W;
    Hdr.biHeight = H;
    Hdr.biPlanes = 1;
    Hdr.biBitCount = static_cast<WORD>(Bits);
    Hdr.biSizeImage = static_cast<DWORD>(Stride) * H;
    Hdr.biXPelsPerMeter = Hdr.biYPelsPerMeter = static_cast<LONG>(Dpi / 0.0254 + 0.5);
    Hdr.biClrUsed = static_cast<DWORD>(Colours);
    std::memcpy(Bytes, &Hdr, sizeof Hdr);
    auto* Table = reinterpret_cast<RGBQUAD*>(Bytes + sizeof Hdr);
    for (int I = 0; I < Colours; ++I) {
        // SANE's line art is 1 for black; the table makes index 0 white.
        Byte V = Bits == 1 ? static_cast<Byte>(I == 0 ? 255 : 0) : static_cast<Byte>(I);
        Table[I] = RGBQUAD{V, V, V, 0};
    }
    Byte* Pixels = Bytes + sizeof Hdr + Colours * sizeof(RGBQUAD);
    const int Wide = P.depth == 16 ? 2 : 1; // 16-bit samples keep their high byte
    for (int Y = 0; Y < H; ++Y) {
        const Byte* Src = Data.data() + static_cast<std::size_t>(Y) * BytesPerLine;
        Byte* Dst = Pixels + static_cast<std::size_t>(H - 1 - Y) * Stride;
        if (Bits == 1) {
            std::memcpy(Dst, Src, std::min(Stride, BytesPerLine));
            continue;
        }
        for (int X = 0; X < W; ++X) {
            auto Sample = [&](int Index) {
                const Byte* S = Src + static_cast<std::size_t>(Index) * Wide;
                if (Wide == 1)
                    return S[0];
                uint16_t V;
                std::memcpy(&V, S, 2);
                return static_cast<Byte>(V >> 8);
            };
            if (Rgb) {
                Dst[X * 3 + 0] = Sample(X * 3 + 2);
                Dst[X * 3 + 1] = Sample(X * 3 + 1);
                Dst[X * 3 + 2] = Sample(X * 3 + 0);
            } else
                Dst[X] = Sample(X);
        }
    }
    GlobalUnlock(Block);
    return Block;
}

TW_UINT16 Transfer(HGLOBAL* Out)
{
    TSaneSession& S = Session();
    *Out = nullptr;
    if (!S.Handle)
        return Failure(TWCC_SEQERROR);
    SANE_Status St = sane_start(S.Handle);
    if (St == SANE_STATUS_CANCELLED)
        return TWRC_CANCEL;
    if (St != SANE_STATUS_GOOD)
        return Failure(ConditionOf(St));
    SANE_Parameters P{};
    St = sane_get_parameters(S.Handle, &P);
    if (St != SANE_STATUS_GOOD || !P.last_frame ||
        (P.format != SANE_FRAME_GRAY && P.format != SANE_FRAME_RGB) || P.pixels_per_line <= 0 ||
        P.bytes_per_line <= 0 || (P.depth != 1 && P.depth != 8 && P.depth != 16)) {
        sane_cancel(S.Handle);
        return Failure(St != SANE_STATUS_GOOD ? ConditionOf(St) : TWCC_BADVALUE);
    }
    std::vector<Byte> Data;
    Byte Buf[32768];
    for (;;) {
        SANE_Int Got = 0;
        St = sane_read(S.Handle, Buf, sizeof Buf, &Got);
        if (St == SANE_STATUS_EOF)
            break;
        if (St != SANE_STATUS_GOOD || Data.size() + static_cast<std::size_t>(Got) > MaxImageBytes) {
            sane_cancel(S.Handle);
            return St == SANE_STATUS_CANCELLED
                       ? TWRC_CANCEL
                       : Failure(St == SANE_STATUS_GOOD ? TWCC_LOWMEMORY : ConditionOf(St));
        }
        Data.insert(Data.end(), Buf, Buf + Got);
    }
    sane_cancel(S.Handle);
    S.Last = P;
    S.Resolution = ReadResolution(S.Handle);
    *Out = MakeDib(P, Data, S.Resolution);
    if (!*Out)
        return Failure(TWCC_LOWMEMORY);
    return TWRC_XFERDONE;
}

TW_FIX32 Fix32(double V)
{
    TW_FIX32 F;
    F.Whole = static_cast<TW_INT16>(V);
    F.Frac = static_cast<TW_UINT16>((V - F.Whole) * 65536.0);
    return F;
}

} // namespace

TW_UINT16 SaneDSMEntry(pTW_IDENTITY, pTW_IDENTITY, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 Message,
                       TW_MEMREF pData)
{
    TSaneSession& S = Session();
    if (DG == DG_CONTROL && DAT == DAT_PARENT) {
        if (Message == MSG_OPENDSM) {
            if (S.Open)
                return Failure(TWCC_SEQERROR);
            SANE_Int Version = 0;
            SANE_Status St = sane_init(&Version, nullptr);
            if (St != SANE_STATUS_GOOD)
                return Failure(ConditionOf(St));
            S = TSaneSession{};
            S.Open = true;
            S.Parent = pData ? *static_cast<HWND*>(pData) : nullptr;
            return TWRC_SUCCESS;
        }
        if (Message == MSG_CLOSEDSM) {
            if (!S.Open)
                return Failure(TWCC_SEQERROR);
            if (S.Handle)
                sane_close(S.Handle);
            sane_exit();
            S = TSaneSession{};
            return TWRC_SUCCESS;
        }
        return Failure(TWCC_BADVALUE);
    }
    if (DG == DG_CONTROL && DAT == DAT_STATUS) {
        static_cast<TW_STATUS*>(pData)->ConditionCode = S.Condition;
        static_cast<TW_STATUS*>(pData)->Reserved = 0;
        S.Condition = TWCC_SUCCESS;
        return TWRC_SUCCESS;
    }
    if (DG == DG_CONTROL && DAT == DAT_IDENTITY)
        return Identity(Message, static_cast<TW_IDENTITY*>(pData));
    if (!S.Open || !S.Handle)
        return Failure(TWCC_SEQERROR);
    if (DG == DG_CONTROL && DAT == DAT_CAPABILITY) {
        auto* Cap = static_cast<TW_CAPABILITY*>(pData);
        if (Cap->Cap != CAP_XFERCOUNT)
            return Failure(TWCC_BADCAP);
        if (Message == MSG_SET)
            return TWRC_SUCCESS; // one page per start: any count is served as one
        if (Message == MSG_GET) {
            Cap->ConType = TWON_ONEVALUE;
            Cap->hContainer = GlobalAlloc(GHND, sizeof(TW_ONEVALUE));
            auto* One = static_cast<TW_ONEVALUE*>(GlobalLock(static_cast<HGLOBAL>(Cap->hContainer)));
            One->ItemType = TWTY_INT16;
            One->Item = 1;
            GlobalUnlock(static_cast<HGLOBAL>(Cap->hContainer));
            return TWRC_SUCCESS;
        }
        return Failure(TWCC_BADVALUE);
    }
    if (DG == DG_CONTROL && DAT == DAT_USERINTERFACE) {
        if (Message == MSG_ENABLEDS) {
            ApplyOptions(S.Handle);
            S.Pending = 1;
            HWND Target = static_cast<HWND>(static_cast<TW_USERINTERFACE*>(pData)->hParent);
            bool Posted = Target ? PostMessage(Target, EventMessage(), MSG_XFERREADY, 0)
                                 : PostThreadMessage(GetCurrentThreadId(), EventMessage(), MSG_XFERREADY, 0);
            return Posted ? TWRC_SUCCESS : Failure(TWCC_OPERATIONERROR);
        }
        if (Message == MSG_DISABLEDS)
            return TWRC_SUCCESS;
        return Failure(TWCC_BADVALUE);
    }
    if (DG == DG_CONTROL && DAT == DAT_EVENT) {
        auto* Event = static_cast<TW_EVENT*>(pData);
        auto* Msg = static_cast<MSG*>(Event->pEvent);
        if (Msg && Msg->message == EventMessage()) {
            Event->TWMessage = static_cast<TW_UINT16>(Msg->wParam);
            return TWRC_DSEVENT;
        }
        return TWRC_NOTDSEVENT;
    }
    if (DG == DG_CONTROL && DAT == DAT_PENDINGXFERS) {
        auto* P = static_cast<TW_PENDINGXFERS*>(pData);
        S.Pending = Message == MSG_ENDXFER && S.Pending > 0 ? S.Pending - 1 : 0;
        P->Count = S.Pending;
        return TWRC_SUCCESS;
    }
    if (DG == DG_IMAGE && DAT == DAT_IMAGENATIVEXFER && Message == MSG_GET)
        return Transfer(static_cast<HGLOBAL*>(pData));
    if (DG == DG_IMAGE && DAT == DAT_IMAGEINFO && Message == MSG_GET) {
        auto* Info = static_cast<TW_IMAGEINFO*>(pData);
        *Info = TW_IMAGEINFO{};
        const SANE_Parameters& P = S.Last;
        Info->XResolution = Info->YResolution = Fix32(S.Resolution);
        Info->ImageWidth = P.pixels_per_line;
        Info->ImageLength = P.lines;
        Info->SamplesPerPixel = P.format == SANE_FRAME_RGB ? 3 : 1;
        for (int I = 0; I < Info->SamplesPerPixel; ++I)
            Info->BitsPerSample[I] = static_cast<TW_INT16>(P.depth);
        Info->BitsPerPixel = static_cast<TW_INT16>(P.depth * Info->SamplesPerPixel);
        Info->PixelType = P.format == SANE_FRAME_RGB ? TWPT_RGB : (P.depth == 1 ? TWPT_BW : TWPT_GRAY);
        return TWRC_SUCCESS;
    }
    return Failure(TWCC_BADVALUE);
}
