// Object interfaces' helpers, data objects, the drop-target registry and the bridge that brings
// drags of other programs to the registered targets.

#include "platform/win/Ole.h"

#include "platform/win/WindowInternal.h"
#include "platform/win/Windows.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

bool operator==(const GUID& a, const GUID& b)
{
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}

void ReleaseStgMedium(STGMEDIUM* medium)
{
    if (!medium)
        return;
    if (medium->pUnkForRelease)
        medium->pUnkForRelease->Release();
    else if (medium->tymed == TYMED_HGLOBAL && medium->hGlobal)
        GlobalFree(medium->hGlobal);
    *medium = STGMEDIUM{};
}

namespace {

HGLOBAL BlockOf(const std::vector<std::uint8_t>& bytes)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!h)
        return nullptr;
    if (!bytes.empty()) {
        std::memcpy(GlobalLock(h), bytes.data(), bytes.size());
        GlobalUnlock(h);
    }
    return h;
}

std::vector<std::uint8_t> BytesOf(HGLOBAL h)
{
    std::vector<std::uint8_t> bytes(GlobalSize(h));
    if (!bytes.empty()) {
        std::memcpy(bytes.data(), GlobalLock(h), bytes.size());
        GlobalUnlock(h);
    }
    return bytes;
}

class TFormatEnumerator final : public IEnumFORMATETC, TOleObjectBase {
public:
    explicit TFormatEnumerator(std::vector<FORMATETC> formats, std::size_t at = 0)
        : Formats(std::move(formats)), At(at)
    {
    }
    HRESULT QueryInterface(REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IEnumFORMATETC) {
            *object = static_cast<IEnumFORMATETC*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return DoAddRef(); }
    ULONG Release() override { return DoRelease(); }
    HRESULT Next(ULONG celt, FORMATETC* rgelt, ULONG* fetched) override
    {
        if (!rgelt)
            return E_POINTER;
        ULONG n = 0;
        while (n < celt && At < Formats.size())
            rgelt[n++] = Formats[At++];
        if (fetched)
            *fetched = n;
        return n == celt ? S_OK : S_FALSE;
    }
    HRESULT Skip(ULONG celt) override
    {
        At = std::min(Formats.size(), At + celt);
        return At < Formats.size() ? S_OK : S_FALSE;
    }
    HRESULT Reset() override
    {
        At = 0;
        return S_OK;
    }
    HRESULT Clone(IEnumFORMATETC** enumerator) override
    {
        if (!enumerator)
            return E_POINTER;
        *enumerator = new TFormatEnumerator(Formats, At);
        return S_OK;
    }

private:
    std::vector<FORMATETC> Formats;
    std::size_t At;
};

class TBlockDataObject final : public IDataObject, TOleObjectBase {
public:
    explicit TBlockDataObject(bool readOnly = false) : ReadOnly(readOnly) {}
    HRESULT QueryInterface(REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDataObject) {
            *object = static_cast<IDataObject*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return DoAddRef(); }
    ULONG Release() override { return DoRelease(); }

