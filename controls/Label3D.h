#pragma once

// TLabel3D: a label whose caption stands out raised, recessed or with a drop shadow, turned by
// any angle, inside an optional flat or 3-D border, shortened with an ellipsis when asked, and
// optionally a web or e-mail link that underlines and recolours itself under the mouse and opens
// its address when clicked. The whole look is in Paint and DoDrawText; the link behaviour is in
// the mouse handlers and Click.

#include "platform/forms/StdCtrls.h"

enum TBorderType { btDefault, btRecessed, btRaised };
// The track bar's tick styles own the name tsNone.
namespace Label3D {
enum TTextStyle { tsNone, tsRaised, tsLightRaised, tsRecessed, tsHeavyRecessed, tsShadow };
}
using Label3D::TTextStyle;
enum TLabelStyle { lsDefault, lsWWWAddress, lsEMailAddress };
enum TEllipsesStyle { esNone, esEnd, esPath };

class TLabel3D : public TCustomLabel {
public:
    using enum Label3D::TTextStyle;

    explicit TLabel3D(TComponent* AOwner);

    TColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(TColor Value);
    TPenStyle BorderPenStyle() const { return FBorderPenStyle; }
    void SetBorderPenStyle(TPenStyle Value);
    Integer BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(Integer Value);
    bool Border() const { return FBorder; }
    void SetBorder(bool Value);
    TBorderType BorderType() const { return FBorderType; }
    void SetBorderType(TBorderType Value);
    // The text angle in degrees, counter-clockwise, kept within 0..360.
    Integer Escapement() const { return FEscapement; }
    void SetEscapement(Integer Value);
    TTextStyle TextStyle() const { return FTextStyle; }
    void SetTextStyle(TTextStyle Value);
    TLabelStyle LabelStyle() const { return FLabelStyle; }
    void SetLabelStyle(TLabelStyle Value) { FLabelStyle = Value; }
    // The web address or e-mail address a link label opens.
    const AnsiString& Address() const { return FAddress; }
    void SetAddress(const AnsiString& Value) { FAddress = Value; }
    // Anything but esNone turns AutoSize off first: a label that grows never needs shortening.
    TEllipsesStyle EllipsesStyle() const { return FEllipsesStyle; }
    void SetEllipsesStyle(TEllipsesStyle Value);
    // The distance of the tsShadow copy, in pixels.
    Integer Shift() const { return FShift; }
    void SetShift(Integer Value);

    // The colours of the 3-D copies; repaints at once when either changed.
    void SetColorRR(TColor Shadow, TColor Highlight);
    TColor ShadowColor() const { return FShadowColor; }
    TColor HighlightColor() const { return FHighlightColor; }

    // Moves Rect's top-left corner to where text turned by Angle must start so that it stays
    // inside Rect, and sizes the label to the turned extent when AutoSize is on.
    void CalcTextPos(TRect& Rect, Integer Angle, const AnsiString& Text);
    // Writes Text turned by Angle degrees with a copy of Canvas's font.
    void DrawAngleText(TCanvas* Canvas, TRect Rect, const AnsiString& Text, Integer Angle);

    void Click() override;
    void WndProc(TMessage& Message) override;

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseExit;

protected:
    void Paint() override;
    // The text drawing of Paint; measuring (DT_CALCRECT) is the plain label's, so automatic
    // sizing sees the caption as an ordinary label does.
    void DoDrawText(TRect& Rect, UINT Flags) override;

private:
    void CMMouseEnter(TMessage& Message);
    void CMMouseLeave(TMessage& Message);
    void DrawCopy(TRect Rect, UINT Flags, const AnsiString& Text, TColor Color);
    bool IsLink() const { return FLabelStyle != lsDefault; }

    TColor FBorderColor = clRed;
    TPenStyle FBorderPenStyle = psSolid;
    Integer FBorderWidth = 1;
    bool FBorder = false;
    TBorderType FBorderType = btDefault;
    Integer FEscapement = 0;
    TTextStyle FTextStyle = tsRaised;
    TLabelStyle FLabelStyle = lsDefault;
    AnsiString FAddress;
    TEllipsesStyle FEllipsesStyle = esNone;
    Integer FShift = 1;
    TColor FShadowColor = clBtnShadow;
    TColor FHighlightColor = clBtnHighlight;
    TColor FLinkColor = clRed;
    TColor FSavedFontColor = clWindowText;
};
