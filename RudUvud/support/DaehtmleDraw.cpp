// The line engine of the mini-HTML: lays a markup text out in lines, draws it or hit-tests it.
//
// Every line is read twice. The measure pass decides where the line ends and how wide and tall
// it is; after the line has been aligned, the second pass draws it or looks for the point over
// exactly the markup the measure pass took. Both passes start from the state in which the
// previous line's second pass ended (its own canvas font aside), so anchor, image and list
// numbers agree between the pass that lays out and the pass that draws.

#include "RudUvud/support/Daehtmle.h"

#include "RudUvud/support/PictureContainer.h"
#include "RudUvud/support/VadXPVS.h"

#include "platform/forms/Graphics.h"
#include "platform/forms/ImgList.h"
#include "platform/rtl/Strings.h"
#include "platform/win/FileIcons.h"
#include "platform/win/Gdi.h"
#include "platform/win/Windows.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

constexpr UINT RunFormat = DT_BOTTOM | DT_SINGLELINE | DT_EXPANDTABS | DT_EXTERNALLEADING | DT_NOPREFIX;
constexpr TColor clHighlightColor = TColor(0x8000000D);
constexpr TColor clHighlightTextColor = TColor(0x8000000E);

enum TPass { psMeasure, psDraw, psHitTest };

// Characters of a UTF-8 text (continuation bytes do not count).
std::size_t CharacterCount(const AnsiString& S)
{
    return std::size_t(std::count_if(S.begin(), S.end(),
                                     [](char C) { return (static_cast<unsigned char>(C) & 0xC0) != 0x80; }));
}

// What tags change and what carries from line to line within one pass.
struct TRenderState {
    bool AnchorOpen = false;    // an anchor with a target is open
    bool AnchorTagOpen = false; // an A tag, with or without a target, is open
    AnsiString AnchorTarget, AnchorTitle;
    Integer AnchorCounter = 0; // A tags met so far
    Integer AnchorNumber = 0;  // number of the last A met
    bool AnchorUnderPoint = false;
    bool AnchorFromEarlierLine = false;
    Integer AnchorStartX = 0;
    TColor HoverSavedBrush = clNone, HoverSavedFont = 0;
    TRect FocusRect{};
    bool Hidden = false, Shadow = false, ErrorMark = false, ParaBackground = false, Sub = false, Sup = false;
    TColor FontBgSaved = clNone, HiFontSaved = 0, HiBrushSaved = clNone, ParaBgSaved = clNone;
    Integer ListLevel = 0;
    Integer ImageCounter = 0;
    // Open R tags, innermost last, as escapements in tenths of a degree.
    std::vector<Integer> Rotations;
};

// The vertical quantities of a line, shared by its two passes.
struct TLineMetrics {
    Integer Height = 0, SubDepth = 0, SupHeight = 0, ImageOffset = 0;
};

// What one pass over one line keeps.
struct TPassResult {
    Integer X = 0;     // running width from the rectangle's left
    Integer DrawX = 0; // drawing position
    Integer TrailingSpace = 0;
    Integer TextBottom = 0;
    bool LineEnded = false, NoRoom = false, LISeen = false, Consumed = false;
    bool AnchorHit = false, ObjectHit = false;
    AnsiString LineText;
    AnsiString HitTarget, HitTitle;
    std::size_t ConsumedEnd = 0;
};

class THTMLRenderer {
public:
    TCanvas* Canvas;
    TCustomImageList* Images;
    Integer XPos, YPos, FocusLink, HoverLink, ShadowOffset;
    bool CheckHotSpot, CheckHeight, Print, Selected, Blink, HoverStyle, WordWrap, Down;
    double ResFactor;
    TColor URLColor, HoverColor, HoverFontColor, ShadowColor;
    AnsiString& AnchorVal;
    AnsiString& StripVal;
    AnsiString& FocusAnchor;
    AnsiString& AnchorHint;
    Integer& XSize;
    TRect& MouseRect;
    Integer& MouseLink;
    TRect& CtrlRect;
    AnsiString& CtrlID;
    AnsiString& CtrlVal;
    AnsiString& CtrlType;
    THTMLPictureCache* PictureCache;
    TPictureContainer* PictureContainer;
    HWND ThemeWindow;

    TFont BaseFont;
    TColor EntryBrushColor = clNone;
    bool Themed = false;
    Integer Align = 0, Indent = 0;
    Integer HoveredImage = -1;
    Integer FullLeft = 0; // the line rectangle's left edge
    TRect Bounds{};       // the caller's rectangle

    void RunLine(TPass Pass, THTMLReader& Reader, const TRect& R, TRenderState& S, TLineMetrics& L,
                 TPassResult& Q);

private:
    HDC Dc() { return Canvas->Handle(); }
    Integer GhHeight() { return Canvas->TextHeight("gh"); }
    TColor BrushColorOrNone()
    {
        return Canvas->Brush()->Style() == bsClear ? clNone : Canvas->Brush()->Color();
    }
    void SetBrushColor(TColor Color)
    {
        if (Color == clNone)
            Canvas->Brush()->SetStyle(bsClear);
        else
            Canvas->Brush()->SetColor(Color);
    }
    void SetStyle(TFontStyle Style, bool On)
    {
        TFontStyles Styles = Canvas->Font()->Style();
        if (On)
            Styles.Include(Style);
        else
            Styles.Exclude(Style);
        Canvas->Font()->SetStyle(Styles);
    }
    bool HoverApplies(Integer Number) const { return !HoverStyle || Number == HoverLink; }
    Integer MeasureRun(const AnsiString& Run);
    void DrawRunText(const AnsiString& Run, TRect R, UINT Format, const TRenderState& S);
    void DrawRun(const AnsiString& Run, Integer Width, const TRect& R, const TRenderState& S,
                 const TLineMetrics& L, const TPassResult& Q);
    void FillBand(const TRect& Band);
    void Tag(TPass Pass, const AnsiString& Tag, const TRect& R, TRenderState& S, TLineMetrics& L,
             TPassResult& Q);
    void Image(TPass Pass, const AnsiString& Tag, const TRect& R, TRenderState& S, TLineMetrics& L,
               TPassResult& Q);
    void Control(TPass Pass, const AnsiString& Tag, const TRect& R, TRenderState& S, TLineMetrics& L,
                 TPassResult& Q);
    void Body(const AnsiString& Tag, TRenderState& S);
    // Places a box of a picture or control on the line; false when it starts the next line.
    bool PlaceBox(TPass Pass, Integer BoxW, Integer BoxH, const TRect& R, TLineMetrics& L, TPassResult& Q);
    THTMLPicture* FindNamedPicture(const AnsiString& Name);
    void DrawThemed(const char16_t* ClassName, int Part, int State, TRect Box, UINT FrameType,
                    UINT FrameState);
};

