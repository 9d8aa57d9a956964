#pragma once

// A small HTML document model over UTF-16 text: a tolerant parser building a tree of nodes, the
// way back from the tree to HTML and to plain text, and the conversions of character entities
// and web colours; and the measuring and drawing of a document on one line, with its links and
// pictures. The marquee's HTML items are parsed and drawn with it.
//
// Three kinds of node: the document (tag "HTML", no parent), elements (an upper-case tag name,
// attributes, and either children or their own text) and text nodes (no tag name, text only).
// An element whose only content is text holds that text itself.

#include "platform/forms/Graphics.h"

#include <functional>
#include <memory>
#include <vector>

class TSimpleHTML;
class TSimpleLinks;

// Layout flags carried in a canvas's TextFlags while a document is measured and drawn.
inline constexpr Integer htmlRightToLeft = 0x80;
inline constexpr Integer htmlRaised = Integer(0x80000000u);
inline constexpr Integer htmlLowered = 0x40000000;

// Whether Ch has a named entity, and its name (without "&" and ";").
bool EncodeWebChar(WideChar Ch, WideString& Name);
// Whether Name (without "&" and ";") decodes: "#" and decimal digits (the value taken modulo
// 65536, 0 not counting), or a named entity, case-sensitive.
bool DecodeWebChar(const WideString& Name, WideChar& Ch);
// Text with every decodable "&name;" replaced by its character; the rest stays as written.
WideString DecodeHtmlEntities(const WideString& Text);
// Text with every character that has a named entity written as that entity.
WideString EncodeHtmlEntities(const WideString& Text);
// "#RRGGBB", "#RGB", "$" and a colour number, or a colour identifier without "cl" in any case;
// Default for anything else.
TColor DecodeWebColor(const WideString& Text, TColor Default);
// The identifier without "cl" when the colour has one, else "#RRGGBB".
WideString EncodeWebColor(TColor Color);

class TSimpleHTMLNode : public TObject {
public:
    TSimpleHTMLNode(TSimpleHTMLNode* Parent, const WideString& TagName);
    ~TSimpleHTMLNode() override;
    TSimpleHTMLNode(const TSimpleHTMLNode&) = delete;
    TSimpleHTMLNode& operator=(const TSimpleHTMLNode&) = delete;

    TSimpleHTMLNode* Parent() const { return FParent; }
    const WideString& TagName() const { return FTagName; }
    const WideString& Text() const { return FText; }

    // The document this node belongs to; null for a tree not under a document.
    virtual TSimpleHTML* GetDocument();

    // The value of an attribute, the name looked up without regard to case; empty when absent.
    AnsiString GetAttributes(const AnsiString& Name) const;
    bool HasAttribute(const AnsiString& Name) const;

    Integer GetChildCount() const { return FChildren ? Integer(FChildren->size()) : 0; }
    // Index from 0 to GetChildCount() - 1; raises EListError outside.
    TSimpleHTMLNode* GetChildren(Integer Index) const;
    // The position among the parent's children; 0 without a parent.
    Integer GetIndex() const;
    bool HasChildren() const { return GetChildCount() > 0; }
    // Appends a child with this tag name, as given, and returns it (owned by this node).
    TSimpleHTMLNode* AddChild(const WideString& TagName);
    void RemoveChild(Integer Index);
    void RemoveAllChildren();

    WideString GetInnerText() const;
    WideString GetInnerHTML() const;
    WideString GetOuterHTML() const;

    // Parses Text into this node as the base of the tree. Never raises: false on a syntax
    // error, with the nodes built up to that point kept.
    bool Parse(const WideString& Text);

    // Applies this node's tag (FONT, B, I, SUP, DIR="RTL" …) to the canvas's font, brush and
    // layout flags. Callers keep the canvas's state around it (TCanvasRecall).
    void Prepare(TCanvas* Canvas);
    // Sets Size to the node's width and height on one line, in the state its ancestors left on
    // Canvas.
    void Extend(TCanvas* Canvas, TSize& Size);
    // Draws the node on one line inside Rect, from the left (or the right in right-to-left mode).
    void Draw(TCanvas* Canvas, const TRect& Rect);
    // Adds the rectangle of every A HREF link to Links as drawing would place it, moving Rect's
    // running edge past the node; returns how many were added.
    Integer GetLinks(TCanvas* Canvas, TRect& Rect, TSimpleLinks* Links);

    // Elements nested deeper than this end the parse as an error: a hostile text of endless
    // opening tags would otherwise exhaust the stack of every walk over the tree.
    static constexpr Integer MaxDepth = 512;

private:
    void AddAttribute(const AnsiString& Name, const AnsiString& Value);
    void RemoveAttribute(const AnsiString& Name);
    std::vector<AnsiString>::const_iterator FindAttribute(const AnsiString& Name) const;

    TSimpleHTMLNode* FParent;
    WideString FTagName;
    WideString FText;
    std::unique_ptr<std::vector<std::unique_ptr<TSimpleHTMLNode>>> FChildren;
    std::unique_ptr<std::vector<AnsiString>> FAttributes; // "name=value"
};

