#pragma once

#include "platform/rtl/Objects.h"
#include "platform/rtl/Types.h"

#include <vector>

// The stacks of the formula encoder and decoder.

// Texts; Peek and Pop on an empty stack raise "String Stack is empty".
class TStringStack : public TObject {
public:
    virtual void Push(const WideString& Text);
    void Pop(WideString& Text);
    void Peek(WideString& Text) const;
    Integer Count() const { return static_cast<Integer>(FItems.size()); }
    bool AtLeast(Integer N) const { return Count() >= N; }

protected:
    std::vector<WideString> FItems;
};

// The decoder's stack: the spaces a space attribute announced wait here for the next push.
class TFormulaStack : public TStringStack {
public:
    WideString PendingSpaces;
    WideString PendingOpenSpaces;
    WideString PendingCloseSpaces;
    // Pushes, then forgets every pending space: an attribute applies to the next token only.
    void Push(const WideString& Text) override;
};

// Spaces read before a token: their number (at most 255) and their BIFF8 attribute kind (0 before
// a token, 2 before an opening parenthesis, 4 before a closing one).
struct TWhiteSpace {
    Byte SpaceCount = 0;
    Byte SpaceKind = 0;
};

// Peek and Pop on an empty stack raise "WhiteSpace Stack is empty".
class TWhiteSpaceStack : public TObject {
public:
    virtual void Push(const TWhiteSpace& Ws);
    void Pop(TWhiteSpace& Ws);
    void Peek(TWhiteSpace& Ws) const;
    Integer Count() const { return static_cast<Integer>(FItems.size()); }
    bool AtLeast(Integer N) const { return Count() >= N; }

private:
    std::vector<TWhiteSpace> FItems;
};