    HRESULT GetData(FORMATETC* format, STGMEDIUM* medium) override
    {
        if (!format || !medium)
            return E_POINTER;
        auto* block = Find(format);
        if (!block)
            return DV_E_FORMATETC;
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = BlockOf(*block);
        medium->pUnkForRelease = nullptr;
        return medium->hGlobal ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT QueryGetData(FORMATETC* format) override
    {
        if (!format)
            return E_POINTER;
        return Find(format) ? S_OK : DV_E_FORMATETC;
    }
    HRESULT GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override
    {
        if (out)
            out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override
    {
        if (ReadOnly)
            return E_NOTIMPL;
        if (!format || !medium)
            return E_POINTER;
        if (medium->tymed != TYMED_HGLOBAL || !medium->hGlobal)
            return DV_E_TYMED;
        Put(format->cfFormat, BytesOf(medium->hGlobal));
        if (release)
            ReleaseStgMedium(medium);
        return S_OK;
    }
    HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) override
    {
        if (!enumerator)
            return E_POINTER;
        *enumerator = nullptr;
        if (direction != DATADIR_GET)
            return E_NOTIMPL;
        std::vector<FORMATETC> list;
        for (const auto& [f, bytes] : Blocks) {
            FORMATETC e;
            e.cfFormat = f;
            list.push_back(e);
        }
        *enumerator = new TFormatEnumerator(std::move(list));
        return S_OK;
    }
    HRESULT DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT EnumDAdvise(IEnumSTATDATA** enumerator) override
    {
        if (enumerator)
            *enumerator = nullptr;
        return OLE_E_ADVISENOTSUPPORTED;
    }

    void Put(UINT format, std::vector<std::uint8_t> bytes)
    {
        for (auto& b : Blocks)
            if (b.first == format) {
                b.second = std::move(bytes);
                return;
            }
        Blocks.emplace_back(format, std::move(bytes));
    }

private:
    // Consumers ask with several media bits at once; HGLOBAL among them is enough.
    const std::vector<std::uint8_t>* Find(const FORMATETC* format) const
    {
        if (!(format->tymed & TYMED_HGLOBAL) || (format->dwAspect && format->dwAspect != DVASPECT_CONTENT))
            return nullptr;
        for (const auto& b : Blocks)
            if (b.first == format->cfFormat)
                return &b.second;
        return nullptr;
    }

    bool ReadOnly;
    std::vector<std::pair<UINT, std::vector<std::uint8_t>>> Blocks;
};

// ---- Drop-target registry ------------------------------------------------------------------------

std::map<HWND, IDropTarget*>& Targets()
{
    static std::map<HWND, IDropTarget*> targets;
    return targets;
}

int OleInitCount = 0;

// Text up to its terminator, given one.
std::vector<std::uint8_t> CutText(const std::vector<std::uint8_t>& b, std::size_t unit)
{
    std::size_t n = 0;
    while (n + unit <= b.size()) {
        bool zero = true;
        for (std::size_t i = 0; i < unit; ++i)
            zero = zero && b[n + i] == 0;
        if (zero)
            break;
        n += unit;
    }
    std::vector<std::uint8_t> out(b.begin(), b.begin() + std::ptrdiff_t(n));
    out.insert(out.end(), unit, 0);
    return out;
}

bool IsTextFormat(UINT f)
{
    static const UINT rtf = RegisterClipboardFormat("Rich Text Format");
    static const UINT html = RegisterClipboardFormat("HTML Format");
    static const UINT url = RegisterClipboardFormat("UniformResourceLocator");
    return f == CF_TEXT || f == CF_OEMTEXT || f == rtf || f == html || f == url;
}

// A file list whose names start inside the block, ended by an empty name (added when missing).
bool SaneDropFiles(std::vector<std::uint8_t>& b)
{
    if (b.size() < sizeof(DROPFILES))
        return false;
    DROPFILES head;
    std::memcpy(&head, b.data(), sizeof head);
    if (head.pFiles < sizeof(DROPFILES) || head.pFiles > b.size())
        return false;
    std::size_t unit = head.fWide ? 2 : 1;
    // Two zeros of the unit end the list; make sure they are there.
    std::size_t at = head.pFiles;
    for (;;) {
        std::size_t start = at;
        while (at + unit <= b.size() && !(b[at] == 0 && (unit == 1 || b[at + 1] == 0)))
            at += unit;
        if (at + unit > b.size()) {
            b.resize(start); // a name cut by the block's end is dropped
            b.insert(b.end(), unit, 0);
            return true;
        }
        if (at == start)
            return true; // the empty name
        at += unit;
    }
}

// Drags of other programs over our windows (the desktop backend's reports).
struct ForeignDrag {
    HWND Window = nullptr;
    OlePtr<IDropTarget> Target;
    OlePtr<IDataObject> Data;
};
ForeignDrag& Foreign()
{
    static ForeignDrag drag;
    return drag;
}

DWORD OnDesktopDrop(const DesktopDrag& d)
{
    ForeignDrag& f = Foreign();
    auto leave = [&] {
        OlePtr<IDropTarget> t = f.Target;
        f = ForeignDrag{};
        if (t)
            t->DragLeave();
    };
    if (d.Phase == DesktopDragPhase::Leave) {
        leave();
        return DROPEFFECT_NONE;
    }
    HWND window = nullptr;
    IDropTarget* target = FindDropTarget(WindowFromPoint(d.Screen), &window);
    DWORD effect = d.OkEffects;
    if (window != f.Window || !f.Target) {
        leave();
        if (!target)
            return DROPEFFECT_NONE;
        f.Window = window;
        f.Target = OlePtr<IDropTarget>::Share(target);
        f.Data = OlePtr<IDataObject>(ForeignDataObject(d.Data ? *d.Data : ClipboardFormats{}));
        if (FAILED(f.Target->DragEnter(f.Data.get(), d.KeyState, d.Screen, &effect)))
            effect = DROPEFFECT_NONE;
    } else if (d.Phase == DesktopDragPhase::Over) {
        if (FAILED(f.Target->DragOver(d.KeyState, d.Screen, &effect)))
            effect = DROPEFFECT_NONE;
    }
    if (d.Phase == DesktopDragPhase::Drop) {
        ForeignDrag done = f;
        f = ForeignDrag{};
        effect = d.OkEffects;
        if (FAILED(done.Target->Drop(done.Data.get(), d.KeyState, d.Screen, &effect)))
            effect = DROPEFFECT_NONE;
    }
    return effect & d.OkEffects;
}

} // namespace

