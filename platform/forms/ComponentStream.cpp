#include "platform/forms/ComponentStream.h"
#include "platform/rtl/Guards.h"

#include "platform/forms/Controls.h"
#include "platform/forms/Graphics.h"
#include "platform/forms/TypInfo.h"
#include "platform/rtl/StringLists.h"
#include "platform/rtl/Strings.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cxxabi.h>
#include <memory>
#include <vector>

namespace {

// Deeper nesting of child components than any form has is taken as a corrupt stream, so that
// a crafted one cannot exhaust the stack.
constexpr int MaxChildDepth = 32;
// Flags byte before a class name (inherited / child position / inline); only read past.
constexpr Byte FlagsMask = 0xF0;
constexpr Byte ffChildPos = 0x02;

struct ClassEntry {
    AnsiString Name;
    TComponentFactory Factory;
};

std::vector<ClassEntry>& Classes()
{
    static std::vector<ClassEntry> List;
    return List;
}

[[noreturn]] void ReadFault(const AnsiString& Message)
{
    throw EReadError(Message);
}

// A stored property value: its name and the bytes of its value, type byte first.
struct StoredValue {
    AnsiString Name;
    std::vector<Byte> Bytes;
    TValueType Type() const { return static_cast<TValueType>(Bytes.at(0)); }
};

struct ComponentImage {
    AnsiString ClassName;
    AnsiString Name;
    std::vector<StoredValue> Values;
    std::vector<ComponentImage> Children;
};

std::vector<Byte> StreamBytes(TStream* S, Int64 From, Int64 To)
{
    std::vector<Byte> bytes(static_cast<std::size_t>(To - From));
    Int64 back = S->Position();
    S->SetPosition(From);
    if (!bytes.empty())
        S->ReadBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
    S->SetPosition(back);
    return bytes;
}

ComponentImage ParseImage(TReader& R, int Depth)
{
    if (Depth > MaxChildDepth)
        ReadFault("Invalid stream format");
    TStream* S = R.Stream();
    ComponentImage image;
    Byte first = S->ReadByte();
    if ((first & FlagsMask) == FlagsMask) {
        if (first & ffChildPos)
            R.ReadInteger();
    } else {
        S->Seek(-1, soCurrent);
    }
    image.ClassName = R.ReadStr();
    if (image.ClassName.empty())
        ReadFault("Invalid stream format");
    image.Name = R.ReadStr();
    while (!R.EndOfList()) {
        StoredValue v;
        v.Name = R.ReadPropName();
        Int64 at = S->Position();
        R.SkipValue();
        v.Bytes = StreamBytes(S, at, S->Position());
        image.Values.push_back(std::move(v));
    }
    R.ReadListEnd();
    while (!R.EndOfList())
        image.Children.push_back(ParseImage(R, Depth + 1));
    R.ReadListEnd();
    return image;
}

// A reader over one stored value's bytes.
struct ValueReader {
    explicit ValueReader(const std::vector<Byte>& Bytes) : Reader(&Data, 0)
    {
        Data.WriteBuffer(Bytes.data(), static_cast<Integer>(Bytes.size()));
        Data.SetPosition(0);
    }
    TMemoryStream Data;
    TReader Reader;
};

// Records the names DefineProperties declares, without reading or writing anything.
class TProbeFiler : public TFiler {
public:
    TProbeFiler() : TFiler(&Dummy, 0) {}
    void DefineProperty(const AnsiString& Name, TReaderProc, TWriterProc, bool) override
    {
        Names.push_back({Name, false});
    }
    void DefineBinaryProperty(const AnsiString& Name, TStreamProc, TStreamProc, bool) override
    {
        Names.push_back({Name, true});
    }
    std::vector<std::pair<AnsiString, bool>> Names;

private:
    TMemoryStream Dummy;
};

// The picture classes a "Data" value of a TPicture may name.
std::unique_ptr<TGraphic> NewGraphicNamed(const AnsiString& Name)
{
    for (const char* ext : {"bmp", "ico", "jpg", "jpeg", "png", "emf", "wmf"})
        if (TGraphicClass make = TPicture::FileFormatClass(ext)) {
            std::unique_ptr<TGraphic> g(make());
            if (g && SameText(g->ClassName(), Name))
                return g;
        }
    return nullptr;
}

// Where a dotted property name lands.
enum class TargetKind { Table, Defined, DefinedBinary, Strings, PictureData };
struct Target {
    TPersistent* Object = nullptr;
    const TPropInfo* Info = nullptr;
    TargetKind Kind = TargetKind::Table;
    AnsiString Name; // the last part of the path
};

Target Resolve(TPersistent* Root, const AnsiString& Path)
{
    TPersistent* obj = Root;
    std::size_t start = 0;
    for (;;) {
        std::size_t dot = Path.find('.', start);
        AnsiString part = Path.substr(start, dot == AnsiString::npos ? AnsiString::npos : dot - start);
        if (part.empty())
            ReadFault("Invalid property path " + Path);
        if (dot == AnsiString::npos) {
            Target t;
            t.Object = obj;
            t.Name = part;
            if (const TPropInfo* info = GetPropInfo(obj, part); info && info->Kind != tkClass) {
                t.Info = info;
                return t;
            }
            if (dynamic_cast<TStrings*>(obj) && SameText(part, "Strings")) {
                t.Kind = TargetKind::Strings;
                return t;
            }
            if (dynamic_cast<TPicture*>(obj) && SameText(part, "Data")) {
                t.Kind = TargetKind::PictureData;
                return t;
            }
            TProbeFiler probe;
            obj->DefineProperties(&probe);
            for (const auto& [name, binary] : probe.Names)
                if (SameText(name, part)) {
                    t.Kind = binary ? TargetKind::DefinedBinary : TargetKind::Defined;
                    return t;
                }
            ReadFault("Error reading " + Root->ClassName() + "." + Path + ": Property " + part +
                      " does not exist");
        }
        const TPropInfo* info = GetPropInfo(obj, part);
        TPersistent* nested =
            info && info->Kind == tkClass && info->GetObject ? info->GetObject(obj) : nullptr;
        if (!nested || dynamic_cast<TComponent*>(nested))
            ReadFault("Error reading " + Root->ClassName() + "." + Path + ": Property " + part +
                      " does not exist");
        obj = nested;
        start = dot + 1;
    }
}

Integer NameIndex(const std::vector<AnsiString>& Names, const AnsiString& Name)
{
    for (std::size_t i = 0; i < Names.size(); ++i)
        if (SameText(Names[i], Name))
            return static_cast<Integer>(i);
    return -1;
}

bool IsIntegerType(TValueType t)
{
    return t == vaInt8 || t == vaInt16 || t == vaInt32 || t == vaInt64;
}

// Checks a value against where it lands; returns nothing, raises EReadError when it does not fit.
void Check(const Target& T, const StoredValue& V, const AnsiString& Owner)
{
    auto bad = [&]() { ReadFault("Error reading " + Owner + "." + V.Name + ": Invalid property value"); };
    ValueReader r(V.Bytes);
    try {
        switch (T.Kind) {
        case TargetKind::Table:
            switch (T.Info->Kind) {
            case tkInteger: {
                if (!IsIntegerType(V.Type()))
                    bad();
                Int64 n = r.Reader.ReadInt64();
                if (n < INT32_MIN || n > UINT32_MAX)
                    bad();
                if (!T.Info->SetOrd)
                    bad();
                break;
            }
            case tkInt64:
                if (!IsIntegerType(V.Type()) || !T.Info->SetOrd)
                    bad();
                break;
            case tkEnumeration:
                if ((V.Type() != vaIdent && V.Type() != vaFalse && V.Type() != vaTrue) || !T.Info->SetOrd ||
                    NameIndex(T.Info->Names, r.Reader.ReadIdent()) < 0)
                    bad();
                break;
            case tkSet:
                if (V.Type() != vaSet || !T.Info->SetOrd)
                    bad();
                for (const AnsiString& m : r.Reader.ReadSet())
                    if (NameIndex(T.Info->Names, m) < 0 || NameIndex(T.Info->Names, m) >= 64)
                        bad();
                break;
            case tkString:
                if (!T.Info->SetStr)
                    bad();
                r.Reader.ReadString();
                break;
            case tkFloat:
                if (!T.Info->SetFloat)
                    bad();
                if (V.Type() == vaSingle)
                    r.Reader.ReadSingle();
                else if (V.Type() == vaDate)
                    r.Reader.ReadDate();
                else if (V.Type() == vaCurrency)
                    r.Reader.ReadCurrency();
                else
                    r.Reader.ReadFloat();
                break;
            case tkClass:
                bad();
            }
            break;
        case TargetKind::Strings:
            r.Reader.ReadListBegin();
            while (!r.Reader.EndOfList())
                r.Reader.ReadString();
            r.Reader.ReadListEnd();
            break;
        case TargetKind::PictureData: {
            std::vector<Byte> data = r.Reader.ReadBinary();
            if (data.empty() || data[0] + 1u > data.size() ||
                !NewGraphicNamed(AnsiString(reinterpret_cast<const char*>(&data[1]), data[0])))
                bad();
            break;
        }
        case TargetKind::DefinedBinary:
            if (V.Type() != vaBinary)
                bad();
            break;
        case TargetKind::Defined:
            break; // only the object that defines it knows its form
        }
    } catch (const EReadError&) {
        throw;
    } catch (const Exception&) {
        bad();
    }
}

void Apply(const Target& T, const StoredValue& V)
{
    ValueReader r(V.Bytes);
    TReader& R = r.Reader;
    TObject* obj = T.Object;
    switch (T.Kind) {
    case TargetKind::Table:
        switch (T.Info->Kind) {
        case tkInteger:
        case tkInt64:
            T.Info->SetOrd(obj, R.ReadInt64());
            break;
        case tkEnumeration:
            T.Info->SetOrd(obj, NameIndex(T.Info->Names, R.ReadIdent()));
            break;
        case tkSet: {
            Int64 mask = 0;
            for (const AnsiString& m : R.ReadSet())
                mask |= Int64(1) << NameIndex(T.Info->Names, m);
            T.Info->SetOrd(obj, mask);
            break;
        }
        case tkString:
            T.Info->SetStr(obj, R.ReadString());
            break;
        case tkFloat:
            if (V.Type() == vaSingle)
                T.Info->SetFloat(obj, R.ReadSingle());
            else if (V.Type() == vaDate)
                T.Info->SetFloat(obj, R.ReadDate());
            else if (V.Type() == vaCurrency)
                T.Info->SetFloat(obj, static_cast<Extended>(R.ReadCurrency()));
            else
                T.Info->SetFloat(obj, R.ReadFloat());
            break;
        case tkClass:
            break;
        }
        break;
    case TargetKind::Strings: {
        auto* list = static_cast<TStrings*>(T.Object);
        std::vector<AnsiString> lines;
        R.ReadListBegin();
        while (!R.EndOfList())
            lines.push_back(R.ReadString());
        R.ReadListEnd();
        list->BeginUpdate();
        list->Clear();
        for (const AnsiString& s : lines)
            list->Add(s);
        list->EndUpdate();
        break;
    }
    case TargetKind::PictureData: {
        std::vector<Byte> data = R.ReadBinary();
        std::unique_ptr<TGraphic> g =
            NewGraphicNamed(AnsiString(reinterpret_cast<const char*>(&data[1]), data[0]));
        TMemoryStream body;
        if (data.size() > data[0] + 1u)
            body.WriteBuffer(&data[data[0] + 1u], static_cast<Integer>(data.size() - data[0] - 1u));
        body.SetPosition(0);
        if (body.Size() > 0)
            g->LoadFromStream(&body);
        static_cast<TPicture*>(T.Object)->SetGraphic(g.get());
        break;
    }
    case TargetKind::Defined:
    case TargetKind::DefinedBinary:
        R.SetPropName(T.Name);
        if (!R.ReadDefinedProperty(T.Object))
            ReadFault("Error reading " + V.Name + ": Property " + T.Name + " does not exist");
        break;
    }
}

bool IsIdent(const AnsiString& S)
{
    if (S.empty() || !(std::isalpha(static_cast<unsigned char>(S[0])) || S[0] == '_'))
        return false;
    for (char c : S)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_'))
            return false;
    return true;
}

// A checked image of Component: every value's landing place, and the children's.
struct CheckedImage {
    TComponent* Component = nullptr; // nullptr: made from the class when applied
    const ComponentImage* Image = nullptr;
    std::vector<Target> Targets;
    std::vector<CheckedImage> Children;
    std::unique_ptr<TComponent> Scratch; // a stand-in instance used only for checking
};

TComponent* ChildOf(TComponent* Root, const AnsiString& Name)
{
    return Root && !Name.empty() ? Root->FindComponent(Name) : nullptr;
}

CheckedImage CheckImage(TComponent* Component, TComponent* Root, const ComponentImage& Image)
{
    CheckedImage c;
    c.Component = Component;
    c.Image = &Image;
    TComponent* subject = Component;
    if (!subject) {
        TComponentFactory make = FindClass(Image.ClassName);
        c.Scratch.reset(make(nullptr));
        subject = c.Scratch.get();
    } else if (!SameText(subject->ClassName(), Image.ClassName)) {
        ReadFault("The stream holds a " + Image.ClassName + ", not a " + subject->ClassName());
    }
    if (!Image.Name.empty()) {
        if (!IsIdent(Image.Name))
            ReadFault("'" + Image.Name + "' is not a valid component name");
        TComponent* owner = Component ? Component->Owner() : Root;
        if (TComponent* other = owner ? owner->FindComponent(Image.Name) : nullptr;
            other && other != Component)
            ReadFault("A component named " + Image.Name + " already exists");
    }
    for (const StoredValue& v : Image.Values) {
        Target t = Resolve(subject, v.Name);
        Check(t, v, Image.ClassName);
        c.Targets.push_back(t);
    }
    for (const ComponentImage& child : Image.Children) {
        TComponent* existing = ChildOf(Component, child.Name);
        c.Children.push_back(CheckImage(existing, Component ? Component : subject, child));
    }
    return c;
}

} // namespace

