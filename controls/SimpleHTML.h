#pragma once

// A small HTML document model over UTF-16 text: a tolerant parser building a tree of nodes, the
// way back from the tree to HTML and to plain text, and the conversions of character entities
// and web colours. The marquee's HTML items are parsed with it.
//
// Three kinds of node: the document (tag "HTML", no parent), elements (an upper-case tag name,
// attributes, and either children or their own text) and text nodes (no tag name, text only).
// An element whose only content is text holds that text itself.

#include "platform/forms/Graphics.h"

#include <functional>
#include <memory>
#include <vector>

class TSimpleHTML;

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

using TGetImageEvent = std::function<void(TObject* Sender, const WideString& URI, TPicture* Image)>;
using TAdvanceGetImageEvent = std::function<TPicture*(TObject* Sender, const WideString& URI)>;

class TSimpleHTML : public TSimpleHTMLNode {
public:
    // Parses Text at once; Parsed() tells whether the whole text was read.
    explicit TSimpleHTML(const WideString& Text);

    TSimpleHTML* GetDocument() override { return this; }
    bool Parsed() const { return FParsed; }

    TGetImageEvent OnGetImage;
    TAdvanceGetImageEvent OnAdvanceGetImage;

private:
    bool FParsed = false;
};