IDropTarget* FindDropTarget(HWND hwnd, HWND* registered)
{
    for (HWND h = hwnd; h; h = (GetWindowLong(h, GWL_STYLE) & WS_CHILD) ? GetParent(h) : nullptr) {
        auto it = Targets().find(h);
        if (it != Targets().end()) {
            if (registered)
                *registered = h;
            return it->second;
        }
    }
    if (registered)
        *registered = nullptr;
    return nullptr;
}

namespace winlayer {
void RevokeDragDropOnDestroy(HWND h)
{
    auto it = Targets().find(h);
    if (it == Targets().end())
        return;
    IDropTarget* t = it->second;
    Targets().erase(it);
    t->Release();
}
} // namespace winlayer

HRESULT OleInitialize(void*)
{
    if (OleInitCount++ == 0)
        SetDesktopDropHandler(OnDesktopDrop);
    return OleInitCount == 1 ? S_OK : S_FALSE;
}

void OleUninitialize()
{
    if (OleInitCount > 0 && --OleInitCount == 0)
        SetDesktopDropHandler(nullptr);
}

HRESULT RegisterDragDrop(HWND hwnd, IDropTarget* target)
{
    if (!target)
        return E_INVALIDARG;
    if (!IsWindow(hwnd))
        return DRAGDROP_E_INVALIDHWND;
    if (Targets().count(hwnd))
        return DRAGDROP_E_ALREADYREGISTERED;
    target->AddRef();
    Targets()[hwnd] = target;
    return S_OK;
}

HRESULT RevokeDragDrop(HWND hwnd)
{
    auto it = Targets().find(hwnd);
    if (it == Targets().end())
        return IsWindow(hwnd) ? DRAGDROP_E_NOTREGISTERED : DRAGDROP_E_INVALIDHWND;
    IDropTarget* t = it->second;
    Targets().erase(it);
    t->Release();
    return S_OK;
}

IDataObject* CreateDataObject()
{
    return new TBlockDataObject();
}

HRESULT SetDataBytes(IDataObject* data, UINT format, const void* bytes, std::size_t size)
{
    if (!data)
        return E_POINTER;
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!h)
        return E_OUTOFMEMORY;
    if (size) {
        std::memcpy(GlobalLock(h), bytes, size);
        GlobalUnlock(h);
    }
    FORMATETC f;
    f.cfFormat = format;
    STGMEDIUM m;
    m.tymed = TYMED_HGLOBAL;
    m.hGlobal = h;
    HRESULT hr = data->SetData(&f, &m, TRUE);
    if (FAILED(hr))
        GlobalFree(h);
    return hr;
}

std::vector<std::uint8_t> GetDataBytes(IDataObject* data, UINT format)
{
    if (!data)
        return {};
    FORMATETC f;
    f.cfFormat = format;
    STGMEDIUM m;
    if (FAILED(data->GetData(&f, &m)))
        return {};
    std::vector<std::uint8_t> bytes;
    if (m.tymed == TYMED_HGLOBAL && m.hGlobal)
        bytes = BytesOf(m.hGlobal);
    ReleaseStgMedium(&m);
    return bytes;
}

IEnumFORMATETC* CreateFormatEnumerator(const std::vector<FORMATETC>& formats)
{
    return new TFormatEnumerator(formats);
}

IDataObject* ForeignDataObject(const ClipboardFormats& formats)
{
    auto* d = new TBlockDataObject(true);
    for (const auto& [format, bytes] : formats) {
        if (bytes.size() > MaxForeignBlock)
            continue;
        std::vector<std::uint8_t> b = bytes;
        if (IsTextFormat(format))
            b = CutText(b, 1);
        else if (format == CF_UNICODETEXT)
            b = CutText(b, 2);
        else if (format == CF_HDROP && !SaneDropFiles(b))
            continue;
        d->Put(format, std::move(b));
    }
    return d;
}

ClipboardFormats DataObjectFormats(IDataObject* data)
{
    ClipboardFormats out;
    OlePtr<IEnumFORMATETC> e;
    if (!data || FAILED(data->EnumFormatEtc(DATADIR_GET, e.out())) || !e)
        return out;
    FORMATETC f;
    ULONG got = 0;
    while (e->Next(1, &f, &got) == S_OK && got == 1) {
        if (!(f.tymed & TYMED_HGLOBAL))
            continue;
        f.tymed = TYMED_HGLOBAL;
        STGMEDIUM m;
        if (SUCCEEDED(data->GetData(&f, &m))) {
            if (m.tymed == TYMED_HGLOBAL && m.hGlobal)
                out[f.cfFormat] = BytesOf(m.hGlobal);
            ReleaseStgMedium(&m);
        }
    }
    return out;
}