// ---- Class registry --------------------------------------------------------------------------

AnsiString ClassNameOfType(const std::type_info& Type)
{
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(
        abi::__cxa_demangle(Type.name(), nullptr, nullptr, &status), std::free);
    std::string name = (status == 0 && demangled) ? demangled.get() : Type.name();
    if (auto angle = name.find('<'); angle != std::string::npos)
        name.erase(angle);
    if (auto colon = name.rfind("::"); colon != std::string::npos)
        name.erase(0, colon + 2);
    return name;
}

void RegisterClass(const AnsiString& ClassName, TComponentFactory Factory)
{
    for (ClassEntry& e : Classes())
        if (SameText(e.Name, ClassName)) {
            e.Factory = std::move(Factory);
            return;
        }
    Classes().push_back({ClassName, std::move(Factory)});
}

void UnRegisterClass(const AnsiString& ClassName)
{
    auto& list = Classes();
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const ClassEntry& e) { return SameText(e.Name, ClassName); }),
               list.end());
}

TComponentFactory GetClass(const AnsiString& ClassName)
{
    for (const ClassEntry& e : Classes())
        if (SameText(e.Name, ClassName))
            return e.Factory;
    return {};
}

TComponentFactory FindClass(const AnsiString& ClassName)
{
    TComponentFactory f = GetClass(ClassName);
    if (!f)
        throw EClassNotFound("Class " + ClassName + " not found");
    return f;
}

