#include "RudUvud/support/VadDD.h"

#include "platform/rtl/Strings.h"

#include <cstring>

namespace {

bool GRTFAware = false;

UINT Registered(const char* Name)
{
    // Registration needs no open clipboard, so another program holding it open cannot leave
    // the ids at 0 (which would make the three formats indistinguishable).
    return RegisterClipboardFormat(Name);
}

std::uint32_t ReadU32(const std::uint8_t* P)
{
    return std::uint32_t(P[0]) | std::uint32_t(P[1]) << 8 | std::uint32_t(P[2]) << 16 |
           std::uint32_t(P[3]) << 24;
}

void WriteU32(std::uint8_t* P, std::uint32_t V)
{
    P[0] = std::uint8_t(V);
    P[1] = std::uint8_t(V >> 8);
    P[2] = std::uint8_t(V >> 16);
    P[3] = std::uint8_t(V >> 24);
}

// A zero-filled block of Size bytes with Fill writing into it; nullptr when allocation fails.
template <class F> HGLOBAL MakeBlock(std::size_t Size, F Fill)
{
    HGLOBAL H = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | 0x2000 /* GMEM_DDESHARE */, Size);
    if (!H)
        return nullptr;
    auto* P = static_cast<std::uint8_t*>(GlobalLock(H));
    if (!P) {
        GlobalFree(H);
        return nullptr;
    }
    Fill(P);
    GlobalUnlock(H);
    return H;
}

TPoint ToPoint(POINTL Pt)
{
    return TPoint{Pt.X, Pt.Y};
}

// The reader of a drag, or none when the object cannot be read (its enumerator missing): such
// a drag offers nothing instead of failing inside the drag loop.
std::unique_ptr<TEnumFormats> ReaderFor(IDataObject* Data)
{
    try {
        return std::make_unique<TEnumFormats>(Data);
    } catch (const EAssertionFailed&) {
        return nullptr;
    }
}

} // namespace

Byte DropFormatsByte(TDropFormats Formats)
{
    Byte B = 0;
    for (int F = dfText; F <= dfGridCells; ++F)
        if (Formats.Contains(TDropFormat(F)))
            B |= Byte(1u << F);
    return B;
}

UINT CF_RTFFormat()
{
    static const UINT Id = Registered("Rich Text Format");
    return Id;
}

UINT CF_GridColumn()
{
    static const UINT Id = Registered("Grid Column");
    return Id;
}

UINT CF_GridCells()
{
    static const UINT Id = Registered("TDidAririzEvar Cells");
    return Id;
}

UINT CF_URLFormat()
{
    static const UINT Id = Registered("UniformResourceLocator");
    return Id;
}

void SetRTFAware(bool Flag)
{
    GRTFAware = Flag;
}

bool RTFAware()
{
    return GRTFAware;
}

TShiftState KeyStateToShift(DWORD KeyState)
{
    TShiftState S;
    if (KeyState & MK_CONTROL)
        S.Include(ssCtrl);
    if (KeyState & MK_SHIFT)
        S.Include(ssShift);
    if (KeyState & MK_ALT)
        S.Include(ssAlt);
    return S;
}

DWORD StandardEffect(TShiftState Shift, DWORD Allowed)
{
    DWORD Effect = DROPEFFECT_COPY;
    if (!Shift.Contains(ssCtrl) && (Allowed & DROPEFFECT_MOVE))
        Effect = DROPEFFECT_MOVE;
    // The target picks among the effects the source allows.
    return (Allowed & Effect) ? Effect : DROPEFFECT_NONE;
}

