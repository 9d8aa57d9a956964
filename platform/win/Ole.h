#pragma once

// Reference-counted object interfaces, data objects and drag and drop.
//
// Interfaces are abstract classes with AddRef/Release/QueryInterface; an object implementing
// several derives from each and answers QueryInterface with the matching base. Data travels in
// STGMEDIUM blocks of global memory (TYMED_HGLOBAL only), formats are clipboard formats (the
// registered ones shared with the clipboard).
//
// DoDragDrop runs a modal loop on the user-interface thread: it takes the mouse, follows it over
// the windows registered with RegisterDragDrop (the nearest registered ancestor of the window
// under the pointer), asks the source whether to go on, and drops or cancels. On the desktop
// backend a drag that leaves our windows is handed to the desktop for other programs, and drags
// of other programs over our windows reach the registered targets with a data object of their
// own (its blocks checked and capped: see ForeignDataObject). On the headless backend tests
// script the pointer (SetDragScript); a drag with nothing left to do is cancelled.

#include "platform/win/Backend.h"
#include "platform/win/Clipboard.h"
#include "platform/win/Messages.h"
#include "platform/win/WinTypes.h"

#include <cstdint>
#include <functional>
#include <vector>

using HRESULT = std::int32_t;
using POINTL = POINT;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = HRESULT(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = HRESULT(0x80004002u);
inline constexpr HRESULT E_POINTER = HRESULT(0x80004003u);
inline constexpr HRESULT E_FAIL = HRESULT(0x80004005u);
inline constexpr HRESULT E_OUTOFMEMORY = HRESULT(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = HRESULT(0x80070057u);
inline constexpr HRESULT E_UNEXPECTED = HRESULT(0x8000FFFFu);
inline constexpr HRESULT DV_E_FORMATETC = HRESULT(0x80040064u);
inline constexpr HRESULT DV_E_TYMED = HRESULT(0x80040069u);
inline constexpr HRESULT OLE_E_ADVISENOTSUPPORTED = HRESULT(0x80040003u);
inline constexpr HRESULT DRAGDROP_S_DROP = 0x00040100;
inline constexpr HRESULT DRAGDROP_S_CANCEL = 0x00040101;
inline constexpr HRESULT DRAGDROP_S_USEDEFAULTCURSORS = 0x00040102;
inline constexpr HRESULT DRAGDROP_E_NOTREGISTERED = HRESULT(0x80040100u);
inline constexpr HRESULT DRAGDROP_E_ALREADYREGISTERED = HRESULT(0x80040101u);
inline constexpr HRESULT DRAGDROP_E_INVALIDHWND = HRESULT(0x80040102u);

inline bool SUCCEEDED(HRESULT hr)
{
    return hr >= 0;
}
inline bool FAILED(HRESULT hr)
{
    return hr < 0;
}

struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];
};
using IID = GUID;
using REFIID = const IID&;
bool operator==(const GUID& a, const GUID& b);

inline constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IDataObject = {0x0000010E, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IDropSource = {0x00000121, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IDropTarget = {0x00000122, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IEnumFORMATETC = {0x00000103, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

class IUnknown {
public:
    virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    virtual ~IUnknown() = default;
};

enum : DWORD { DVASPECT_CONTENT = 1, DVASPECT_THUMBNAIL = 2, DVASPECT_ICON = 4, DVASPECT_DOCPRINT = 8 };
enum : DWORD {
    TYMED_NULL = 0,
    TYMED_HGLOBAL = 1,
    TYMED_FILE = 2,
    TYMED_ISTREAM = 4,
    TYMED_ISTORAGE = 8,
    TYMED_GDI = 16,
    TYMED_MFPICT = 32,
    TYMED_ENHMF = 64
};
enum : DWORD { DATADIR_GET = 1, DATADIR_SET = 2 };
enum : DWORD { DROPEFFECT_NONE = 0, DROPEFFECT_COPY = 1, DROPEFFECT_MOVE = 2, DROPEFFECT_LINK = 4 };
enum : DWORD { MK_ALT = 0x20 };
// Standard formats beyond those of the clipboard module.
enum : UINT { CF_HDROP = 15 };

struct DVTARGETDEVICE;
struct FORMATETC {
    UINT cfFormat = 0;
    DVTARGETDEVICE* ptd = nullptr;
    DWORD dwAspect = DVASPECT_CONTENT;
    LONG lindex = -1;
    DWORD tymed = TYMED_HGLOBAL;
};
struct STGMEDIUM {
    DWORD tymed = TYMED_NULL;
    HGLOBAL hGlobal = nullptr;
    IUnknown* pUnkForRelease = nullptr;
};
// Frees the medium's block (or releases pUnkForRelease, which then owns it) and empties it.
void ReleaseStgMedium(STGMEDIUM* medium);

// The layout of a CF_HDROP block's header; the names follow it.
struct DROPFILES {
    DWORD pFiles; // offset of the first name from the block's start
    POINT pt;
    BOOL fNC;
    BOOL fWide;
};

class IEnumFORMATETC : public IUnknown {
public:
    virtual HRESULT Next(ULONG celt, FORMATETC* rgelt, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG celt) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumFORMATETC** enumerator) = 0;
};

class IAdviseSink;
class IEnumSTATDATA;

class IDataObject : public IUnknown {
public:
    virtual HRESULT GetData(FORMATETC* format, STGMEDIUM* medium) = 0;
    virtual HRESULT GetDataHere(FORMATETC* format, STGMEDIUM* medium) = 0;
    virtual HRESULT QueryGetData(FORMATETC* format) = 0;
    virtual HRESULT GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) = 0;
    virtual HRESULT SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) = 0;
    virtual HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) = 0;
    virtual HRESULT DAdvise(FORMATETC* format, DWORD advf, IAdviseSink* sink, DWORD* connection) = 0;
    virtual HRESULT DUnadvise(DWORD connection) = 0;
    virtual HRESULT EnumDAdvise(IEnumSTATDATA** enumerator) = 0;
};

