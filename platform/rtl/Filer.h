#pragma once

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Objects.h"
#include "platform/rtl/Types.h"

#include <functional>
#include <vector>

class TStream;
class TPersistent;
class TComponent;

// The binary component-stream format. A stream starts with the signature "TPF0"; each value is
// a one-byte TValueType followed by its data, little-endian:
//   vaInt8/16/32/64    the integer                      vaExtended  10-byte extended float
//   vaString, vaIdent  1-byte length + bytes            vaLString, vaUTF8String  4-byte length + bytes
//   vaWString          4-byte count + UTF-16 units      vaBinary    4-byte length + bytes
//   vaSingle 4 bytes, vaCurrency 8 bytes (value x 10000), vaDate 8-byte double
//   vaFalse, vaTrue, vaNil, vaNull   no data
//   vaSet      identifiers (1-byte length + bytes) ended by an empty one
//   vaList     values ended by vaNull
//   vaCollection  items, each an optional integer then vaList + properties + vaNull; ended by vaNull
// A property is its name (1-byte length + bytes) followed by its value.
enum TValueType {
    vaNull = 0,
    vaList = 1,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaExtended = 5,
    vaString = 6,
    vaIdent = 7,
    vaFalse = 8,
    vaTrue = 9,
    vaBinary = 10,
    vaSet = 11,
    vaLString = 12,
    vaNil = 13,
    vaCollection = 14,
    vaSingle = 15,
    vaCurrency = 16,
    vaDate = 17,
    vaWString = 18,
    vaInt64 = 19,
    vaUTF8String = 20,
};

class TReader;
class TWriter;

using TReaderProc = std::function<void(TReader* Reader)>;
using TWriterProc = std::function<void(TWriter* Writer)>;
using TStreamProc = std::function<void(TStream* Stream)>;

// What TReader and TWriter share: the stream, and the hooks through which a persistent object's
// DefineProperties stores data that is not a published property.
class TFiler : public TObject {
public:
    // The filer reads or writes Stream at its position; it does not own it. BufSize is accepted
    // for compatibility (the filer works on the stream directly, so the stream's position is
    // always exact).
    TFiler(TStream* Stream, Integer BufSize);

    // Reading: when the property being read is Name, calls ReadData.
    // Writing: when HasData, writes the property Name and calls WriteData to write its value.
    virtual void DefineProperty(const AnsiString& Name, TReaderProc ReadData, TWriterProc WriteData,
                                bool HasData) = 0;
    // As DefineProperty, for a value kept as vaBinary: the procedures see a stream holding
    // exactly the property's bytes.
    virtual void DefineBinaryProperty(const AnsiString& Name, TStreamProc ReadData, TStreamProc WriteData,
                                      bool HasData) = 0;

    TStream* Stream() const { return FStream; }
    // The object whose values are compared against when writing only differences (nullptr:
    // everything is written). DefineProperties implementations look at it to decide HasData.
    TPersistent* Ancestor() const { return FAncestor; }
    void SetAncestor(TPersistent* Value) { FAncestor = Value; }
    TComponent* Root() const { return FRoot; }
    void SetRoot(TComponent* Value) { FRoot = Value; }

protected:
    TStream* FStream;
    TPersistent* FAncestor = nullptr;
    TComponent* FRoot = nullptr;
};

class TWriter : public TFiler {
public:
    TWriter(TStream* Stream, Integer BufSize);

    void DefineProperty(const AnsiString& Name, TReaderProc ReadData, TWriterProc WriteData,
                        bool HasData) override;
    void DefineBinaryProperty(const AnsiString& Name, TStreamProc ReadData, TStreamProc WriteData,
                              bool HasData) override;

    void WriteSignature();
    void WriteValue(TValueType Value);
    // A property name (1 to 255 bytes); raises EWriteError for another length.
    void WritePropName(const AnsiString& PropName);
    // A short string without a type byte (at most 255 bytes; raises EWriteError otherwise).
    void WriteStr(const AnsiString& Value);

    // vaString when the text is ASCII and at most 255 bytes, vaLString when it is ASCII and
    // longer, vaUTF8String otherwise, so that no text is changed by a round trip.
    void WriteString(const AnsiString& Value);
    void WriteUTF8Str(const AnsiString& Value);
    void WriteWideString(const WideString& Value);
    // The smallest of vaInt8, vaInt16, vaInt32 and vaInt64 that holds Value.
    void WriteInteger(Int64 Value);
    void WriteBoolean(bool Value);
    void WriteFloat(Extended Value);
    void WriteSingle(Single Value);
    void WriteCurrency(Currency Value);
    void WriteDate(TDateTime Value);
    // vaFalse, vaTrue, vaNil and vaNull for "False", "True", "nil" and "Null" (any case),
    // vaIdent otherwise.
    void WriteIdent(const AnsiString& Ident);
    // A set: the names of its members.
    void WriteSet(const std::vector<AnsiString>& Members);
    void WriteBinary(const void* Data, Integer Size);
    void WriteListBegin();
    void WriteListEnd();
    // Starts a collection; each item then goes as WriteListBegin, its properties, WriteListEnd;
    // WriteListEnd ends the collection.
    void WriteCollectionBegin();
    // Writes the properties Instance streams through DefineProperties (the published ones are the
    // business of the component writer).
    void WriteDefinedProperties(TPersistent* Instance);

