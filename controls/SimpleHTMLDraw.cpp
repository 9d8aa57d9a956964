// Measuring, drawing and link finding of a simple HTML document on one line, and the helpers they
// use: the canvas recall that scopes each node's font and flags to its subtree, the picture cache
// and the link list.

#include "controls/SimpleHTML.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Guards.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Colors.h"
#include "platform/win/Gdi.h"

#include <algorithm>
#include <cmath>

namespace {

Integer IntAttribute(const TSimpleHTMLNode* Node, const char* Name, Integer Default)
{
    return StrToIntDef(Node->GetAttributes(Name), Default);
}

Integer Percent(Integer Size, Integer Percent)
{
    return Integer(std::nearbyint(Size * Percent / 100.0));
}

bool Flag(TCanvas* Canvas, Integer Bit)
{
    return (Canvas->TextFlags() & Bit) != 0;
}

// Moves the running edge of Rect past a node Width wide.
void Advance(TCanvas* Canvas, TRect& Rect, Integer Width)
{
    if (Flag(Canvas, htmlRightToLeft))
        Rect.Right -= Width;
    else
        Rect.Left += Width;
}

// The top of something Height high placed in Rect as the layout flags say.
Integer PlacedTop(TCanvas* Canvas, const TRect& Rect, Integer Height, Integer Space)
{
    if (Flag(Canvas, htmlRaised))
        return Rect.Top + Space;
    if (Flag(Canvas, htmlLowered))
        return Rect.Bottom - Height - Space;
    return (Rect.Top + Rect.Bottom - Height) / 2;
}

struct TImageBox {
    TPicture* Picture = nullptr;
    Integer Width = 0, Height = 0, HSpace = 0, VSpace = 0;
};

// An IMG element's picture and size; a source that yields no picture measures nothing.
TImageBox ImageBox(TSimpleHTMLNode* Node)
{
    TImageBox Box;
    TSimpleHTML* Document = Node->GetDocument();
    Box.Picture = Document ? Document->GetImage(UTF8Decode(Node->GetAttributes("SRC"))) : nullptr;
    if (!Box.Picture)
        return Box;
    Box.Width = Node->HasAttribute("WIDTH") ? IntAttribute(Node, "WIDTH", 0) : Box.Picture->Width();
    Box.Height = Node->HasAttribute("HEIGHT") ? IntAttribute(Node, "HEIGHT", 0) : Box.Picture->Height();
    Box.HSpace = IntAttribute(Node, "HSPACE", 0);
    Box.VSpace = IntAttribute(Node, "VSPACE", 0);
    return Box;
}

} // namespace

// ---- TCanvasRecall ------------------------------------------------------------------------------

TCanvasRecall::TCanvasRecall(TCanvas* Canvas)
    : FCanvas(Canvas), FFont(std::make_unique<TFont>()), FPen(std::make_unique<TPen>()),
      FBrush(std::make_unique<TBrush>())
{
    Store();
}

TCanvasRecall::~TCanvasRecall()
{
    Retrieve();
}

void TCanvasRecall::Store()
{
    if (!FCanvas)
        return;
    FFont->Assign(FCanvas->Font());
    FPen->Assign(FCanvas->Pen());
    FBrush->Assign(FCanvas->Brush());
    FCopyMode = FCanvas->CopyMode();
    FTextFlags = FCanvas->TextFlags();
}

void TCanvasRecall::Retrieve()
{
    if (!FCanvas)
        return;
    FCanvas->SetFont(FFont.get());
    FCanvas->SetPen(FPen.get());
    FCanvas->SetBrush(FBrush.get());
    FCanvas->SetCopyMode(FCopyMode);
    FCanvas->SetTextFlags(FTextFlags);
}

void TCanvasRecall::SetReference(TCanvas* Canvas)
{
    Retrieve();
    FCanvas = Canvas;
    Store();
}

// ---- TImageCache --------------------------------------------------------------------------------

TImageCache::~TImageCache()
{
    Clear();
}

Cardinal TImageCache::HashOf(const WideString& Name) const
{
    Cardinal Hash = 0;
    for (WideChar C : Name)
        Hash = ((Hash << 2) | (Hash >> 30)) ^ C;
    return Hash;
}