Integer THTMLRenderer::MeasureRun(const AnsiString& Run)
{
    if (Run.empty())
        return 0;
    TRect R{0, 0, 0x3FFFFFFF, 0};
    DrawText(Dc(), Run.c_str(), int(Run.size()), &R, RunFormat | DT_CALCRECT);
    return R.Right - R.Left;
}

void THTMLRenderer::DrawRunText(const AnsiString& Run, TRect R, UINT Format, const TRenderState& S)
{
    if (S.Rotations.empty()) {
        DrawText(Dc(), Run.c_str(), int(Run.size()), &R, Format);
        return;
    }
    // A rotated copy of the font for this run only: the canvas's own font stays selected
    // between runs, so an R left open can neither leak a font nor leave the device rotated.
    LOGFONTA Log = Canvas->Font()->LogFont();
    Log.lfEscapement = Log.lfOrientation = S.Rotations.back();
    TOwnedFont Rotated(CreateFontIndirect(&Log));
    HDC D = Dc();
    TSelectObject Selected(D, Rotated.get());
    DrawText(D, Run.c_str(), int(Run.size()), &R, Format);
}

void THTMLRenderer::DrawRun(const AnsiString& Run, Integer Width, const TRect& R, const TRenderState& S,
                            const TLineMetrics& L, const TPassResult& Q)
{
    Integer Bottom = Q.TextBottom - L.ImageOffset;
    if (S.Sup)
        Bottom -= L.SupHeight;
    if (S.Sub)
        Bottom += L.SubDepth;
    const UINT Format = RunFormat | (WordWrap ? 0u : UINT(DT_END_ELLIPSIS));
    if (S.Shadow) {
        const TColor Own = Canvas->Font()->Color();
        Canvas->Font()->SetColor(ShadowColor);
        DrawRunText(Run,
                    TRect{Q.DrawX + ShadowOffset, R.Top + ShadowOffset, R.Right + ShadowOffset,
                          Bottom + ShadowOffset},
                    Format, S);
        Canvas->Font()->SetColor(Own);
    }
    DrawRunText(Run, TRect{Q.DrawX, R.Top, R.Right, Bottom}, Format, S);
    if (S.ErrorMark) {
        // A red zigzag under the run, its phase fixed by x so neighbouring runs join up.
        const TColor PenColor = Canvas->Pen()->Color();
        const Integer PenWidth = Canvas->Pen()->Width();
        Canvas->Pen()->SetColor(0x0000FF);
        Canvas->Pen()->SetWidth(1);
        const Integer B = Q.TextBottom;
        const Integer Right = Q.DrawX + Width;
        Integer X = (Q.DrawX / 2) * 2;
        Integer Y = X % 4 == 0 ? B + 1 : B - 1;
        Canvas->MoveTo(X, Y);
        while (X < Right) {
            X += 2;
            Y = Y == B + 1 ? B - 1 : B + 1;
            Canvas->LineTo(X, Y);
        }
        Canvas->Pen()->SetColor(PenColor);
        Canvas->Pen()->SetWidth(PenWidth);
    }
}

void THTMLRenderer::FillBand(const TRect& Band)
{
    const TColor Color = BrushColorOrNone();
    if (Color == clNone || Band.Right <= Band.Left || Band.Bottom <= Band.Top)
        return;
    const TColor PenColor = Canvas->Pen()->Color();
    Canvas->Pen()->SetColor(Color);
    Canvas->FillRect(Band);
    Canvas->Pen()->SetColor(PenColor);
}