class IDropSource : public IUnknown {
public:
    // DRAGDROP_S_DROP to drop, DRAGDROP_S_CANCEL to cancel, S_OK to go on.
    virtual HRESULT QueryContinueDrag(BOOL escapePressed, DWORD keyState) = 0;
    // S_OK when the source set the cursor, DRAGDROP_S_USEDEFAULTCURSORS for the standard ones.
    virtual HRESULT GiveFeedback(DWORD effect) = 0;
};

class IDropTarget : public IUnknown {
public:
    virtual HRESULT DragEnter(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) = 0;
    virtual HRESULT DragOver(DWORD keyState, POINTL pt, DWORD* effect) = 0;
    virtual HRESULT DragLeave() = 0;
    virtual HRESULT Drop(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) = 0;
};

// A reference that releases on destruction (AddRef on copy).
template <class T> class OlePtr {
public:
    OlePtr() = default;
    // Takes over a reference the caller already holds.
    explicit OlePtr(T* p) : P(p) {}
    OlePtr(const OlePtr& o) : P(o.P)
    {
        if (P)
            P->AddRef();
    }
    OlePtr& operator=(OlePtr o)
    {
        std::swap(P, o.P);
        return *this;
    }
    ~OlePtr()
    {
        if (P)
            P->Release();
    }
    // Shares p (AddRef).
    static OlePtr Share(T* p)
    {
        if (p)
            p->AddRef();
        return OlePtr(p);
    }
    T* get() const { return P; }
    T* operator->() const { return P; }
    explicit operator bool() const { return P != nullptr; }
    T** out()
    {
        *this = OlePtr();
        return &P;
    }

private:
    T* P = nullptr;
};

// The reference count of the objects made here; QueryInterface answers IID_IUnknown and the
// interfaces listed by Answers.
class TOleObjectBase {
protected:
    virtual ~TOleObjectBase() = default;
    ULONG DoAddRef() { return ++Refs; }
    ULONG DoRelease()
    {
        ULONG left = --Refs;
        if (left == 0)
            delete this;
        return left;
    }

private:
    ULONG Refs = 1;
};

// OleInitialize and OleUninitialize nest; the first call installs the bridge that brings drags
// of other programs to the registered targets.
HRESULT OleInitialize(void* reserved);
void OleUninitialize();

// RegisterDragDrop keeps a reference to target until RevokeDragDrop or the window's destruction.
HRESULT RegisterDragDrop(HWND hwnd, IDropTarget* target);
HRESULT RevokeDragDrop(HWND hwnd);
// The drop target registered for the window or its nearest registered ancestor (nullptr: none);
// registered receives that window.
IDropTarget* FindDropTarget(HWND hwnd, HWND* registered = nullptr);

// Runs the drag; *effect is what the drop did (DROPEFFECT_NONE when cancelled). Answers
// DRAGDROP_S_DROP or DRAGDROP_S_CANCEL, or E_INVALIDARG for a missing argument. An exception of a
// source or target cancels the drag and is passed on when the loop has ended.
HRESULT DoDragDrop(IDataObject* data, IDropSource* source, DWORD okEffects, DWORD* effect);

// A data object holding blocks of bytes by format (each offered with TYMED_HGLOBAL, listed in
// the order set). SetData with release takes the block over; GetData hands out a copy.
IDataObject* CreateDataObject();
// Puts bytes under a format of a data object made by CreateDataObject (or any that accepts
// SetData with HGLOBAL).
HRESULT SetDataBytes(IDataObject* data, UINT format, const void* bytes, std::size_t size);
// The bytes of a format (empty when the object does not have it).
std::vector<std::uint8_t> GetDataBytes(IDataObject* data, UINT format);
// Every format a data object offers in global memory, as bytes.
ClipboardFormats DataObjectFormats(IDataObject* data);
// An enumerator over a fixed list of formats.
IEnumFORMATETC* CreateFormatEnumerator(const std::vector<FORMATETC>& formats);

// A data object over blocks another program gave: text formats are cut at their terminator and
// given one, CF_HDROP blocks with offsets outside the block are dropped, every block is capped
// at MaxForeignBlock bytes. Read-only.
inline constexpr std::size_t MaxForeignBlock = std::size_t(64) << 20;
IDataObject* ForeignDataObject(const ClipboardFormats& formats);

// Scripted drags (headless): while a drag loop waits for input and none is queued, it calls the
// script, which injects input (InputMouseMove, InputMouseButton, InputKey) and answers false
// when it has nothing more; the drag is then cancelled. nullptr removes the script.
using DragScript = std::function<bool()>;
void SetDragScript(DragScript script);

// The cursors the loop shows for DRAGDROP_S_USEDEFAULTCURSORS (crDrag-like arrows).
HCURSOR DragCursorFor(DWORD effect);
