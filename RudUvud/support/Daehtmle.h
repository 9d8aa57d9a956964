#pragma once

// The text side of the mini-HTML markup language that cells, hints, dropdown items, headers,
// footers and popup buttons use: preparing a markup string, cutting it into text runs and tags,
// recognising tags, reading attribute values, numbers, colours and font sizes, and the entities.
// The markup is interpreted straight from the string on every call; nothing here keeps state
// between calls. Laying the runs out, drawing and hit-testing them is the renderer's job.

#include "platform/rtl/Types.h"

#include <cstddef>

// True when the operating system is Windows XP (5.1) or later. Set once at start-up; the
// platform's version probe reports 6.1.
extern bool IsWinXP;

// ---- Preparing -----------------------------------------------------------------------------------

// Prepares a markup string before any line is laid out:
// 1. The entities "&amp;", "&quot;", "&sect;", "&permil;", "&reg;", "&copy;", "&para;", "&trade;"
//    and "&euro;" (any ASCII case) become their characters, in one left-to-right pass: text that a
//    replacement produces is not read again, so "&amp;amp;" shows as "&amp;".
// 2. Field marks: every "<#" loses its '<' and the first '>' after it goes, so "<#name>" shows
//    as "#name".
// 3. Every CR becomes "<BR>"; every LF goes.
AnsiString HTMLPrepare(const AnsiString& S);

// The entities replaced in each text run once it has been cut: "&nbsp;" (a space that never
// breaks a line), "&lt;" and "&gt;" (which never start or end a tag), matched exactly.
AnsiString HTMLRunEntities(const AnsiString& Run);

// ---- Cutting into runs and tags -------------------------------------------------------------------

enum THTMLTokenKind {
    tkEnd,  // nothing more (also for a final "<" with at most one character after it, which is dropped)
    tkText, // a text run
    tkTag,  // a tag, from '<' through the first '>' (or the rest of the string when there is none)
};

struct THTMLToken {
    THTMLTokenKind Kind = tkEnd;
    AnsiString Text;
    // Characters of the markup that consuming this token takes.
    std::size_t Length = 0;
};

// Walks a prepared markup string. A layout pass looks at a token with Peek and takes it with
// Consume only when it fits, so that a tag or run that starts the next line is read again; it may
// also save Position() before a line and go back to it for a second pass.
class THTMLReader {
public:
    explicit THTMLReader(const AnsiString& Prepared) : FText(Prepared) {}

    bool AtEnd() const { return FPos >= FText.size(); }
    // The next token. With WordWrap a run ends after the first space or before the first '<',
    // whichever comes first; without it a run goes up to the first '<'.
    THTMLToken Peek(bool WordWrap) const;
    void Consume(const THTMLToken& Token);
    THTMLToken Next(bool WordWrap);

    std::size_t Position() const { return FPos; }
    void SetPosition(std::size_t Value) { FPos = Value < FText.size() ? Value : FText.size(); }
    const AnsiString& Text() const { return FText; }

private:
    AnsiString FText;
    std::size_t FPos = 0;
};

// ---- Tags -----------------------------------------------------------------------------------------

enum THTMLTag {
    htUnknown, // consumed without effect
    // Opening tags.
    htA,
    htB,
    htBR,
    htBL,
    htBODY,
    htCONTROL,
    htE,
    htFONT,
    htHI,
    htHR,
    htI,
    htIND,
    htIMG,
    htLI,
    htP,
    htR,
    htS,
    htSHAD,
    htSUB,
    htSUP,
    htU,
    htUL,
    htZ,
    // Closing tags.
    htEndA,
    htEndB,     // "</B>": bold off
    htEndColor, // "</BL>", "</BODY>" and any other "</B...": font colour back to the base colour
    htEndE,
    htEndFONT,
    htEndHI,
    htEndI,
    htEndLI, // any "</L...": ends the line
    htEndP,
    htEndR,
    htEndSUBSUP, // "</SU...": subscript and superscript off
    htEndSHAD,   // "</SH..."
    htEndS,      // any other "</S...": strike-out off
    htEndUL,     // "</U" followed by anything but '>': list level down, or underline off at level 0
    htEndU,
    htEndZ,
};

// What a tag (its text from '<' on) is. A tag is closing when its second character is '/' and it
// is longer than three characters, and is then known by its third character (and for B, S and U
// the fourth); an opening tag is known by its second character and for some letters the third.
// Letters are compared without regard to case.
THTMLTag HTMLTagKind(const AnsiString& Tag);

// ---- Attribute values -----------------------------------------------------------------------------

// The value of attribute Name (given in upper case, for example "FACE", " COLOR", "HREF") in Tag:
// the name is searched in an upper-cased copy of the tag, where it is followed by '='; the value is
// the text between the double quotes after the '=' (an unquoted value is empty). It is cut from
// the upper-cased copy, or with AsWritten from the tag as written (A HREF and TITLE, CONTROL).
AnsiString HTMLAttribute(const AnsiString& Tag, const AnsiString& Name, bool AsWritten);

// The FONT SIZE value: quoted like any attribute, or without quotes read as it stands (up to a
// blank or '>').
AnsiString HTMLFontSizeValue(const AnsiString& Tag);