void THTMLRenderer::RunLine(TPass Pass, THTMLReader& Reader, const TRect& R, TRenderState& S, TLineMetrics& L,
                            TPassResult& Q)
{
    Q = TPassResult();
    Q.DrawX = R.Left;
    Q.TextBottom = R.Bottom - L.SubDepth;
    Q.ConsumedEnd = Reader.Position();
    S.AnchorFromEarlierLine = S.AnchorOpen;
    const bool FinalPass = Pass != psMeasure || CheckHeight;
    const Integer RectWidth = R.Right - R.Left;
    if (Pass == psDraw && S.ParaBackground)
        FillBand(TRect{R.Left, R.Top, R.Right, R.Top + L.Height});

    while (!Reader.AtEnd() && !Q.LineEnded && !Q.NoRoom) {
        const THTMLToken Token = Reader.Peek(WordWrap);
        if (Token.Kind == tkEnd) {
            Reader.Consume(Token);
            Q.ConsumedEnd = Reader.Position();
            continue;
        }
        if (Token.Kind == tkTag) {
            Tag(Pass, Token.Text, R, S, L, Q);
            if (!Q.NoRoom) {
                Reader.Consume(Token);
                Q.ConsumedEnd = Reader.Position();
                Q.Consumed = true;
            }
            continue;
        }

        const AnsiString Run = HTMLRunEntities(Token.Text);
        const Integer RunHeight = Canvas->TextHeight(Run);
        L.Height = std::max(L.Height, RunHeight);
        if (S.Sub)
            L.SubDepth = std::max(L.SubDepth, RunHeight / 4);
        if (S.Sup)
            L.SupHeight = std::max(L.SupHeight, RunHeight / 4);
        if (FinalPass)
            StripVal += Run;
        if (S.Hidden) {
            Reader.Consume(Token);
            Q.ConsumedEnd = Reader.Position();
            Q.Consumed = true;
            continue;
        }

        const Integer Width = MeasureRun(Run);
        if (Pass == psDraw) {
            DrawRun(Run, Width, R, S, L, Q);
            if (S.AnchorOpen && S.AnchorNumber == FocusLink + 1)
                FocusAnchor = S.AnchorTarget;
        }
        const Integer Before = Q.X;
        Q.X += Width;
        if (Pass == psHitTest && S.AnchorOpen && XPos - R.Left >= Before && XPos - R.Left <= Q.X) {
            Q.AnchorHit = true;
            Q.HitTarget = S.AnchorTarget;
            Q.HitTitle = S.AnchorTitle;
            if (YPos > R.Top && YPos < R.Bottom)
                S.AnchorUnderPoint = true;
        }

        // The second pass takes every run the measure pass gave the line.
        const bool Fits = Pass != psMeasure || Q.X < RectWidth || Width >= RectWidth ||
                          (!Q.LineText.empty() && Q.LineText.back() != ' ');
        if (Fits || !WordWrap) {
            const bool HadText = !Q.LineText.empty();
            Reader.Consume(Token);
            Q.ConsumedEnd = Reader.Position();
            Q.Consumed = true;
            Q.LineText += Run;
            Q.DrawX += Width;
            Q.TrailingSpace = !Run.empty() && Run.back() == ' ' && Token.Text.find('&') == AnsiString::npos
                                  ? MeasureRun(" ")
                                  : 0;
            if (!Fits && HadText) {
                // Without word wrap an overflowing line is the last: it ends in an ellipsis.
                Reader.SetPosition(Reader.Text().size());
            }
        } else {
            Q.LineEnded = true;
            Q.X -= Width;
        }
    }

    Q.X -= Q.TrailingSpace;
    if (Pass == psMeasure)
        XSize = std::max(XSize, Q.X);
    if (Pass == psDraw && S.AnchorOpen && S.AnchorNumber == FocusLink + 1) {
        TRect Focus{S.FocusRect.Left - 1, S.FocusRect.Top - 1, Q.DrawX + 1, Q.TextBottom + 1};
        Canvas->DrawFocusRect(Focus);
        S.FocusRect = TRect{FullLeft + 1, Q.TextBottom, 0, 0};
    }
}

bool THTMLRenderer::PlaceBox(TPass Pass, Integer BoxW, Integer BoxH, const TRect& R, TLineMetrics& L,
                             TPassResult& Q)
{
    const Integer RectWidth = R.Right - R.Left;
    // Only the measure pass ends lines, and never before the line holds something, so that
    // every line takes at least one token whatever the rectangle's width.
    if (Pass == psMeasure && Q.Consumed && BoxW < RectWidth && Q.X + BoxW > RectWidth) {
        Q.NoRoom = true;
        return false;
    }
    Q.X += BoxW;
    Q.DrawX += BoxW;
    L.Height = std::max(L.Height, BoxH);
    return true;
}

THTMLPicture* THTMLRenderer::FindNamedPicture(const AnsiString& Name)
{
    THTMLPicture* Picture = nullptr;
    if (Name.find(':') == AnsiString::npos && PictureContainer)
        Picture = PictureContainer->FindPicture(Name);
    if (Name.find("://") != AnsiString::npos && PictureCache) {
        if (!PictureCache->FindPicture(Name)) {
            THTMLPicture* Added = PictureCache->AddPicture();
            Added->SetAsynchronous(false);
            Added->LoadFromURL(Name);
            Added->SetID(Name);
        }
        Picture = PictureCache->FindPicture(Name);
    }
    return Picture;
}