void TImageCache::Drop(TPicture* Picture)
{
    if (FOwning && Picture)
        Picture->Free();
}

std::unique_ptr<TImageCacheItem>* TImageCache::Find(const WideString& Name)
{
    std::unique_ptr<TImageCacheItem>* Link = &FBuckets[HashOf(Name) % BucketCount];
    while (*Link && (*Link)->Name != Name)
        Link = &(*Link)->Next;
    return Link;
}

void TImageCache::Add(const WideString& Name, TPicture* Picture)
{
    std::unique_ptr<TImageCacheItem>& Head = FBuckets[HashOf(Name) % BucketCount];
    auto Item = std::make_unique<TImageCacheItem>();
    Item->Picture = Picture;
    Item->Name = Name;
    Item->Next = std::move(Head);
    Head = std::move(Item);
}

TPicture* TImageCache::ImageOf(const WideString& Name)
{
    const std::unique_ptr<TImageCacheItem>* Link = Find(Name);
    return *Link ? (*Link)->Picture : nullptr;
}

bool TImageCache::Modify(const WideString& Name, TPicture* Picture)
{
    std::unique_ptr<TImageCacheItem>* Link = Find(Name);
    if (!*Link)
        return false;
    if ((*Link)->Picture != Picture)
        Drop((*Link)->Picture);
    (*Link)->Picture = Picture;
    return true;
}

bool TImageCache::Delete(const WideString& Name)
{
    std::unique_ptr<TImageCacheItem>* Link = Find(Name);
    if (!*Link)
        return false;
    std::unique_ptr<TImageCacheItem> Item = std::move(*Link);
    *Link = std::move(Item->Next);
    Drop(Item->Picture);
    return true;
}

void TImageCache::Clear()
{
    for (std::unique_ptr<TImageCacheItem>& Head : FBuckets)
        while (Head) {
            std::unique_ptr<TImageCacheItem> Item = std::move(Head);
            Head = std::move(Item->Next);
            Drop(Item->Picture);
        }
}

bool TImageCache::ForEach(const TImageCacheCallback& Callback, void* UserData)
{
    bool Continue = true;
    if (!Callback)
        return Continue;
    for (std::unique_ptr<TImageCacheItem>& Head : FBuckets)
        for (TImageCacheItem* Item = Head.get(); Item; Item = Item->Next.get()) {
            Callback(this, Item->Name, Item->Picture, UserData, Continue);
            if (!Continue)
                return false;
        }
    return Continue;
}

// ---- TSimpleLinks -------------------------------------------------------------------------------

TSimpleLinks::~TSimpleLinks()
{
    Clear();
}

const TSimpleLinks::TLink& TSimpleLinks::At(Integer Index) const
{
    if (Index < 0 || Index >= GetCount())
        TList::Error("List index out of bounds (%d)", Index);
    return FLinks[std::size_t(Index)];
}

WideString TSimpleLinks::GetLinks(Integer Index) const
{
    return UTF8Decode(At(Index).Target);
}

HRGN TSimpleLinks::GetRegions(Integer Index) const
{
    return At(Index).Region;
}

TRect TSimpleLinks::GetBounds(Integer Index) const
{
    RECT Box{};
    GetRgnBox(At(Index).Region, &Box);
    return Box;
}

void TSimpleLinks::Add(const WideString& Target, const TRect& Rect)
{
    Add(Target, CreateRectRgn(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom));
}

void TSimpleLinks::Add(const WideString& Target, HRGN Region)
{
    FLinks.push_back(TLink{UTF8Encode(Target), Region});
}

Integer TSimpleLinks::IndexOfLinkAt(Integer X, Integer Y) const
{
    for (std::size_t I = 0; I < FLinks.size(); ++I)
        if (PtInRegion(FLinks[I].Region, X, Y))
            return Integer(I);
    return -1;
}

void TSimpleLinks::Clear()
{
    for (const TLink& Link : FLinks)
        DeleteObject(Link.Region);
    FLinks.clear();
}

// ---- Nodes on a canvas --------------------------------------------------------------------------