// Reads a number in the platform's integer syntax (leading blanks, optional sign, decimal digits
// or hexadecimal after "$" or "0x"); reading stops at the first character that does not belong to
// the number or would overflow, and Number receives what was read up to there (0 when nothing).
// Answers true when the whole value was one number.
bool HTMLReadNumber(const AnsiString& Value, Integer& Number);

// FONT SIZE in points: 1 8, 2 10, 3 12, 4 14, 5 16; any other number that size, kept within
// 1..1638 so that markup cannot ask for an absurd font.
Integer HTMLFontSize(Integer Size);

// A colour name of the markup ("clred", "clbtnface", any case); 0 (black) for an unknown name.
TColor HTMLColorName(const AnsiString& Name);

// Six hexadecimal digits RRGGBB as a colour; a pair with fewer than two characters, or a character
// that is not a hexadecimal digit, counts as 0.
TColor HTMLHexColor(const AnsiString& Digits);

// A colour attribute value. FONT and P (BodyRule false): "#RRGGBB" when the value starts with '#',
// else a colour name. BODY (BodyRule true): hexadecimal after a '#' anywhere in the value, else a
// colour name only when the value contains "CL". Answers false, leaving Color alone, for an empty
// value and for a BODY value that is neither.
bool HTMLReadColor(const AnsiString& Value, bool BodyRule, TColor& Color);

// ---- Layout, drawing and hit-testing --------------------------------------------------------------

class TCanvas;
class TCustomImageList;
class TBitmap;
class THTMLPictureCache;
class TPictureContainer;
struct HWND__;

// Lays Markup out in lines inside Rect and measures it (CheckHeight), draws it, or finds what
// lies under (XPos, YPos) (CheckHotSpot). Answers true when a hit-test or drawing pass found the
// point on an anchor's text, on a picture inside an anchor or on a form control, or when
// CheckHotSpot is set and CtrlID names a form control of the text; a measure-only call answers
// false. AnchorVal is written only on a hit, never cleared. The canvas's font, pen, brush,
// background mode and pen position are as they were when the call returns, and nothing else is
// kept between calls.
bool HTMLDrawEx(TCanvas* Canvas, const AnsiString& Markup, const TRect& Rect, TCustomImageList* Images,
                Integer XPos, Integer YPos, Integer FocusLink, Integer HoverLink, Integer ShadowOffset,
                bool CheckHotSpot, bool CheckHeight, bool Print, bool Selected, bool Blink, bool HoverStyle,
                bool WordWrap, bool Down, double ResFactor, TColor URLColor, TColor HoverColor,
                TColor HoverFontColor, TColor ShadowColor, AnsiString& AnchorVal, AnsiString& StripVal,
                AnsiString& FocusAnchor, AnsiString& AnchorHint, Integer& XSize, Integer& YSize,
                Integer& HyperLinks, Integer& MouseLink, TRect& MouseRect, TRect& CtrlRect,
                AnsiString& CtrlID, AnsiString& CtrlVal, AnsiString& CtrlType,
                THTMLPictureCache* PictureCache, TPictureContainer* PictureContainer, HWND__* ThemeWindow);

// Stretches Bitmap into Rect through its device-independent form, as printers need.
void PrintBitmap(TCanvas* Canvas, const TRect& Rect, TBitmap* Bitmap);

// ---- Text functions -------------------------------------------------------------------------------

// The plain text: every "<BR>" and "<HR>" (any case) becomes CR LF, then tags are removed (a tag
// runs from a '<' that has a '>' after it to the first such '>'); entities stay as they are.
AnsiString HTMLStrip(const AnsiString& S);
// S with every match of H in its visible text wrapped in "<Tag>" and "</Tag>"; matches do not
// overlap, and a match starting right after the previous one is found too. Empty H leaves S
// alone.
// When the visible text holds '<' or '>' the markup is dropped and the text escaped.
AnsiString HiLight(const AnsiString& S, const AnsiString& H, const AnsiString& Tag, bool DoCase);
// S without the tags "<Tag>" and "</Tag>" (any case), with "&lt;" and "&gt;" turned back.
AnsiString UnHiLight(const AnsiString& S, const AnsiString& Tag);
// S escaped for HTML: '&', '"', '<', '>' and the accented letters and signs of the entity table.
AnsiString FixMarkup(const AnsiString& S);
AnsiString FixNonBreaking(const AnsiString& S);
// The inverse of FixMarkup, as control VALUE attributes are read.
AnsiString HTMLDecodeControlValue(const AnsiString& S);

bool HasHTMLControl(const AnsiString& S);
AnsiString GetNextControlID(const AnsiString& S, const AnsiString& ID);
bool GetControlValue(const AnsiString& S, const AnsiString& ID, AnsiString& Value);
AnsiString GetControlProp(const AnsiString& S, const AnsiString& ID);
Integer GetControlMaxLen(const AnsiString& S, const AnsiString& ID);
// Rewrites the tag of the first control with ID to carry Value; false, S untouched, when no
// control has that ID.
bool SetControlValue(AnsiString& S, const AnsiString& ID, const AnsiString& Value);
AnsiString ClearRadioControls(const AnsiString& S);
