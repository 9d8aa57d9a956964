#pragma once

#include <functional>
#include <string>
#include <type_traits>
#include <utility>

// The root of every class of the component libraries.
//
// Construction goes through New<T>(...), which runs AfterConstruction() once the constructor has
// finished, so that steps which must reach a descendant's overrides can run there.
class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    // The class name as written in the source, without namespaces ("TStringList").
    std::string ClassName() const;
    // True when ClassName() equals Name, compared without regard to ASCII case.
    bool ClassNameIs(const std::string& Name) const;
    // True when this object is a T or derives from it.
    template <class T> bool InheritsFrom() const
    {
        // Every object is a TObject: no cast to ask (its test of this against null would only
        // draw a warning).
        if constexpr (std::is_base_of_v<T, TObject>)
            return true;
        else
            return dynamic_cast<const T*>(this) != nullptr;
    }

    virtual void AfterConstruction() {}
    virtual void BeforeDestruction() {}

    // Deletes an object made by New<T>. Not for nullptr: use FreeAndNil where it may be null.
    void Free();
};

// The event type of every plain notification ("something changed", "clicked").
using TNotifyEvent = std::function<void(TObject* Sender)>;

// Creates a T on the heap and calls AfterConstruction().
template <class T, class... Args> T* New(Args&&... args)
{
    T* object = new T(std::forward<Args>(args)...);
    object->AfterConstruction();
    return object;
}

// Deletes the object and clears the pointer; does nothing on nullptr.
template <class T> void FreeAndNil(T*& Object)
{
    T* object = Object;
    Object = nullptr;
    if (object)
        object->Free();
}