// ---- Writing -----------------------------------------------------------------------------------

void TWriter::WriteProperties(TPersistent* Instance)
{
    for (const TPropInfo* p : GetPropList(Instance)) {
        if (p->Kind == tkClass) {
            TPersistent* nested = p->GetObject ? p->GetObject(Instance) : nullptr;
            // Components are referred to by name in forms; none of our streams needs that.
            if (!nested || dynamic_cast<TComponent*>(nested) || !p->Stored)
                continue;
            AnsiString saved = FPropPath;
            FPropPath = saved + p->Name + ".";
            WriteProperties(nested);
            FPropPath = saved;
            continue;
        }
        if (!IsStoredProp(Instance, p))
            continue;
        switch (p->Kind) {
        case tkInteger:
        case tkInt64:
            WritePropName(p->Name);
            WriteInteger(p->GetOrd(Instance));
            break;
        case tkEnumeration: {
            Int64 v = p->GetOrd(Instance);
            if (v < 0 || v >= static_cast<Int64>(p->Names.size()))
                throw EWriteError("Invalid value of property " + p->Name);
            WritePropName(p->Name);
            WriteIdent(p->Names[static_cast<std::size_t>(v)]);
            break;
        }
        case tkSet: {
            Int64 mask = p->GetOrd(Instance);
            std::vector<AnsiString> members;
            for (std::size_t i = 0; i < p->Names.size() && i < 64; ++i)
                if (mask & (Int64(1) << i))
                    members.push_back(p->Names[i]);
            WritePropName(p->Name);
            WriteSet(members);
            break;
        }
        case tkString: {
            AnsiString s = p->GetStr(Instance);
            if (s.empty())
                break;
            WritePropName(p->Name);
            WriteString(s);
            break;
        }
        case tkFloat: {
            Extended f = p->GetFloat(Instance);
            if (f == 0)
                break;
            WritePropName(p->Name);
            WriteFloat(f);
            break;
        }
        case tkClass:
            break;
        }
    }
    if (auto* list = dynamic_cast<TStrings*>(Instance)) {
        if (list->Count() > 0) {
            WritePropName("Strings");
            WriteListBegin();
            for (Integer i = 0; i < list->Count(); ++i)
                WriteString(list->Strings(i));
            WriteListEnd();
        }
    } else if (auto* pic = dynamic_cast<TPicture*>(Instance)) {
        if (TGraphic* g = pic->Graphic(); g && !g->Empty()) {
            TMemoryStream data;
            AnsiString cls = g->ClassName();
            Byte len = static_cast<Byte>(cls.size());
            data.WriteBuffer(&len, 1);
            data.WriteBuffer(cls.data(), len);
            g->SaveToStream(&data);
            WritePropName("Data");
            WriteBinary(data.Memory(), static_cast<Integer>(data.Size()));
        }
    }
    WriteDefinedProperties(Instance);
}