template <class Interface> HRESULT TInterfacedObject<Interface>::QueryInterface(REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == Iid()) {
        *object = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

template <> const IID& TInterfacedObject<IDropTarget>::Iid()
{
    return IID_IDropTarget;
}
template <> const IID& TInterfacedObject<IDropSource>::Iid()
{
    return IID_IDropSource;
}
template <> const IID& TInterfacedObject<IDataObject>::Iid()
{
    return IID_IDataObject;
}
template <> const IID& TInterfacedObject<IEnumFORMATETC>::Iid()
{
    return IID_IEnumFORMATETC;
}

template class TInterfacedObject<IDropTarget>;
template class TInterfacedObject<IDropSource>;
template class TInterfacedObject<IDataObject>;
template class TInterfacedObject<IEnumFORMATETC>;

// ---- TDAEDropTarget --------------------------------------------------------------------------------

HRESULT TDAEDropTarget::DragEnter(IDataObject* data, DWORD keyState, POINTL, DWORD* effect)
{
    DropAllowed = false;
    OfferedFormats = TDropFormats();
    if (auto Reader = data ? ReaderFor(data) : nullptr) {
        const bool Text = Reader->HasText(), File = Reader->HasFile(), RTF = Reader->HasRTF(),
                   Col = Reader->HasCol(), URL = Reader->HasURL(), Cells = Reader->HasGridCells();
        DropAllowed = (Text && AllowText) || (File && AllowFiles) || (RTF && GRTFAware && AllowText) ||
                      (Col && AllowColumns) || (URL && AllowURLs) || Cells;
        const std::pair<bool, TDropFormat> Present[] = {{Text, dfText}, {File, dfFile}, {RTF, dfRTF},
                                                        {Col, dfCol},   {URL, dfURL},   {Cells, dfGridCells}};
        for (const auto& [Has, Format] : Present)
            if (Has)
                OfferedFormats.Include(Format);
    }
    if (effect)
        *effect = DropAllowed ? StandardEffect(KeyStateToShift(keyState), *effect) : DROPEFFECT_NONE;
    DragMouseEnter();
    return S_OK;
}

HRESULT TDAEDropTarget::DragOver(DWORD keyState, POINTL pt, DWORD* effect)
{
    DWORD E = effect ? *effect : DROPEFFECT_NONE;
    E = DropAllowed ? StandardEffect(KeyStateToShift(keyState), E) : DROPEFFECT_NONE;
    bool Accept = E != DROPEFFECT_NONE;
    DragMouseMove(ToPoint(pt), Accept, OfferedFormats);
    if (!Accept)
        E = DROPEFFECT_NONE;
    if (effect)
        *effect = E;
    return S_OK;
}

HRESULT TDAEDropTarget::DragLeave()
{
    DragMouseLeave();
    return S_OK;
}

HRESULT TDAEDropTarget::Drop(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect)
{
    const DWORD Allowed = effect ? *effect : DROPEFFECT_NONE;
    if (effect)
        *effect = DROPEFFECT_NONE;
    if (!DropAllowed || !data)
        return S_OK;
    auto Reader = ReaderFor(data);
    if (!Reader)
        return S_OK;
    const TPoint P = ToPoint(pt);
    bool Taken = false;
    if (Reader->HasCol()) {
        Taken = DropCol(P, Reader->Col());
    } else {
        if (Reader->HasGridCells()) {
            if (std::unique_ptr<TMemoryStream> S = Reader->Stream())
                Taken = DropStream(P, S.get());
        } else if (GRTFAware && Reader->HasRTF()) {
            Taken = DropRTF(P, Reader->RTF());
        } else if (Reader->HasText()) {
            Taken = DropText(P, Reader->Text());
        }
        if (Reader->HasFile()) {
            TStringList Files;
            if (Reader->SomeFiles(&Files))
                Taken = DropFiles(P, &Files) || Taken;
        }
        if (Reader->HasURL())
            Taken = DropURL(P, Reader->Text()) || Taken;
    }
    if (effect && Taken)
        *effect = StandardEffect(KeyStateToShift(keyState), Allowed);
    return S_OK;
}

bool TDAEDropTarget::DropText(TPoint, const AnsiString&)
{
    return false;
}
bool TDAEDropTarget::DropStream(TPoint, TMemoryStream*)
{
    return false;
}
bool TDAEDropTarget::DropCol(TPoint, Integer)
{
    return false;
}
bool TDAEDropTarget::DropRTF(TPoint, const AnsiString&)
{
    return false;
}
bool TDAEDropTarget::DropFiles(TPoint, TStrings*)
{
    return false;
}
bool TDAEDropTarget::DropURL(TPoint, const AnsiString&)
{
    return false;
}
void TDAEDropTarget::DragMouseMove(TPoint, bool&, TDropFormats) {}
void TDAEDropTarget::DragMouseEnter() {}
void TDAEDropTarget::DragMouseLeave() {}

// ---- TDAEDropSource ----------------------------------------------------------------------------------

HRESULT TDAEDropSource::QueryContinueDrag(BOOL escapePressed, DWORD keyState)
{
    HRESULT Result = S_OK;
    if (escapePressed) {
        Result = DRAGDROP_S_CANCEL;
    } else if (!(keyState & MK_LBUTTON)) {
        DragDropStop();
        Result = DRAGDROP_S_DROP;
    }
    QueryDrag();
    return Result;
}

HRESULT TDAEDropSource::GiveFeedback(DWORD effect)
{
    TargetRefused = effect == DROPEFFECT_NONE;
    CurrentEffect(effect);
    return DRAGDROP_S_USEDEFAULTCURSORS;
}

void TDAEDropSource::DragDropStop() {}
void TDAEDropSource::CurrentEffect(DWORD) {}
void TDAEDropSource::QueryDrag() {}

// ---- TSourceDataObject -----------------------------------------------------------------------------

TSourceDataObject::TSourceDataObject(const AnsiString& Text, const AnsiString& RTF, Integer Column,
                                     TMemoryStream* Cells)
    : SourceText(Text), SourceRTF(RTF), SourceColumn(Column), SourceCells(Cells)
{
}

HRESULT TSourceDataObject::QueryGetData(FORMATETC* format)
{
    if (!format || format->dwAspect != DVASPECT_CONTENT || format->tymed != TYMED_HGLOBAL)
        return DV_E_FORMATETC;
    const UINT F = format->cfFormat;
    if (!SourceText.empty() && (F == CF_TEXT || F == CF_UNICODETEXT || (GRTFAware && F == CF_RTFFormat())))
        return S_OK;
    if (SourceCells && F == CF_GridCells())
        return S_OK;
    if (SourceColumn != -1 && F == CF_GridColumn())
        return S_OK;
    return DV_E_FORMATETC;
}

HRESULT TSourceDataObject::GetData(FORMATETC* format, STGMEDIUM* medium)
{
    if (!medium)
        return E_POINTER;
    *medium = STGMEDIUM{};
    if (QueryGetData(format) != S_OK)
        return DV_E_FORMATETC;
    const UINT F = format->cfFormat;
    HGLOBAL H = nullptr;
    if (F == CF_TEXT) {
        H = MakeBlock(SourceText.size() + 1,
                      [&](std::uint8_t* P) { std::memcpy(P, SourceText.data(), SourceText.size()); });
    } else if (F == CF_UNICODETEXT) {
        const WideString W = UTF8Decode(SourceText);
        H = MakeBlock(2 * (W.size() + 1), [&](std::uint8_t* P) {
            for (std::size_t I = 0; I < W.size(); ++I) {
                P[2 * I] = std::uint8_t(W[I]);
                P[2 * I + 1] = std::uint8_t(W[I] >> 8);
            }
        });
    } else if (F == CF_RTFFormat()) {
        // An empty RTF string delivers an empty text.
        H = MakeBlock(SourceRTF.size() + 1,
                      [&](std::uint8_t* P) { std::memcpy(P, SourceRTF.data(), SourceRTF.size()); });
    } else if (F == CF_GridColumn()) {
        H = MakeBlock(4, [&](std::uint8_t* P) { WriteU32(P, std::uint32_t(SourceColumn)); });
    } else if (F == CF_GridCells()) {
        const std::size_t N = std::size_t(SourceCells->Size());
        H = MakeBlock(N + 4, [&](std::uint8_t* P) {
            WriteU32(P, std::uint32_t(N));
            if (N)
                std::memcpy(P + 4, SourceCells->Memory(), N);
        });
    }
    if (!H)
        return DV_E_FORMATETC;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = H;
    return S_OK;
}

HRESULT TSourceDataObject::GetDataHere(FORMATETC*, STGMEDIUM*)
{
    return DV_E_FORMATETC;
}

HRESULT TSourceDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out)
{
    if (out)
        out->ptd = nullptr;
    return E_NOTIMPL;
}