// Keeps a canvas's font, pen, brush, copy mode and text flags, and puts them back when destroyed.
class TCanvasRecall : public TObject {
public:
    explicit TCanvasRecall(TCanvas* Canvas);
    ~TCanvasRecall() override;
    TCanvasRecall(const TCanvasRecall&) = delete;
    TCanvasRecall& operator=(const TCanvasRecall&) = delete;

    void Store();
    void Retrieve();
    // Puts the old canvas's state back, then keeps the new one's.
    void SetReference(TCanvas* Canvas);

private:
    TCanvas* FCanvas;
    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TPen> FPen;
    std::unique_ptr<TBrush> FBrush;
    TCopyMode FCopyMode = 0;
    Integer FTextFlags = 0;
};

struct TImageCacheItem {
    std::unique_ptr<TImageCacheItem> Next;
    TPicture* Picture = nullptr;
    WideString Name;
};

using TImageCacheCallback = std::function<void(TObject* Sender, const WideString& URI, TPicture* Image,
                                               void* UserData, bool& Continue)>;

// Pictures by name (exact, case-sensitive) in 32 hashed chains. With Owning on, the cache frees
// the pictures it drops; otherwise they stay their creators'.
class TImageCache : public TObject {
public:
    static constexpr Integer BucketCount = 32;
    TImageCache() = default;
    ~TImageCache() override;
    TImageCache(const TImageCache&) = delete;
    TImageCache& operator=(const TImageCache&) = delete;

    bool Owning() const { return FOwning; }
    void SetOwning(bool Value) { FOwning = Value; }

    virtual Cardinal HashOf(const WideString& Name) const;
    // Puts Picture first in its chain: an earlier picture of the same name is shadowed, not
    // replaced, and shows again once the later one is deleted.
    void Add(const WideString& Name, TPicture* Picture);
    // The link that holds the first item of Name, or the empty end of its chain.
    std::unique_ptr<TImageCacheItem>* Find(const WideString& Name);
    TPicture* ImageOf(const WideString& Name);
    bool Modify(const WideString& Name, TPicture* Picture);
    bool Delete(const WideString& Name);
    void Clear();
    // Calls Callback for every item, chain by chain, until it clears Continue; returns the last
    // Continue (true without a callback).
    bool ForEach(const TImageCacheCallback& Callback, void* UserData);

private:
    void Drop(TPicture* Picture);

    std::unique_ptr<TImageCacheItem> FBuckets[BucketCount];
    bool FOwning = false;
};

// Link targets with the screen regions they cover (the regions owned by the list).
class TSimpleLinks : public TObject {
public:
    TSimpleLinks() = default;
    ~TSimpleLinks() override;
    TSimpleLinks(const TSimpleLinks&) = delete;
    TSimpleLinks& operator=(const TSimpleLinks&) = delete;

    Integer GetCount() const { return Integer(FLinks.size()); }
    // Index from 0 to GetCount() - 1; raises EListError outside.
    WideString GetLinks(Integer Index) const;
    HRGN GetRegions(Integer Index) const;
    TRect GetBounds(Integer Index) const;
    void Add(const WideString& Target, const TRect& Rect);
    // Takes the region over.
    void Add(const WideString& Target, HRGN Region);
    // The first link added whose region holds the point, or -1.
    Integer IndexOfLinkAt(Integer X, Integer Y) const;
    void Clear();

private:
    struct TLink {
        AnsiString Target; // UTF-8
        HRGN Region;
    };
    const TLink& At(Integer Index) const;
    std::vector<TLink> FLinks;
};

using TGetImageEvent = std::function<void(TObject* Sender, const WideString& URI, TPicture* Image)>;
using TAdvanceGetImageEvent = std::function<TPicture*(TObject* Sender, const WideString& URI)>;

class TSimpleHTML : public TSimpleHTMLNode {
public:
    // Parses Text at once; Parsed() tells whether the whole text was read.
    explicit TSimpleHTML(const WideString& Text);

    ~TSimpleHTML() override;

    TSimpleHTML* GetDocument() override { return this; }
    bool Parsed() const { return FParsed; }

    // The picture of an IMG's SRC: OnAdvanceGetImage's answer when assigned; otherwise the one
    // cached under the lower-cased URI, made on first use by OnGetImage or from the file of that
    // name. The document owns the pictures it caches.
    TPicture* GetImage(const WideString& URI);
    // The link pass over a copy of Rect.
    Integer CollectLinks(TCanvas* Canvas, const TRect& Rect, TSimpleLinks* Links);

    TGetImageEvent OnGetImage;
    TAdvanceGetImageEvent OnAdvanceGetImage;

private:
    bool FParsed = false;
    std::unique_ptr<TImageCache> FImageCache;
};

// Draws Text as a document on one line inside Rect, clipped to it; the canvas's clipping is left
// as it was.
void DrawHTML(TCanvas* Canvas, const TRect& Rect, const WideString& Text);
