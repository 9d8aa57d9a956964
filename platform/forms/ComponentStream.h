#pragma once

// Binary component streaming over the published-property tables (TypInfo.h) and the class
// registry. TWriter::WriteComponent and TReader::ReadComponent (declared with the filers in
// platform/rtl/Filer.h) and TStream::WriteComponent / ReadComponent are defined with this file,
// because only this library knows the property tables.
//
// A component image is: the class name and the component name (short strings), the stored
// properties (name, typed value; nested persistent objects as dotted paths such as
// "Font.Name"; string lists as the list property "Strings"; pictures as the binary property
// "Data" holding the graphic's class name and its data; whatever DefineProperties adds), an end
// marker, the child components' images and a second end marker. A stream made by
// TStream::WriteComponent starts with the signature "TPF0".
//
// Reading is all or nothing for the component's own values: the whole image is read and checked
// against the tables first (unknown properties, values of the wrong type, enumeration or set
// members that do not exist, a cut stream), and only then applied, so a bad image raises
// EReadError and leaves the component as it was.

#include "platform/rtl/Components.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/Streams.h"

#include <functional>
#include <typeinfo>

// Makes a component of a registered class with the given owner.
using TComponentFactory = std::function<TComponent*(TComponent* Owner)>;

// Registers a class under its name (ASCII case ignored) so that streams can name it. Registering
// a name again replaces the factory.
void RegisterClass(const AnsiString& ClassName, TComponentFactory Factory);
// The class name of T as ClassName() gives it ("TGridCellIO").
AnsiString ClassNameOfType(const std::type_info& Type);
template <class T> void RegisterClass()
{
    RegisterClass(ClassNameOfType(typeid(T)), [](TComponent* Owner) -> TComponent* { return New<T>(Owner); });
}
void UnRegisterClass(const AnsiString& ClassName);
// The factory of a registered class, or an empty one.
TComponentFactory GetClass(const AnsiString& ClassName);
// As GetClass; raises EClassNotFound "Class <name> not found" for an unknown name.
TComponentFactory FindClass(const AnsiString& ClassName);