void THTMLRenderer::Image(TPass Pass, const AnsiString& Tag, const TRect& R, TRenderState& S, TLineMetrics& L,
                          TPassResult& Q)
{
    const Integer Number = ++S.ImageCounter;
    const AnsiString Upper = UpperCase(Tag);
    // Names are read as written: file and resource names on this platform are case-sensitive.
    AnsiString Name = HTMLAttribute(Tag, "SRC", true);
    if (Number == HoveredImage && Upper.find("ALT") != AnsiString::npos) {
        const AnsiString Alt = HTMLAttribute(Tag, "ALT", true);
        if (!Alt.empty())
            Name = Alt;
    }
    Integer W = 0, H = 0;
    HTMLReadNumber(HTMLAttribute(Tag, "WIDTH", false), W);
    HTMLReadNumber(HTMLAttribute(Tag, "HEIGHT", false), H);
    const bool Sized = W >= 1 && H >= 1;
    const Integer PpiX = GetDeviceCaps(Dc(), LOGPIXELSX), PpiY = GetDeviceCaps(Dc(), LOGPIXELSY);
    Integer BoxW = 0, BoxH = 0;

    const std::size_t Idx = UpperCase(Name).find("IDX:");
    if (Idx != AnsiString::npos) {
        Integer N = -1;
        HTMLReadNumber(Name.substr(Idx + 4), N);
        if (Images && N >= 0 && N < Images->Count()) {
            BoxW = Images->Width() * PpiX / 96;
            BoxH = Images->Height() * PpiY / 96;
            if (Pass == psDraw) {
                if (Print) {
                    TBitmap Bitmap;
                    Images->GetBitmap(N, &Bitmap);
                    PrintBitmap(Canvas,
                                TRect{Q.DrawX, R.Top,
                                      Q.DrawX + Integer(std::lround(Images->Width() * ResFactor)),
                                      R.Top + Integer(std::lround(Images->Height() * ResFactor))},
                                &Bitmap);
                } else {
                    Images->Draw(Canvas, Q.DrawX, R.Top, N);
                }
            }
        }
    } else if (const AnsiString Prefix = UpperCase(Name.substr(0, 5));
               Prefix == "SSYS:" || Prefix == "LSYS:") {
        // The desktop's icon for an entry of the system list (a number) or for files of a type
        // (a name, by its ending only), small or large.
        const Integer Size = Prefix[0] == 'S' ? 16 : 32;
        const AnsiString What = Name.substr(5);
        const bool Number =
            !What.empty() && What.size() < 6 &&
            std::all_of(What.begin(), What.end(), [](char C) { return C >= '0' && C <= '9'; });
        if (HICON Icon = Number ? SystemListIcon(std::atoi(What.c_str()), Size) : FileTypeIcon(What, Size)) {
            const Integer DrawW = Sized ? W : Size, DrawH = Sized ? H : Size;
            BoxW = DrawW * PpiX / 96;
            BoxH = DrawH * PpiY / 96;
            if (Pass == psDraw)
                DrawIconEx(Canvas->Handle(), Q.DrawX, R.Top, Icon, DrawW, DrawH, 0, nullptr, DI_NORMAL);
        }
    } else {
        THTMLPicture* Picture = FindNamedPicture(Name);
        if (Picture && !Picture->Empty()) {
            if (Pass == psDraw) {
                if (!Sized) {
                    if (Picture->GetFrameCount() > 1) {
                        const TColor Brush = BrushColorOrNone(), Pen = Canvas->Pen()->Color();
                        Canvas->Brush()->SetColor(EntryBrushColor);
                        Canvas->Pen()->SetColor(EntryBrushColor);
                        if (EntryBrushColor != clNone)
                            Canvas->FillRect(TRect{Q.DrawX, R.Top, Q.DrawX + Picture->GetMaxWidth(),
                                                   R.Top + Picture->GetMaxHeight()});
                        SetBrushColor(Brush);
                        Canvas->Pen()->SetColor(Pen);
                    }
                    const Integer X = Q.DrawX + Picture->FrameXPos(), Y = R.Top + Picture->FrameYPos();
                    Picture->Draw(Canvas, TRect{X, Y, X + Picture->Width(), Y + Picture->Height()});
                } else {
                    Picture->SetStretched(true);
                    Picture->Draw(Canvas, TRect{Q.DrawX, R.Top, Q.DrawX + W, R.Top + H});
                }
            }
            BoxW = (Sized ? W : Picture->GetMaxWidth()) * PpiX / 96;
            BoxH = (Sized ? H : Picture->GetMaxHeight()) * PpiY / 96;
        }
    }

    const Integer RelX = XPos - R.Left;
    if (S.AnchorOpen && RelX > Q.X && RelX < Q.X + BoxW && YPos > R.Top && YPos < R.Top + BoxH) {
        HoveredImage = Number;
        if (Pass != psMeasure) {
            Q.ObjectHit = true;
            AnchorVal = S.AnchorTarget;
        }
    }
    if (!PlaceBox(Pass, BoxW, BoxH, R, L, Q)) {
        --S.ImageCounter; // the tag is read again on the next line
        return;
    }
    if (Upper.find("ALIGN") != AnsiString::npos) {
        const Integer Gh = GhHeight();
        if (Upper.find("\"TOP") != AnsiString::npos)
            L.ImageOffset = L.Height - Gh;
        else if (Upper.find("\"MIDDLE") != AnsiString::npos)
            L.ImageOffset = (L.Height - Gh) / 2;
    }
}

void THTMLRenderer::DrawThemed(const char16_t* ClassName, int Part, int State, TRect Box, UINT FrameType,
                               UINT FrameState)
{
    if (Themed) {
        themeapi::TThemeLoader& Theme = VadXPVS();
        if (HTHEME Data = Theme.OpenThemeData(ThemeWindow, ClassName)) {
            Theme.DrawThemeBackground(Data, Dc(), Part, State, &Box, nullptr);
            Theme.CloseThemeData(Data);
            return;
        }
    }
    DrawFrameControl(Dc(), &Box, FrameType, FrameState);
}

