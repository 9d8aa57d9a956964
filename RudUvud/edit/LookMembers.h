// Members of TDidAririzEvar declared by the look presets and themes (edit/GridLook.cpp) and by
// the painting of cell graphics, check boxes, radio buttons and the background
// (edit/CellGraphicsPaint.cpp). Included only inside the class body in core/RudUvud.h; the types
// these declarations use are included there.

public:
// ======== Look presets and themes (edit/GridLook.cpp) ========
// Chooses a look: nothing when it is the current one; glVista, glWin7 and glOffice2007 apply
// their colour preset, the others reset the fixed-cell gradients and their colours.
void SetLook(TGridLook Value);
// Applies a colour preset (an ordinal beyond the presets resets only the selection colours,
// the selection style and the sort header colours), then repaints.
void SetStyle(TRudUvudStyle AStyle);
// The component style interface: records the style, applies the preset of the same ordinal and,
// unless designing, styles the drop-down editors.
void SetComponentStyle(ZEDAVozor AStyle);
ZEDAVozor ComponentStyle() const;
// Passes the style to the drop-down editors that take one (not the track-bar drop-down).
void SetEditorsStyle(ZEDAVozor AStyle);
ZEDAVozor EditorsStyle() const;
// Applies the colours of a system colour scheme.
void SetTheme(TXPColorScheme Scheme);
// Finds the current colour scheme (vistaAero on Vista or later; else from the active theme's
// colour name) and applies it with SetTheme.
void ThemeAdapt();
// "glStandard" … "glOffice2007", "Standard" … "Office2007"; "" for glCustom.
AnsiString GetLookAsString(TGridLook ALook);
AnsiString GetLookAsFriendlyString(TGridLook ALook);

using TRatingChangeEvent =
    std::function<void(TObject* Sender, Integer ACol, Integer ARow, Double& NewRate, bool& Allow)>;
// Asks OnRatingChange whether a rating may take NewRate (which the handler may change).
virtual bool DoRatingChange(Integer ACol, Integer ARow, Double& NewRate);
TRatingChangeEvent OnRatingChange;

// ======== Cell graphics, check boxes, radio buttons, background (edit/CellGraphicsPaint.cpp) ====
// The cell's graphic with its size on screen, whether the cell text shows and its placement;
// nullptr (size 0, text shown, haLeft, vaTop) without graphic. ACol is a real column.
TCellGraphic* GetGraphicDetails(Integer ACol, Integer ARow, Integer& Width, Integer& Height, bool& ShowText,
                                TCellHAlign& HAlign, TCellVAlign& VAlign);
// One check box on the grid's canvas in Rect (its top-left, or centred for the frame-control
// styles).
void DrawCheck(const TRect& R, bool Checked, bool Enabled, RudUvudLook::TControlStyle Style);
// A group of Count radio buttons on Canvas; item i (from 1) is selected when i = Index + 1 or,
// with Index -1, when its caption equals the cell's text. Scale multiplies the radio sizes;
// Upward stacks vertical items upwards.
void DrawRadio(TCanvas* Canvas, const TRect& R, Integer Count, Integer Index, bool Horizontal, bool Disabled,
               TStrings* Items, bool Selected, Integer ACol, Integer ARow, RudUvudLook::TControlStyle Style,
               Double Scale, bool Upward);
// BackGround.Bitmap into a rectangle of the grid canvas: at its fixed place, or tiled.
void DrawWallPaperFixed(const TRect& R);
void DrawWallPaperTile(const TRect& R);
// The client area no cell covers: background gradient or picture.
void PaintBackground();
// Where a graphic of W x H goes in R (the cell rectangle inflated by one) for the cell's
// placement, the text's alignments and the width t of the drawn text.
TRect GraphicPlace(const TCellGraphic& G, TRect R, Integer W, Integer H, Integer TextWidth,
                   TAlignment TextHAlign, TVAlignment TextVAlign);

protected:
// The paint steps: an ICellGraphic background before the content, the graphic after the
// borders.
void PaintBackgroundGraphic(TGridCellPaint& P);
void PaintCellGraphic(TGridCellPaint& P);
void DrawCheckOn(TCanvas* Canvas, const TRect& R, bool Checked, bool Enabled,
                 RudUvudLook::TControlStyle Style);
void DrawNodeGlyph(TCanvas* Canvas, TGridCellPaint& P, TCellGraphic& G, TRect R);
void DrawCellButton(TCanvas* Canvas, TGridCellPaint& P, TCellGraphic& G, TRect Place);
// The cell's number for ratings, bars and gauges: 0 for an empty text or one that is not a
// number (a paint never raises).
Double PaintFloat(Integer ACol, Integer ARow);
bool CellShowsSelected(const TGridCellPaint& P);