HRESULT TSourceDataObject::SetData(FORMATETC*, STGMEDIUM*, BOOL)
{
    return DV_E_FORMATETC;
}

HRESULT TSourceDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator)
{
    if (!enumerator)
        return E_POINTER;
    *enumerator = nullptr;
    if (direction != DATADIR_GET)
        return E_NOTIMPL;
    auto* E = new TSourceEnumFormatEtc;
    E->WithColumn = SourceColumn != -1;
    E->WithCells = SourceCells != nullptr;
    *enumerator = E;
    return S_OK;
}

HRESULT TSourceDataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*)
{
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT TSourceDataObject::DUnadvise(DWORD)
{
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT TSourceDataObject::EnumDAdvise(IEnumSTATDATA** enumerator)
{
    if (enumerator)
        *enumerator = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
}

// ---- TSourceEnumFormatEtc ----------------------------------------------------------------------------

FORMATETC TSourceEnumFormatEtc::Entry(ULONG Index) const
{
    FORMATETC F;
    switch (Index) {
    case 0:
        F.cfFormat = CF_TEXT;
        break;
    case 1:
        F.cfFormat = CF_UNICODETEXT;
        break;
    case 2:
        F.cfFormat = CF_RTFFormat();
        break;
    default:
        F.cfFormat = (Index == Count() - 1 && WithCells) ? CF_GridCells() : CF_GridColumn();
        break;
    }
    return F;
}

HRESULT TSourceEnumFormatEtc::Next(ULONG celt, FORMATETC* rgelt, ULONG* fetched)
{
    ULONG N = 0;
    while (N < celt && EnumPosition < Count() && rgelt) {
        rgelt[N++] = Entry(EnumPosition);
        ++EnumPosition;
    }
    if (fetched)
        *fetched = N;
    return N == celt ? S_OK : S_FALSE;
}

HRESULT TSourceEnumFormatEtc::Skip(ULONG celt)
{
    if (celt > Count() - EnumPosition) {
        EnumPosition = Count();
        return S_FALSE;
    }
    EnumPosition += celt;
    return S_OK;
}

HRESULT TSourceEnumFormatEtc::Reset()
{
    EnumPosition = 0;
    return S_OK;
}

HRESULT TSourceEnumFormatEtc::Clone(IEnumFORMATETC** enumerator)
{
    if (!enumerator)
        return E_POINTER;
    auto* E = new TSourceEnumFormatEtc;
    E->EnumPosition = EnumPosition;
    E->WithColumn = WithColumn;
    E->WithCells = WithCells;
    *enumerator = E;
    return S_OK;
}

// ---- TEnumFormats ------------------------------------------------------------------------------------

TEnumFormats::TEnumFormats(IDataObject* DataObject) : FFiles(std::make_unique<TStringList>())
{
    CF_RTFFormat();
    CF_GridColumn();
    CF_GridCells();
    CF_URLFormat();
    SetDataObject(DataObject);
}

TEnumFormats::~TEnumFormats() = default;

void TEnumFormats::SetDataObject(IDataObject* Value)
{
    FEnum = OlePtr<IEnumFORMATETC>();
    FDataObject = OlePtr<IDataObject>::Share(Value);
    FValid = false;
    FSteps = 0;
    if (!Value)
        return;
    if (Value->EnumFormatEtc(DATADIR_GET, FEnum.out()) != S_OK || !FEnum)
        throw EAssertionFailed("Cannot get the format enumerator");
    FEnum->Reset();
}

bool TEnumFormats::Reset()
{
    FValid = false;
    FSteps = 0;
    return FEnum && FEnum->Reset() == S_OK;
}

bool TEnumFormats::Next()
{
    ++FSteps;
    ULONG Fetched = 0;
    FValid = FEnum && FEnum->Next(1, &FFormat, &Fetched) == S_OK && Fetched == 1;
    return FValid;
}

bool TEnumFormats::HasFormat(UINT Format)
{
    if (!Reset())
        return false;
    // A hostile enumerator that never ends is cut off.
    for (int Guard = 0; Guard < 4096 && Next(); ++Guard)
        if (FFormat.cfFormat == Format)
            return true;
    FValid = false;
    return false;
}

HGLOBAL TEnumFormats::Handle(DWORD Tymed)
{
    if (!FValid || !FDataObject || (FFormat.tymed & Tymed) != Tymed)
        return nullptr;
    FORMATETC F = FFormat;
    F.tymed = Tymed;
    STGMEDIUM M;
    if (FDataObject->GetData(&F, &M) != S_OK)
        return nullptr;
    if (M.tymed != TYMED_HGLOBAL || M.pUnkForRelease) {
        ReleaseStgMedium(&M);
        return nullptr;
    }
    return M.hGlobal;
}

std::optional<std::vector<std::uint8_t>> TEnumFormats::Block()
{
    if (!FValid || !FDataObject || !(FFormat.tymed & TYMED_HGLOBAL))
        return std::nullopt;
    FORMATETC F = FFormat;
    F.tymed = TYMED_HGLOBAL;
    STGMEDIUM M;
    if (FDataObject->GetData(&F, &M) != S_OK)
        return std::nullopt;
    std::optional<std::vector<std::uint8_t>> Bytes;
    if (M.tymed == TYMED_HGLOBAL && M.hGlobal) {
        const std::size_t Size = GlobalSize(M.hGlobal);
        if (const auto* P = static_cast<const std::uint8_t*>(GlobalLock(M.hGlobal))) {
            Bytes.emplace(P, P + Size);
            GlobalUnlock(M.hGlobal);
        }
    }
    ReleaseStgMedium(&M);
    return Bytes;
}

Integer TEnumFormats::SomeInt(UINT Format)
{
    if (!HasFormat(Format))
        return -1;
    const auto B = Block();
    if (!B || B->size() < 4)
        return -1;
    return Integer(ReadU32(B->data()));
}

std::unique_ptr<TMemoryStream> TEnumFormats::SomeStream(UINT Format)
{
    if (!HasFormat(Format))
        return nullptr;
    const auto B = Block();
    if (!B || B->size() < 4)
        return nullptr;
    const std::uint32_t N = ReadU32(B->data());
    if (N > B->size() - 4)
        return nullptr; // the count runs past the block
    auto S = std::make_unique<TMemoryStream>();
    if (N)
        S->Write(B->data() + 4, Integer(N));
    S->SetPosition(0);
    return S;
}

AnsiString TEnumFormats::SomeText(UINT Format)
{
    if (!HasFormat(Format))
        return AnsiString();
    const auto B = Block();
    if (!B)
        return AnsiString();
    const auto* P = reinterpret_cast<const char*>(B->data());
    const void* Nul = std::memchr(P, 0, B->size());
    const std::size_t Len = Nul ? std::size_t(static_cast<const char*>(Nul) - P) : B->size();
    return AnsiString(P, Len);
}

bool TEnumFormats::SomeFiles(TStrings* List)
{
    FFiles->Clear();
    if (List)
        List->Clear();
    const auto B = Block();
    constexpr std::size_t HeaderSize = 20; // pFiles, pt, fNC, fWide
    if (!B || B->size() < HeaderSize)
        return false;
    const std::uint8_t* Data = B->data();
    const std::size_t Size = B->size();
    std::size_t At = ReadU32(Data);
    const bool Wide = ReadU32(Data + 16) != 0;
    if (At < HeaderSize || At > Size)
        return false;
    while (At < Size) {
        if (Wide) {
            WideString Name;
            std::size_t I = At;
            bool Ended = false;
            for (; I + 1 < Size; I += 2) {
                const char16_t C = char16_t(Data[I] | Data[I + 1] << 8);
                if (C == 0) {
                    Ended = true;
                    break;
                }
                Name.push_back(C);
            }
            if (!Ended || Name.empty())
                break; // the terminating empty name, or a name cut off by the block's end
            FFiles->Add(UTF8Encode(Name));
            At = I + 2;
        } else {
            const void* Nul = std::memchr(Data + At, 0, Size - At);
            if (!Nul)
                break;
            const std::size_t Len = std::size_t(static_cast<const std::uint8_t*>(Nul) - (Data + At));
            if (Len == 0)
                break;
            FFiles->Add(AnsiString(reinterpret_cast<const char*>(Data + At), Len));
            At += Len + 1;
        }
    }
    if (List)
        List->Assign(FFiles.get());
    return FFiles->Count() > 0;
}

// ---- Starting drags ------------------------------------------------------------------------------------

namespace {

HRESULT RunDrag(TDAEDropSource* Source, TSourceDataObject* Data, DWORD OkEffects, DWORD& Effect)
{
    OlePtr<IDataObject> Hold(Data);
    const HRESULT Result = DoDragDrop(Data, Source, OkEffects, &Effect);
    if (Source && Source->TargetRefused)
        return DRAGDROP_S_CANCEL;
    return Result;
}

} // namespace

HRESULT StartTextDoDragDrop(TDAEDropSource* Source, const AnsiString& Text, const AnsiString& RTF,
                            TMemoryStream* Cells, DWORD OkEffects, DWORD& Effect)
{
    return RunDrag(Source, new TSourceDataObject(Text, RTF, -1, Cells), OkEffects, Effect);
}

HRESULT StartColDoDragDrop(TDAEDropSource* Source, Integer Column, DWORD OkEffects, DWORD& Effect)
{
    return RunDrag(Source, new TSourceDataObject(AnsiString(), AnsiString(), Column, nullptr), OkEffects,
                   Effect);
}