void THTMLRenderer::Control(TPass Pass, const AnsiString& Tag, const TRect& R, TRenderState&, TLineMetrics& L,
                            TPassResult& Q)
{
    const AnsiString WidthText = HTMLAttribute(Tag, "WIDTH", true);
    if (WidthText.empty())
        return;
    Integer W = 0;
    if (!HTMLReadNumber(WidthText, W))
        return;
    const AnsiString Type = UpperCase(HTMLAttribute(Tag, "TYPE", true));
    const AnsiString ID = HTMLAttribute(Tag, "ID", true);
    const AnsiString Value = HTMLDecodeControlValue(HTMLAttribute(Tag, "VALUE", true));
    const Integer Gh = GhHeight();
    Integer BoxW = W, BoxH = Gh + 10;
    if (Type == "CHECK" || Type == "RADIO")
        BoxW = BoxH = 16;
    else if (Type == "COMBO" || Type == "BUTTON")
        BoxH = 25;
    L.Height = 23;

    if (Pass == psDraw) {
        const Integer Lx = Q.DrawX, B = Q.TextBottom;
        const bool Checked = UpperCase(Value) == "TRUE";
        const Integer HotHeight = Type == "COMBO" ? Gh + 10 : 24;
        const bool Hot = Lx - 2 < XPos && XPos < Lx + BoxW - 2 && B - HotHeight - 2 < YPos && YPos < B - 2;
        const TColor FramePen = Themed ? TColor(0xB99D7F) : TColor(0x808080);
        const TColor PenColor = Canvas->Pen()->Color();
        const Integer PenWidth = Canvas->Pen()->Width();
        const TColor Brush = BrushColorOrNone();
        auto EditFrame = [&] {
            Canvas->Pen()->SetColor(FramePen);
            Canvas->Pen()->SetWidth(1);
            Canvas->Brush()->SetColor(0xFFFFFF);
            Canvas->Rectangle(Lx, B - 19, Lx + W, B + 2);
            Canvas->Brush()->SetStyle(bsClear);
        };
        auto Text = [&](const AnsiString& S, TRect Box, UINT Extra) {
            DrawText(Dc(), S.c_str(), int(S.size()), &Box, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | Extra);
        };
        if (Type == "EDIT" || Type == "MASK" || Type == "PASSWORD") {
            EditFrame();
            Text(Type == "PASSWORD" ? AnsiString(CharacterCount(Value), '*') : Value,
                 TRect{Lx + 2, B - 19, Lx + W, B}, 0);
        } else if (Type == "COMBO") {
            EditFrame();
            Text(Value, TRect{Lx + 4, B - 19, Lx + W - 18, B}, 0);
            DrawThemed(u"combobox", 1, Hot ? 2 : 1, TRect{Lx + W - 18, B - 18, Lx + W - 1, B + 1}, DFC_SCROLL,
                       DFCS_SCROLLCOMBOBOX);
        } else if (Type == "CHECK") {
            DrawThemed(u"button", 3, Checked ? 5 : 1, TRect{Lx + 2, B - 15, Lx + 15, B}, DFC_BUTTON,
                       DFCS_BUTTONCHECK | DFCS_FLAT | (Checked ? UINT(DFCS_CHECKED) : 0u));
        } else if (Type == "RADIO") {
            DrawThemed(u"button", 2, Checked ? 5 : 1, TRect{Lx + 2, B - 14, Lx + 14, B}, DFC_BUTTON,
                       DFCS_BUTTONRADIO | DFCS_FLAT | (Checked ? UINT(DFCS_CHECKED) : 0u));
        } else if (Type == "BUTTON") {
            const TRect Face{Lx + 2, B - 25, Lx + W - 2, B};
            DrawThemed(u"button", 1, Down ? 3 : (Hot ? 2 : 1), Face, DFC_BUTTON,
                       DFCS_BUTTONPUSH | (Hot && Down ? UINT(DFCS_PUSHED) : 0u));
            Canvas->Brush()->SetStyle(bsClear);
            Text(Value, TRect{Face.Left + 2, Face.Top + 2, Face.Right - 2, Face.Bottom - 2}, DT_CENTER);
        }
        Canvas->Pen()->SetColor(PenColor);
        Canvas->Pen()->SetWidth(PenWidth);
        SetBrushColor(Brush);
    }

    const Integer RelX = XPos - R.Left;
    const bool Over = RelX > Q.X && RelX < Q.X + BoxW && YPos > R.Top && YPos < R.Top + BoxH;
    if (Pass != psMeasure && (Over || (CheckHotSpot && !CtrlID.empty() && CtrlID == ID))) {
        Q.ObjectHit = true;
        AnchorVal = "ctrl";
        CtrlRect = TRect{R.Left + Q.X, R.Top, R.Left + Q.X + BoxW, R.Top + BoxH};
        CtrlVal = Value;
        CtrlID = ID;
        CtrlType = Type;
    }
    PlaceBox(Pass, BoxW, BoxH, R, L, Q);
}

void THTMLRenderer::Body(const AnsiString& Tag, TRenderState& S)
{
    const AnsiString Background = HTMLAttribute(Tag, "BACKGROUND", true);
    if (!Background.empty()) {
        THTMLPicture* Picture = FindNamedPicture(Background);
        if (Picture && !Picture->Empty() && Picture->Width() > 0 && Picture->Height() > 0) {
            HDC D = Dc();
            const int Saved = SaveDC(D);
            IntersectClipRect(D, Bounds.Left, Bounds.Top, Bounds.Right, Bounds.Bottom);
            for (Integer Y = Bounds.Top; Y < Bounds.Bottom; Y += Picture->Height())
                for (Integer X = Bounds.Left; X < Bounds.Right; X += Picture->Width())
                    Picture->Draw(Canvas, TRect{X, Y, X + Picture->Width(), Y + Picture->Height()});
            RestoreDC(D, Saved);
            Canvas->Refresh();
        }
    }
    TColor Color = 0;
    if (HTMLReadColor(HTMLAttribute(Tag, "BGCOLOR", false), true, Color)) {
        SetBrushColor(Color);
        // What a closing FONT goes back to.
        S.FontBgSaved = Color;
        const TColor PenColor = Canvas->Pen()->Color();
        Canvas->Pen()->SetColor(Color);
        Canvas->FillRect(Bounds);
        Canvas->Pen()->SetColor(PenColor);
    }
}