void TSimpleHTMLNode::Prepare(TCanvas* Canvas)
{
    if (HasAttribute("DIR")) {
        const AnsiString Dir = GetAttributes("DIR");
        if (SameText(Dir, "RTL"))
            Canvas->SetTextFlags(Canvas->TextFlags() | htmlRightToLeft);
        else if (SameText(Dir, "LTR"))
            Canvas->SetTextFlags(Canvas->TextFlags() & ~htmlRightToLeft);
    }
    TFont* Font = Canvas->Font();
    const WideString& Tag = FTagName;
    if (Tag == u"FONT") {
        if (HasAttribute("FACE"))
            Font->SetName(GetAttributes("FACE"));
        if (HasAttribute("SIZE")) {
            const AnsiString Size = GetAttributes("SIZE");
            if (Size[0] == '+' || Size[0] == '-')
                Font->SetSize(Font->Size() + StrToIntDef(Size, 0));
            else
                Font->SetSize(StrToIntDef(Size, Font->Size()));
        }
        if (HasAttribute("COLOR"))
            Font->SetColor(DecodeWebColor(UTF8Decode(GetAttributes("COLOR")), Font->Color()));
        if (HasAttribute("BGCOLOR"))
            Canvas->Brush()->SetColor(
                DecodeWebColor(UTF8Decode(GetAttributes("BGCOLOR")), Canvas->Brush()->Color()));
    } else if (Tag == u"B" || Tag == u"STRONG") {
        Font->SetStyle(Font->Style() + TFontStyles{fsBold});
    } else if (Tag == u"I") {
        Font->SetStyle(Font->Style() + TFontStyles{fsItalic});
    } else if (Tag == u"U") {
        Font->SetStyle(Font->Style() + TFontStyles{fsUnderline});
    } else if (Tag == u"S" || Tag == u"STRIKE") {
        Font->SetStyle(Font->Style() + TFontStyles{fsStrikeOut});
    } else if (Tag == u"SUP") {
        Font->SetSize(Percent(Font->Size(), 70));
        Canvas->SetTextFlags(Canvas->TextFlags() | htmlRaised);
    } else if (Tag == u"SUB") {
        Font->SetSize(Percent(Font->Size(), 70));
        Canvas->SetTextFlags(Canvas->TextFlags() | htmlLowered);
    } else if (Tag == u"SMALL") {
        Font->SetSize(Percent(Font->Size(), 75));
    } else if (Tag == u"BIG") {
        Font->SetSize(Percent(Font->Size(), 125));
    }
}

void TSimpleHTMLNode::Extend(TCanvas* Canvas, TSize& Size)
{
    const TCanvasRecall Recall(Canvas);
    Prepare(Canvas);
    Size = TSize{0, 0};
    if (HasChildren()) {
        for (const auto& Child : *FChildren) {
            TSize ChildSize;
            Child->Extend(Canvas, ChildSize);
            Size.cx += ChildSize.cx;
            Size.cy = std::max(Size.cy, ChildSize.cy);
        }
    } else if (FTagName == u"IMG") {
        const TImageBox Box = ImageBox(this);
        if (Box.Picture)
            Size = TSize{Box.Width + 2 * Box.HSpace, Box.Height + 2 * Box.VSpace};
    } else if (!FText.empty()) {
        Size = Canvas->TextExtent(UTF8Encode(FText));
    }
}

