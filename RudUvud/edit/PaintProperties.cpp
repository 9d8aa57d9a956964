// Property accessors of painting over its state blocks.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/edit/GridPaintState.h"

Integer TDidAririzEvar::PaintsDone() const
{
    return FPaint.Paints;
}

TGridPaintState& TDidAririzEvar::PaintState()
{
    return FPaint;
}

bool TDidAririzEvar::SaveDisplayText() const
{
    return FPaint.SaveDisplayText;
}

void TDidAririzEvar::SetSaveDisplayText(bool V)
{
    FPaint.SaveDisplayText = V;
}

bool TDidAririzEvar::SaveHTMLMarkup() const
{
    return FPaint.SaveHTMLMarkup;
}

void TDidAririzEvar::SetSaveHTMLMarkup(bool V)
{
    FPaint.SaveHTMLMarkup = V;
}

bool TDidAririzEvar::EnhTextSize() const
{
    return FPaint.EnhTextSize;
}

bool TDidAririzEvar::URLShow() const
{
    return FPaint.URLShow;
}

bool TDidAririzEvar::URLFull() const
{
    return FPaint.URLFull;
}

bool TDidAririzEvar::EnableBlink() const
{
    return FPaint.EnableBlink;
}

void TDidAririzEvar::SetEnableBlink(bool V)
{
    FPaint.EnableBlink = V;
}

bool TDidAririzEvar::Hovering() const
{
    return FPaint.Hovering;
}

void TDidAririzEvar::SetHovering(bool V)
{
    FPaint.Hovering = V;
}

void TDidAririzEvar::StartUpdate()
{
    ++FPaint.UpdateCount;
}

bool TDidAririzEvar::GetLockFlag() const
{
    return FPaint.UpdateCount != 0;
}

Integer TDidAririzEvar::UpdateLockCount() const
{
    return FPaint.UpdateCount;
}

const AnsiString& TDidAririzEvar::LookupBuffer() const
{
    return FPaint.LookupBuffer;
}

Integer TDidAririzEvar::TimerTicks() const
{
    return FPaint.TimerTicks;
}

bool TDidAririzEvar::BlinkPhase() const
{
    return FPaint.BlinkPhase;
}

bool TDidAririzEvar::AutoGotoIncremental() const
{
    return FNavigation->AutoGotoIncremental;
}

void TDidAririzEvar::SetAutoGotoIncremental(bool V)
{
    FNavigation->AutoGotoIncremental = V;
}