void THTMLRenderer::Tag(TPass Pass, const AnsiString& Tag, const TRect& R, TRenderState& S, TLineMetrics& L,
                        TPassResult& Q)
{
    const bool Drawing = Pass == psDraw;
    TFont* Font = Canvas->Font();
    switch (HTMLTagKind(Tag)) {
    case htA: {
        if (S.AnchorCounter == FocusLink && Drawing)
            S.FocusRect = TRect{Q.DrawX, R.Top, 0, 0};
        const Integer Number = ++S.AnchorCounter;
        S.AnchorNumber = Number;
        S.AnchorTagOpen = true;
        if (HoverApplies(Number) && Drawing) {
            SetStyle(fsUnderline, true);
            if (HoverColor != clNone) {
                S.HoverSavedBrush = BrushColorOrNone();
                SetBrushColor(HoverColor);
            }
            if (HoverFontColor != clNone) {
                S.HoverSavedFont = Font->Color();
                Font->SetColor(HoverFontColor);
            }
        }
        if (!Selected && !(HoverFontColor != clNone && HoverStyle && Number == HoverLink))
            Font->SetColor(URLColor);
        const AnsiString Upper = UpperCase(Tag);
        S.AnchorOpen = Upper.find("HREF") != AnsiString::npos;
        S.AnchorTarget = S.AnchorOpen ? HTMLAttribute(Tag, "HREF", true) : AnsiString();
        S.AnchorTitle = HTMLAttribute(Tag, "TITLE", true);
        // A hit-test reports the title of the anchor it hits; the other modes keep the last one.
        if (!CheckHotSpot && !S.AnchorTitle.empty())
            AnchorHint = S.AnchorTitle;
        S.AnchorStartX = Q.X;
        S.AnchorFromEarlierLine = false;
        S.AnchorUnderPoint = false;
        break;
    }
    case htEndA: {
        const Integer Number = S.AnchorNumber;
        if (S.AnchorOpen && S.AnchorUnderPoint) {
            MouseRect = TRect{S.AnchorFromEarlierLine ? FullLeft : R.Left + S.AnchorStartX, R.Top,
                              R.Left + Q.X, Q.TextBottom};
            MouseLink = Number;
        }
        if (S.AnchorOpen && Number == FocusLink + 1) {
            const Integer Bottom = Q.TextBottom - L.ImageOffset;
            const TRect Focus{S.FocusRect.Left - 1, Bottom - GhHeight() - 1, Q.DrawX + 1, Bottom + 1};
            if (Drawing)
                Canvas->DrawFocusRect(Focus);
        }
        // A stray closing tag must not restore colours that no opening tag saved.
        if (S.AnchorTagOpen && HoverApplies(Number) && Drawing) {
            SetStyle(fsUnderline, false);
            if (HoverColor != clNone)
                SetBrushColor(S.HoverSavedBrush);
            if (HoverFontColor != clNone)
                Font->SetColor(S.HoverSavedFont);
        }
        if (!Selected)
            Font->SetColor(BaseFont.Color());
        S.AnchorOpen = false;
        S.AnchorTagOpen = false;
        S.AnchorUnderPoint = false;
        break;
    }
    case htB:
        SetStyle(fsBold, true);
        break;
    case htEndB:
        SetStyle(fsBold, false);
        break;
    case htEndColor:
        Font->SetColor(BaseFont.Color());
        break;
    case htBR:
        Q.LineEnded = true;
        if (Pass != psMeasure || CheckHeight)
            StripVal += "\r";
        break;
    case htBL:
        if (!Blink)
            Font->SetColor(EntryBrushColor);
        break;
    case htBODY:
        if (Drawing)
            Body(Tag, S);
        break;
    case htCONTROL:
        Control(Pass, Tag, R, S, L, Q);
        break;
    case htE:
        if (Drawing)
            S.ErrorMark = true;
        break;
    case htEndE:
        if (Drawing)
            S.ErrorMark = false;
        break;
    case htFONT: {
        const AnsiString Face = HTMLAttribute(Tag, "FACE", false);
        if (!Face.empty())
            Font->SetName(Face);
        TColor Color = 0;
        if (!Selected && HTMLReadColor(HTMLAttribute(Tag, " COLOR", false), false, Color))
            Font->SetColor(Color);
        const AnsiString BgColor = HTMLAttribute(Tag, "BGCOLOR", false);
        if (Drawing && !Selected && HTMLReadColor(BgColor, false, Color)) {
            S.FontBgSaved = BrushColorOrNone();
            SetBrushColor(Color);
        }
        const AnsiString Size = HTMLFontSizeValue(Tag);
        if (!Size.empty()) {
            Integer Points = 0;
            HTMLReadNumber(Size, Points);
            Font->SetSize(HTMLFontSize(Points));
        }
        break;
    }
    case htEndFONT:
        Font->SetName(BaseFont.Name());
        Font->SetHeight(BaseFont.Height());
        if (Drawing && !Selected) {
            Font->SetColor(BaseFont.Color());
            SetBrushColor(S.FontBgSaved);
        }
        break;
    case htHI:
        if (Drawing) {
            S.HiFontSaved = Font->Color();
            S.HiBrushSaved = BrushColorOrNone();
            SetBrushColor(clHighlightColor);
            Font->SetColor(clHighlightTextColor);
        }
        break;
    case htEndHI:
        if (Drawing) {
            Font->SetColor(S.HiFontSaved);
            SetBrushColor(S.HiBrushSaved);
        }
        break;
    case htHR:
        Q.LineEnded = true;
        if (Drawing) {
            const TColor PenColor = Canvas->Pen()->Color();
            const Integer PenWidth = Canvas->Pen()->Width();
            Canvas->Pen()->SetColor(0);
            Canvas->Pen()->SetWidth(1);
            Canvas->MoveTo(R.Left, Q.TextBottom + 1);
            Canvas->LineTo(R.Right, Q.TextBottom + 1);
            Canvas->Pen()->SetColor(PenColor);
            Canvas->Pen()->SetWidth(PenWidth);
        }
        break;
    case htI:
        SetStyle(fsItalic, true);
        break;
    case htEndI:
        SetStyle(fsItalic, false);
        break;
    case htIND: {
        Integer Value = 0;
        if (HTMLReadNumber(HTMLAttribute(Tag, "X", false), Value) && Q.X < Value) {
            Q.X = Value;
            Q.DrawX = R.Left + Value;
        }
        break;
    }
    case htIMG:
        Image(Pass, Tag, R, S, L, Q);
        break;
    case htLI: {
        if (Q.LISeen && Pass == psMeasure && Q.Consumed) {
            Q.NoRoom = true; // a second item on the line starts the next one
            break;
        }
        Q.LISeen = true;
        const Integer Offset = 12 * S.ListLevel;
        Q.X += Offset;
        Q.DrawX += Offset;
        if (Drawing) {
            // The bullet is drawn in the text's own font: U+2022 is in every face we map to.
            const AnsiString Bullet = S.ListLevel % 2 == 1 ? AnsiString("\u2022") : AnsiString("o");
            TRect Box{Q.DrawX - 12, R.Top, Q.DrawX, Q.TextBottom - L.ImageOffset};
            DrawText(Dc(), Bullet.c_str(), int(Bullet.size()), &Box, RunFormat);
        }
        break;
    }
    case htEndLI:
        Q.LineEnded = true;
        break;
    case htP: {
        const AnsiString Value = HTMLAttribute(Tag, "ALIGN", false);
        if (Value.find("RIGHT") != AnsiString::npos)
            Align = 1;
        if (Value.find("LEFT") != AnsiString::npos)
            Align = 0;
        if (Value.find("CENTER") != AnsiString::npos)
            Align = 2;
        Integer Number = 0;
        if (HTMLReadNumber(HTMLAttribute(Tag, "INDENT", false), Number))
            Indent = Number;
        const AnsiString BgColor = HTMLAttribute(Tag, "BGCOLOR", false);
        if (Drawing && UpperCase(Tag).find("BGCOLOR") != AnsiString::npos) {
            TColor Color = clNone;
            HTMLReadColor(BgColor, false, Color);
            S.ParaBackground = true;
            S.ParaBgSaved = BrushColorOrNone();
            SetBrushColor(Color);
            FillBand(TRect{R.Left, R.Top, R.Right, Q.TextBottom});
        }
        break;
    }
    case htEndP:
        Q.LineEnded = true;
        if (Drawing) {
            SetBrushColor(S.ParaBgSaved);
            S.ParaBackground = false;
        }
        break;
    case htR: {
        Integer Angle = 0;
        HTMLReadNumber(HTMLAttribute(Tag, "A", false), Angle);
        S.Rotations.push_back(Integer(std::clamp<long long>(10LL * Angle, -36000, 36000)));
        break;
    }
    case htEndR:
        if (!S.Rotations.empty())
            S.Rotations.pop_back();
        break;
    case htS:
        SetStyle(fsStrikeOut, true);
        break;
    case htEndS:
        SetStyle(fsStrikeOut, false);
        break;
    case htSHAD:
        S.Shadow = true;
        break;
    case htEndSHAD:
        S.Shadow = false;
        break;
    case htSUB:
        S.Sub = true;
        break;
    case htSUP:
        S.Sup = true;
        break;
    case htEndSUBSUP:
        S.Sub = S.Sup = false;
        break;
    case htU:
        SetStyle(fsUnderline, true);
        break;
    case htEndU:
        SetStyle(fsUnderline, false);
        break;
    case htUL:
        ++S.ListLevel;
        Q.LineEnded = true;
        break;
    case htEndUL:
        if (S.ListLevel > 0)
            --S.ListLevel;
        else
            SetStyle(fsUnderline, false);
        break;
    case htZ:
        S.Hidden = true;
        break;
    case htEndZ:
        S.Hidden = false;
        break;
    case htUnknown:
        break;
    }
}

} // namespace

