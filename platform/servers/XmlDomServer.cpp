// "Microsoft.XMLDOM": XML documents on libxml2.

#include "platform/servers/Servers.h"

#include "platform/rtl/Strings.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <unordered_map>

namespace {

struct DocHolder {
    xmlDocPtr Doc = nullptr;
    ~DocHolder()
    {
        if (Doc)
            xmlFreeDoc(Doc);
    }
};
using Doc = std::shared_ptr<DocHolder>;

bool Is(const AnsiString& a, const char* b)
{
    return SameText(a, b);
}

AnsiString Utf8(const xmlChar* s)
{
    return s ? AnsiString(reinterpret_cast<const char*>(s)) : AnsiString();
}

AnsiString ContentOf(xmlNodePtr n)
{
    xmlChar* c = xmlNodeGetContent(n);
    AnsiString s = Utf8(c);
    xmlFree(c);
    return s;
}

bool BlankText(xmlNodePtr n)
{
    if (n->type != XML_TEXT_NODE)
        return false;
    for (const xmlChar* p = n->content; p && *p; ++p)
        if (*p != ' ' && *p != '\t' && *p != '\r' && *p != '\n')
            return false;
    return true;
}

// The DOM's own children: elements, text (whitespace-only text is not kept, as the DOM does not
// preserve white space by default), CDATA, comments and processing instructions.
std::vector<xmlNodePtr> ChildrenOf(xmlNodePtr n)
{
    std::vector<xmlNodePtr> out;
    if (n->type == XML_ATTRIBUTE_NODE)
        return out;
    for (xmlNodePtr c = n->children; c; c = c->next)
        if ((c->type == XML_ELEMENT_NODE || c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE ||
             c->type == XML_COMMENT_NODE || c->type == XML_PI_NODE) &&
            !BlankText(c))
            out.push_back(c);
    return out;
}

struct FirstError {
    bool Seen = false;
    Integer Code = 0, Line = 0;
    AnsiString Message;
};

void KeepFirstError(void* data, xmlErrorPtr e)
{
    auto* f = static_cast<FirstError*>(data);
    if (f->Seen || !e || e->level < XML_ERR_ERROR)
        return;
    f->Seen = true;
    f->Code = e->code;
    f->Line = e->line;
    f->Message = e->message ? e->message : "";
}

// Entity references are kept as references and expanded when a text is asked for. A small file can
// hold a large entity used many times over (or entities made of other entities); a document whose
// references would add more text than this is refused at load, as the parser bounds one text.
constexpr std::size_t kMaxEntityText = 10000000;

// Counts the text that entity references add to a document, each entity's expansion measured once.
class EntityBudget {
public:
    // The first reference that goes over the bound, or nullptr when the document stays within it.
    xmlNodePtr Overrun(xmlNodePtr n)
    {
        for (; n; n = n->next) {
            if (n->type == XML_ENTITY_REF_NODE) {
                Added += Expansion(xmlGetDocEntity(n->doc, n->name));
                if (Added > kMaxEntityText)
                    return n;
            } else if (n->type == XML_ELEMENT_NODE) {
                for (xmlAttrPtr a = n->properties; a; a = a->next)
                    if (xmlNodePtr over = Overrun(a->children))
                        return over;
                if (xmlNodePtr over = Overrun(n->children))
                    return over;
            }
        }
        return nullptr;
    }

private:
    // The length of an entity's text with the references inside it expanded, capped just past
    // the bound; an entity that refers to itself counts as over it.
    std::size_t Expansion(xmlEntityPtr e)
    {
        if (!e)
            return 0;
        auto [at, fresh] = Sizes.try_emplace(e, kMaxEntityText + 1);
        if (!fresh)
            return at->second;
        std::size_t size =
            e->children ? Measure(e->children) : std::size_t(std::max(0, xmlStrlen(e->content)));
        Sizes[e] = size;
        return size;
    }
    std::size_t Measure(xmlNodePtr n)
    {
        std::size_t size = 0;
        for (; n && size <= kMaxEntityText; n = n->next) {
            if (n->type == XML_ENTITY_REF_NODE)
                size += Expansion(xmlGetDocEntity(n->doc, n->name));
            else if (n->type == XML_ELEMENT_NODE) {
                for (xmlAttrPtr a = n->properties; a; a = a->next)
                    size += Measure(a->children);
                size += Measure(n->children);
            } else if (n->content)
                size += xmlStrlen(n->content);
        }
        return std::min(size, kMaxEntityText + 1);
    }

