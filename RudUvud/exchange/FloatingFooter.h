#pragma once

// The floating footer: a strip docked at the grid's bottom edge that stays in place while the
// rows scroll. TFloatingFooter holds its settings (the grid's FloatingFooter property);
// TFooterPanel is the child window that paints it and answers hints and clicks. Both belong to
// the grid and live as long as it does.

#include "RudUvud/core/GridTypes.h"

#include "platform/forms/ExtCtrlsPanels.h"

#include <vector>

class TDidAririzEvar;
class TFooterPanel;

using TCalcFooterEvent = TFooterCalcEvent;
// Paints footer column AColumn in ARect instead of the grid (Sender: the panel).
using TFooterPaintEvent = std::function<void(TObject* Sender, Integer AColumn, TCanvas* Canvas, TRect ARect)>;

class TFloatingFooter : public TPersistent {
public:
    explicit TFloatingFooter(TDidAririzEvar* AGrid);
    TFloatingFooter(const TFloatingFooter&) = delete;
    TFloatingFooter& operator=(const TFloatingFooter&) = delete;

    // Only from another TFloatingFooter (else nothing): copies CalculateHiddenRows, Color,
    // Column, CustomTemplate, FooterStyle, then Visible through its setter, then ShowHint.
    // Height, EnableCalculation, BorderColor and OnCalcFooter stay.
    void Assign(TPersistent* Source) override;
    // Repaints the panel.
    void Invalidate();

    // Footer height in pixels; the grid's DefaultRowHeight setter copies every new default row
    // height into it. The setter sizes the panel to Height - 1 (values above 0 only).
    Integer Height() const { return FHeight; }
    void SetHeight(Integer Value);
    // Showing sizes the panel, makes the last row a footer row (FixedFooters 1) for
    // fsFixedLastRow and keeps the grid from painting that row.
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TFooterStyle FooterStyle() const { return FFooterStyle; }
    void SetFooterStyle(TFooterStyle Value);
    // The display column fsColumnPreview shows.
    Integer Column() const { return FColumn; }
    void SetColumn(Integer Value);
    // The mini-HTML of fsCustomPreview; "<#n>" stands for the text of column n in the current row.
    const AnsiString& CustomTemplate() const { return FCustomTemplate; }
    void SetCustomTemplate(const AnsiString& Value);
    // Off: the footer's figures are not calculated (the last row keeps its texts).
    bool EnableCalculation() const { return FEnableCalculation; }
    void SetEnableCalculation(bool Value);
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool Value);
    // A one-pixel line along the top edge; clNone: none.
    TColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(TColor Value);
    // The figure of a column, kept in the properties of the column's last-row cell (acNONE for a
    // cell without). Setting it recalculates the column.
    TColumnCalcType GetColumnCalc(Integer ACol) const;
    void SetColumnCalc(Integer ACol, TColumnCalcType Value);
    TColumnCalcType ColumnCalc(Integer ACol) const { return GetColumnCalc(ACol); }

    // The figures count the rows hidden from the display too.
    bool CalculateHiddenRows = true;
    // The value of an acCUSTOM column when the grid's own OnFooterCalc is not assigned.
    TCalcFooterEvent OnCalcFooter;

private:
    // The grid's DefaultRowHeight setter stores the height without the setter's panel sizing.
    friend class TDidAririzEvar;
    TFooterPanel* Panel() const;

    TDidAririzEvar* FGrid;
    Integer FHeight = 0;
    bool FVisible = false;
    TColor FColor = clBtnFace;
    TFooterStyle FFooterStyle = fsFixedLastRow;
    Integer FColumn = 0;
    AnsiString FCustomTemplate;
    bool FEnableCalculation = true;
    bool FShowHint = false;
    TColor FBorderColor = clNone;
};

class TFooterPanel : public TCustomPanel {
public:
    explicit TFooterPanel(TComponent* AOwner);

    // The template with every "<#n>" replaced by the text of cell (n, current row). A placeholder
    // whose content is no integer, or names no column of the grid, gives nothing; a "<#" with no
    // ">" after it is kept as text with the rest of the template.
    AnsiString HTMLColReplace(const AnsiString& Template);
    // Rect mirrored against the client width in right-to-left display (left then greater than
    // right); unchanged otherwise.
    TRect RTLCoord(bool RightToLeft, const TRect& Rect);
    // The display columns the footer shows, left to right: the fixed ones, then those from the
    // grid's LeftCol on.
    std::vector<Integer> FooterSequence();
    // The footer column under client position X (counted from the left); -1 right of the last.
    Integer FooterColumnAt(Integer X);
    // The column whose hint shows; -1 when none.
    Integer LastHintColumn() const { return FLastHintCol; }

    void WndProc(TMessage& Message) override;

protected:
    void CreateWnd() override;
    void Paint() override;
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    // Each paints one style and answers the right edge of what it painted.
    Integer PaintLastRow();
    Integer PaintColPreview();
    Integer PaintCustomPreview();

private:
    void CMHintShow(TMessage& Message);
    void CMMouseLeave(TMessage& Message);
    // The footer area (the sequence's width, at the right in right-to-left display) filled with
    // the footer's colour, and the rest of the panel with the grid's.
    TRect FillFooterArea(Integer FooterWidth);
    void FillOutsideFooterArea(const TRect& Area);
    // The frame of the preview styles.
    void DrawPreviewFrame(const TRect& Area);

    TDidAririzEvar* FGrid;
    Integer FLastHintCol = -1;
};