void TWriter::WriteComponent(TComponent* Component)
{
    TComponent* savedRoot = FRoot;
    if (!FRoot)
        FRoot = Component;
    Component->IncludeState(csWriting);
    TScopeExit Written([this, Component, savedRoot] {
        Component->ExcludeState(csWriting);
        FRoot = savedRoot;
    });
    WriteStr(Component->ClassName());
    WriteStr(Component->Name());
    AnsiString savedPath = FPropPath;
    FPropPath.clear();
    WriteProperties(Component);
    FPropPath = savedPath;
    WriteListEnd();
    Component->GetChildren([this](TComponent* Child) { WriteComponent(Child); }, FRoot);
    WriteListEnd();
}

void TWriter::WriteDescendent(TComponent* Root, TComponent* Ancestor)
{
    if (Ancestor)
        throw EWriteError("Writing the differences to an ancestor is not supported");
    WriteSignature();
    FRoot = Root;
    WriteComponent(Root);
}

void TWriter::WriteRootComponent(TComponent* Root)
{
    WriteDescendent(Root, nullptr);
}

void TStream::WriteComponent(TComponent* Instance)
{
    TWriter writer(this, 4096);
    writer.WriteDescendent(Instance, nullptr);
}

// ---- Reading -----------------------------------------------------------------------------------

