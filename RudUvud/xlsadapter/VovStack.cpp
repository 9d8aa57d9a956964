#include "RudUvud/xlsadapter/VovStack.h"

#include "RudUvud/xlsadapter/XlsFormulaMessages.h"
#include "RudUvud/xlsadapter/XlsMessages.h"

using namespace zivXlsFormulaMessages;

void TStringStack::Push(const WideString& Text)
{
    FItems.push_back(Text);
}

void TStringStack::Pop(WideString& Text)
{
    if (FItems.empty())
        XlsError(ErrStringStackEmpty);
    Text = std::move(FItems.back());
    FItems.pop_back();
}

void TStringStack::Peek(WideString& Text) const
{
    if (FItems.empty())
        XlsError(ErrStringStackEmpty);
    Text = FItems.back();
}

void TFormulaStack::Push(const WideString& Text)
{
    TStringStack::Push(Text);
    PendingSpaces.clear();
    PendingOpenSpaces.clear();
    PendingCloseSpaces.clear();
}

void TWhiteSpaceStack::Push(const TWhiteSpace& Ws)
{
    FItems.push_back(Ws);
}

void TWhiteSpaceStack::Pop(TWhiteSpace& Ws)
{
    if (FItems.empty())
        XlsError(ErrWhiteSpaceStackEmpty);
    Ws = FItems.back();
    FItems.pop_back();
}

void TWhiteSpaceStack::Peek(TWhiteSpace& Ws) const
{
    if (FItems.empty())
        XlsError(ErrWhiteSpaceStackEmpty);
    Ws = FItems.back();
}