    std::unordered_map<xmlEntityPtr, std::size_t> Sizes;
    std::size_t Added = 0;
};

class XmlNode;
Variant NodeVariant(const Doc& d, xmlNodePtr n);

class XmlNodeList : public TAutoObject {
public:
    XmlNodeList(Doc d, std::vector<xmlNodePtr> nodes) : D(std::move(d)), Nodes(std::move(nodes)) {}
    Variant Invoke(const AnsiString& Name, int, const std::vector<Variant>& Args,
                   const std::vector<TNamedArg>& Named) override
    {
        if (Is(Name, "length"))
            return Integer(Nodes.size());
        if (Is(Name, "item")) {
            Integer i = Arg(Args, Named, 0, "index").AsInteger();
            if (i < 0 || i >= Integer(Nodes.size()))
                return Variant::Null();
            return NodeVariant(D, Nodes[std::size_t(i)]);
        }
        UnknownMember(Name);
    }

private:
    AnsiString ServerName() const override { return "msxml"; }
    Doc D;
    std::vector<xmlNodePtr> Nodes;
};

class XmlNode : public TAutoObject {
public:
    XmlNode(Doc d, xmlNodePtr n) : D(std::move(d)), N(n) {}
    Variant Invoke(const AnsiString& Name, int, const std::vector<Variant>&,
                   const std::vector<TNamedArg>&) override
    {
        if (Is(Name, "nodeName")) {
            switch (N->type) {
            case XML_TEXT_NODE:
                return AnsiString("#text");
            case XML_CDATA_SECTION_NODE:
                return AnsiString("#cdata-section");
            case XML_COMMENT_NODE:
                return AnsiString("#comment");
            default:
                if (N->ns && N->ns->prefix)
                    return Utf8(N->ns->prefix) + ":" + Utf8(N->name);
                return Utf8(N->name);
            }
        }
        if (Is(Name, "text") || Is(Name, "nodeValue"))
            return ContentOf(N);
        if (Is(Name, "childNodes"))
            return AutoVariant(std::make_shared<XmlNodeList>(D, ChildrenOf(N)));
        if (Is(Name, "hasChildNodes"))
            return !ChildrenOf(N).empty();
        if (Is(Name, "attributes")) {
            if (N->type != XML_ELEMENT_NODE)
                return Variant::Null();
            std::vector<xmlNodePtr> attrs;
            for (xmlAttrPtr a = N->properties; a; a = a->next)
                attrs.push_back(reinterpret_cast<xmlNodePtr>(a));
            return AutoVariant(std::make_shared<XmlNodeList>(D, std::move(attrs)));
        }
        UnknownMember(Name);
    }

private:
    AnsiString ServerName() const override { return "msxml"; }
    Doc D;
    xmlNodePtr N;
};

Variant NodeVariant(const Doc& d, xmlNodePtr n)
{
    return AutoVariant(std::make_shared<XmlNode>(d, n));
}

class XmlParseError : public TAutoObject {
public:
    XmlParseError(Integer code, Integer line, AnsiString reason)
        : Code(code), Line(line), Reason(std::move(reason))
    {
    }
    Variant Invoke(const AnsiString& Name, int, const std::vector<Variant>&,
                   const std::vector<TNamedArg>&) override
    {
        if (Is(Name, "errorCode"))
            return Code;
        if (Is(Name, "line"))
            return Line;
        if (Is(Name, "reason"))
            return Reason;
        UnknownMember(Name);
    }

private:
    Integer Code, Line;
    AnsiString Reason;
};

class XmlDocument : public TAutoObject {
public:
    Variant Invoke(const AnsiString& Name, int Kind, const std::vector<Variant>& Args,
                   const std::vector<TNamedArg>& Named) override
    {
        if (Is(Name, "load"))
            return Load(Arg(Args, Named, 0, "xmlSource").AsString());
        if (Is(Name, "parseError"))
            return AutoVariant(std::make_shared<XmlParseError>(Code, Line, Reason));
        if (Is(Name, "documentElement")) {
            xmlNodePtr root = D->Doc ? xmlDocGetRootElement(D->Doc) : nullptr;
            return root ? NodeVariant(D, root) : Variant::Null();
        }
        UnknownMember(Name);
    }

private:
    AnsiString ServerName() const override { return "msxml"; }

    bool Load(const AnsiString& FileName)
    {
        D = std::make_shared<DocHolder>();
        Code = Line = 0;
        Reason.clear();
        // The first error is the one to report (later ones follow from it); nothing is printed.
        xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
        if (!ctxt) {
            Code = XML_ERR_NO_MEMORY;
            Reason = "out of memory";
            return false;
        }
        FirstError first;
        xmlSetStructuredErrorFunc(&first, KeepFirstError);
        // No network, no entity substitution (so no external or recursive expansion), and errors
        // kept for parseError instead of printed.
        D->Doc = xmlCtxtReadFile(ctxt, FileName.c_str(), nullptr,
                                 XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
        xmlNodePtr overrun = D->Doc && ctxt->wellFormed ? EntityBudget().Overrun(D->Doc->children) : nullptr;
        if (overrun) {
            first.Seen = true;
            first.Code = XML_ERR_ENTITY_LOOP;
            first.Line = Integer(xmlGetLineNo(overrun));
            first.Message = "the entity references expand to more text than a document may hold";
        }
        if (!D->Doc || !ctxt->wellFormed || overrun) {
            const xmlError* e = xmlCtxtGetLastError(ctxt);
            Code = first.Seen ? first.Code : e && e->code ? e->code : XML_ERR_DOCUMENT_EMPTY;
            Line = first.Seen ? first.Line : e ? e->line : 0;
            Reason = first.Seen        ? first.Message
                     : e && e->message ? AnsiString(e->message)
                                       : AnsiString("the document could not be read");
            while (!Reason.empty() && (Reason.back() == '\n' || Reason.back() == ' '))
                Reason.pop_back();
            if (D->Doc) {
                xmlFreeDoc(D->Doc);
                D->Doc = nullptr;
            }
        }
        xmlFreeParserCtxt(ctxt);
        xmlSetStructuredErrorFunc(nullptr, nullptr);
        return D->Doc != nullptr;
    }

    Doc D = std::make_shared<DocHolder>();
    Integer Code = 0, Line = 0;
    AnsiString Reason;
};

} // namespace

std::shared_ptr<TAutoObject> NewXmlDocument()
{
    return std::make_shared<XmlDocument>();
}