    // Component images (defined in platform/forms/ComponentStream.cpp, with the property tables):
    // the class and component name, the stored properties, the children. WriteDescendent and
    // WriteRootComponent put the signature first; Ancestor is accepted for compatibility and
    // must be nullptr (every stored property is written).
    void WriteComponent(TComponent* Component);
    // The stored properties of a persistent object, dotted under PropPath for nested ones.
    void WriteProperties(TPersistent* Instance);
    void WriteDescendent(TComponent* Root, TComponent* Ancestor);
    void WriteRootComponent(TComponent* Root);

    // The prefix written before every property name: the path of a nested persistent property
    // ("Font.") while its properties are written.
    const AnsiString& PropPath() const { return FPropPath; }
    void SetPropPath(const AnsiString& Value) { FPropPath = Value; }

private:
    void WriteBytes(const void* Data, Integer Size);

    AnsiString FPropPath;
};

class TReader : public TFiler {
public:
    TReader(TStream* Stream, Integer BufSize);

    // Calls ReadData when Name is the property being read (PropName) and marks it as read.
    void DefineProperty(const AnsiString& Name, TReaderProc ReadData, TWriterProc WriteData,
                        bool HasData) override;
    // The same for a vaBinary value.
    void DefineBinaryProperty(const AnsiString& Name, TStreamProc ReadData, TStreamProc WriteData,
                              bool HasData) override;

    // Raises EReadError "Invalid stream format" when the signature is missing.
    void ReadSignature();
    // Reads a type byte; raises EReadError for a byte that is no TValueType.
    TValueType ReadValue();
    // The type of the next value, without moving past it.
    TValueType NextValue();
    // True when the next value ends a list (vaNull).
    bool EndOfList();
    void CheckValue(TValueType Value);
    void ReadListBegin();
    void ReadListEnd();
    void ReadCollectionBegin();

    // Reads a property name and remembers it as PropName for DefineProperty.
    AnsiString ReadPropName();
    const AnsiString& PropName() const { return FPropName; }
    void SetPropName(const AnsiString& Value) { FPropName = Value; }
    // True once a DefineProperty call has read the current property.
    bool PropertyHandled() const { return FPropName.empty(); }
    // After ReadPropName: lets Instance read the property through its DefineProperties. Returns
    // false (with the value still unread) when Instance defines no property of that name.
    bool ReadDefinedProperty(TPersistent* Instance);
    // Reads a short string without a type byte.
    AnsiString ReadStr();

    // Each raises EReadError "Invalid property value" when the next value has another type.
    // Strings of any of the string kinds come back as UTF-8.
    AnsiString ReadString();
    WideString ReadWideString();
    // vaInt8, vaInt16 or vaInt32.
    Integer ReadInteger();
    // Any integer kind.
    Int64 ReadInt64();
    bool ReadBoolean();
    // vaExtended, or any integer kind.
    Extended ReadFloat();
    Single ReadSingle();
    Currency ReadCurrency();
    TDateTime ReadDate();
    // vaIdent, and "False", "True", "nil", "Null" for their own codes.
    AnsiString ReadIdent();
    std::vector<AnsiString> ReadSet();
    // The bytes of a vaBinary value.
    std::vector<Byte> ReadBinary();

    // Reads one component image into Component (nullptr: a new component of the registered
    // class the image names, owned by Root) and returns it. Defined in
    // platform/forms/ComponentStream.cpp; see there for what is checked before anything changes.
    TComponent* ReadComponent(TComponent* Component);
    // The signature, then ReadComponent.
    TComponent* ReadRootComponent(TComponent* Root);

    // Skips one value of any kind, lists and collections included. Raises EReadError on
    // malformed input or nesting deeper than the reader allows.
    void SkipValue();

private:
    void ReadBytes(void* Data, Integer Size);
    // Reads a 4-byte length and checks it against the bytes left in the stream.
    Integer ReadLength(Integer UnitSize);
    [[noreturn]] void PropValueError();
    void SkipValueAt(int Depth);

    AnsiString FPropName;
};