void TSimpleHTMLNode::Draw(TCanvas* Canvas, const TRect& Rect)
{
    const TCanvasRecall Recall(Canvas);
    Prepare(Canvas);
    if (HasChildren()) {
        TRect Running = Rect;
        for (const auto& Child : *FChildren) {
            Child->Draw(Canvas, Running);
            TSize Size;
            Child->Extend(Canvas, Size);
            Advance(Canvas, Running, Size.cx);
        }
    } else if (FTagName == u"IMG") {
        const TImageBox Box = ImageBox(this);
        if (!Box.Picture || !Box.Picture->Graphic() || Box.Picture->Graphic()->Empty())
            return;
        const Integer Left =
            Flag(Canvas, htmlRightToLeft) ? Rect.Right - Box.Width - Box.HSpace : Rect.Left + Box.HSpace;
        const Integer Top = PlacedTop(Canvas, Rect, Box.Height, Box.VSpace);
        Canvas->StretchDraw(Bounds(Left, Top, Box.Width, Box.Height), Box.Picture->Graphic());
    } else if (!FText.empty()) {
        UINT Format = DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP;
        Format |= Flag(Canvas, htmlRaised) ? DT_TOP : Flag(Canvas, htmlLowered) ? DT_BOTTOM : DT_VCENTER;
        if (Flag(Canvas, htmlRightToLeft))
            Format |= DT_RIGHT | DT_RTLREADING;
        // A solid brush fills behind the text, so a BGCOLOR shows.
        Canvas->RequiredState(TCanvasState{csHandleValid, csFontValid, csBrushValid});
        RECT R = Rect;
        DrawTextW(Canvas->Handle(), FText.data(), int(FText.size()), &R, Format);
    }
}

Integer TSimpleHTMLNode::GetLinks(TCanvas* Canvas, TRect& Rect, TSimpleLinks* Links)
{
    const TCanvasRecall Recall(Canvas);
    Prepare(Canvas);
    if (FTagName == u"A" && HasAttribute("HREF")) {
        TSize Size;
        Extend(Canvas, Size);
        const bool RightToLeft = Flag(Canvas, htmlRightToLeft);
        const Integer Left = RightToLeft ? Rect.Right - Size.cx : Rect.Left;
        Integer Top;
        if (Flag(Canvas, htmlRaised))
            Top = Rect.Top;
        else if (Flag(Canvas, htmlLowered))
            Top = Rect.Bottom - Size.cy;
        else
            Top = Rect.Top + (Rect.Bottom - Rect.Top - Size.cy) / 2;
        Links->Add(UTF8Decode(GetAttributes("HREF")), Bounds(Left, Top, Size.cx, Size.cy));
        Advance(Canvas, Rect, Size.cx);
        return 1;
    }
    if (HasChildren()) {
        Integer Count = 0;
        for (const auto& Child : *FChildren)
            Count += Child->GetLinks(Canvas, Rect, Links);
        return Count;
    }
    TSize Size;
    Extend(Canvas, Size);
    Advance(Canvas, Rect, Size.cx);
    return 0;
}

// ---- Document -----------------------------------------------------------------------------------

TSimpleHTML::~TSimpleHTML() = default;

TPicture* TSimpleHTML::GetImage(const WideString& URI)
{
    if (OnAdvanceGetImage)
        return OnAdvanceGetImage(this, URI);
    if (!FImageCache) {
        FImageCache = std::make_unique<TImageCache>();
        // The pictures made here are the document's own.
        FImageCache->SetOwning(true);
    }
    const WideString Key = WideLowerCase(URI);
    if (TPicture* Cached = FImageCache->ImageOf(Key))
        return Cached;
    TPicture* Picture = New<TPicture>();
    FImageCache->Add(Key, Picture);
    if (OnGetImage) {
        OnGetImage(this, URI, Picture);
    } else {
        const AnsiString FileName = UTF8Encode(URI);
        if (!FileName.empty() && FileExists(FileName)) {
            try {
                Picture->LoadFromFile(FileName);
            } catch (const Exception&) {
                // A picture that cannot be read shows as nothing.
            }
        }
    }
    return Picture;
}

Integer TSimpleHTML::CollectLinks(TCanvas* Canvas, const TRect& Rect, TSimpleLinks* Links)
{
    TRect Running = Rect;
    return GetLinks(Canvas, Running, Links);
}

void DrawHTML(TCanvas* Canvas, const TRect& Rect, const WideString& Text)
{
    HDC Dc = Canvas->Handle();
    const TOwnedRegion Saved(CreateRectRgn(0, 0, 0, 0));
    const bool HadClip = GetClipRgn(Dc, Saved.get()) == 1;
    IntersectClipRect(Dc, Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);
    const TScopeExit ClipBack([&] { SelectClipRgn(Dc, HadClip ? Saved.get() : nullptr); });
    TSimpleHTML Document(Text);
    Document.Draw(Canvas, Rect);
}