bool HTMLDrawEx(TCanvas* Canvas, const AnsiString& Markup, const TRect& Rect, TCustomImageList* Images,
                Integer XPos, Integer YPos, Integer FocusLink, Integer HoverLink, Integer ShadowOffset,
                bool CheckHotSpot, bool CheckHeight, bool Print, bool Selected, bool Blink, bool HoverStyle,
                bool WordWrap, bool Down, double ResFactor, TColor URLColor, TColor HoverColor,
                TColor HoverFontColor, TColor ShadowColor, AnsiString& AnchorVal, AnsiString& StripVal,
                AnsiString& FocusAnchor, AnsiString& AnchorHint, Integer& XSize, Integer& YSize,
                Integer& HyperLinks, Integer& MouseLink, TRect& MouseRect, TRect& CtrlRect,
                AnsiString& CtrlID, AnsiString& CtrlVal, AnsiString& CtrlType,
                THTMLPictureCache* PictureCache, TPictureContainer* PictureContainer, HWND__* ThemeWindow)
{
    THTMLRenderer E{Canvas,
                    Images,
                    XPos,
                    YPos,
                    FocusLink,
                    HoverLink,
                    ShadowOffset,
                    CheckHotSpot,
                    CheckHeight,
                    Print,
                    Selected,
                    Blink,
                    HoverStyle,
                    WordWrap,
                    Down,
                    ResFactor,
                    URLColor,
                    HoverColor,
                    HoverFontColor,
                    ShadowColor,
                    AnchorVal,
                    StripVal,
                    FocusAnchor,
                    AnchorHint,
                    XSize,
                    MouseRect,
                    MouseLink,
                    CtrlRect,
                    CtrlID,
                    CtrlVal,
                    CtrlType,
                    PictureCache,
                    PictureContainer,
                    ThemeWindow,
                    {},
                    clNone,
                    false,
                    0,
                    0,
                    -1,
                    0,
                    TRect{}};

    // Everything the call changes on the canvas, to be put back at the end.
    const TColor PenColor = Canvas->Pen()->Color();
    const Integer PenWidth = Canvas->Pen()->Width();
    const TColor BrushColor = Canvas->Brush()->Color();
    const TBrushStyle BrushStyle = Canvas->Brush()->Style();
    HDC Dc = Canvas->Handle();
    const int BkMode = GetBkMode(Dc);
    const COLORREF BkColor = GetBkColor(Dc);
    const COLORREF TextColor = GetTextColor(Dc);
    const TPoint PenPos = Canvas->PenPos();

    E.BaseFont.Assign(Canvas->Font());
    E.EntryBrushColor = BrushColor;
    Canvas->Brush()->SetStyle(bsClear);
    E.Themed = IsWinXP && VadXPVS().ThemeActive();
    E.Bounds = Rect;
    CtrlRect = TRect{0, 0, 0, 0};
    CtrlVal.clear();
    CtrlType.clear();
    if (!CheckHotSpot)
        CtrlID.clear();
    XSize = YSize = HyperLinks = 0;
    StripVal.clear();
    FocusAnchor.clear();
    AnchorHint.clear();
    MouseLink = -1;
    SetBkMode(Canvas->Handle(), TRANSPARENT);

    bool Result = false;
    const AnsiString Prepared = HTMLPrepare(Markup);
    THTMLReader Reader(Prepared);
    TRect LineRect = Rect;
    LineRect.Left += 1;
    E.FullLeft = LineRect.Left;
    TFont MeasureFont, DrawFont;
    MeasureFont.Assign(Canvas->Font());
    DrawFont.Assign(Canvas->Font());
    TRenderState State;
    State.HiFontSaved = E.BaseFont.Color();

    while (!Reader.AtEnd()) {
        Canvas->Font()->Assign(&MeasureFont);
        const Integer StartGh = Canvas->TextHeight("gh");
        TLineMetrics Line;
        Line.Height = StartGh;
        TRenderState Measured = State;
        Measured.Sub = Measured.Sup = false;
        const std::size_t Start = Reader.Position();
        TPassResult Pass;
        E.RunLine(psMeasure, Reader, LineRect, Measured, Line, Pass);
        MeasureFont.Assign(Canvas->Font());

        TRect DrawRect = LineRect;
        const Integer Width = Pass.X;
        if (E.Align == 1 && DrawRect.Right - Width > DrawRect.Left)
            DrawRect.Left = DrawRect.Right - Width;
        else if (E.Align == 2 && DrawRect.Right - DrawRect.Left - Width > 0)
            DrawRect.Left += (DrawRect.Right - DrawRect.Left - Width) / 2;
        DrawRect.Left += E.Indent;
        DrawRect.Bottom = DrawRect.Top + Line.Height + Line.SubDepth + Line.SupHeight;

        if (CheckHeight) {
            State = Measured;
        } else {
            Canvas->Font()->Assign(&DrawFont);
            State.Sub = State.Sup = false;
            THTMLReader LineReader(Prepared.substr(Start, Pass.ConsumedEnd - Start));
            TPassResult Second;
            E.RunLine(CheckHotSpot ? psHitTest : psDraw, LineReader, DrawRect, State, Line, Second);
            DrawFont.Assign(Canvas->Font());
            const Integer Gh = Canvas->TextHeight("gh");
            const Integer Bottom = DrawRect.Bottom - Line.ImageOffset;
            if (Second.AnchorHit && YPos > Bottom - Gh && YPos < Bottom) {
                Result = true;
                AnchorVal = Second.HitTarget;
                if (CheckHotSpot)
                    AnchorHint = Second.HitTitle;
            }
            if (Second.ObjectHit)
                Result = true;
        }

        const Integer Height = Line.Height + Line.SubDepth + Line.SupHeight;
        LineRect.Top += Height;
        YSize += Height;
        if (!CheckHeight && LineRect.Top + StartGh > Rect.Bottom)
            break;
    }

    HyperLinks = State.AnchorCounter;
    Canvas->Font()->Assign(&E.BaseFont);
    if (YSize == 0)
        YSize = Canvas->TextHeight("gh");
    Canvas->Pen()->SetColor(PenColor);
    Canvas->Pen()->SetWidth(PenWidth);
    Canvas->Brush()->SetColor(BrushColor);
    Canvas->Brush()->SetStyle(BrushStyle);
    Dc = Canvas->Handle();
    SetBkMode(Dc, BkMode);
    SetBkColor(Dc, BkColor);
    SetTextColor(Dc, TextColor);
    Canvas->MoveTo(PenPos.X, PenPos.Y);
    return Result;
}

void PrintBitmap(TCanvas* Canvas, const TRect& Rect, TBitmap* Bitmap)
{
    if (!Canvas || !Bitmap || Bitmap->Empty())
        return;
    const Integer W = Bitmap->Width(), H = Bitmap->Height();
    BITMAPINFO Info{};
    Info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    Info.bmiHeader.biWidth = W;
    Info.bmiHeader.biHeight = H;
    Info.bmiHeader.biPlanes = 1;
    Info.bmiHeader.biBitCount = 32;
    std::vector<std::uint32_t> Bits(std::size_t(W) * std::size_t(H));
    HDC Dc = Canvas->Handle();
    if (GetDIBits(Dc, Bitmap->Handle(), 0, UINT(H), Bits.data(), &Info, DIB_RGB_COLORS) == 0)
        return;
    StretchDIBits(Dc, Rect.Left, Rect.Top, Rect.Right - Rect.Left, Rect.Bottom - Rect.Top, 0, 0, W, H,
                  Bits.data(), &Info, DIB_RGB_COLORS, SRCCOPY);
}