TComponent* TReader::ReadComponent(TComponent* Component)
{
    ComponentImage image = ParseImage(*this, 0);
    CheckedImage checked = CheckImage(Component, FRoot, image);
    std::vector<TComponent*> loaded, made;
    // Nothing has changed up to here; a setter that still refuses a value is the only way out
    // below, and components made for the image are then freed again.
    std::function<void(CheckedImage&, TComponent*)> apply = [&](CheckedImage& C, TComponent* Root) {
        TComponent* comp = C.Component;
        if (!comp) {
            comp = FindClass(C.Image->ClassName)(Root);
            made.push_back(comp);
            if (auto* control = dynamic_cast<TControl*>(comp))
                if (auto* parent = dynamic_cast<TWinControl*>(Root))
                    control->SetParent(parent);
        }
        loaded.push_back(comp);
        comp->IncludeState(csLoading);
        comp->IncludeState(csReading);
        if (comp->Name() != C.Image->Name)
            comp->SetName(C.Image->Name);
        for (std::size_t i = 0; i < C.Targets.size(); ++i) {
            // Checked against a stand-in instance: land on the real one now.
            Target t = C.Scratch ? Resolve(comp, C.Image->Values[i].Name) : C.Targets[i];
            Apply(t, C.Image->Values[i]);
        }
        for (CheckedImage& child : C.Children)
            apply(child, comp);
    };
    TScopeExit Undo([&loaded, &made] {
        for (TComponent* c : loaded) {
            c->ExcludeState(csLoading);
            c->ExcludeState(csReading);
        }
        for (auto it = made.rbegin(); it != made.rend(); ++it)
            (*it)->Free();
    });
    apply(checked, Component ? Component->Owner() : FRoot);
    Undo.Dismiss();
    for (TComponent* c : loaded) {
        c->ExcludeState(csReading);
        c->ExcludeState(csLoading);
        c->Loaded();
    }
    return loaded.front();
}

TComponent* TReader::ReadRootComponent(TComponent* Root)
{
    ReadSignature();
    if (!FRoot)
        FRoot = Root;
    TComponent* result = ReadComponent(Root);
    if (!FRoot)
        FRoot = result;
    return result;
}

TComponent* TStream::ReadComponent(TComponent* Instance)
{
    TReader reader(this, 4096);
    return reader.ReadRootComponent(Instance);
}
