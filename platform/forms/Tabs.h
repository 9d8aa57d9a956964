#pragma once

// A row of tabs hanging from the edge above it (as sheets of a workbook), drawn by itself.

#include "platform/forms/Controls.h"
#include "platform/rtl/StringLists.h"

#include <memory>

enum TTabStyle { tsStandard, tsOwnerDraw };

using TTabChangeEvent = std::function<void(TObject* Sender, Integer NewTab, bool& AllowChange)>;

class TTabSet : public TCustomControl {
public:
    explicit TTabSet(TComponent* AOwner);
    ~TTabSet() override;

    TStrings* Tabs() const { return FTabs.get(); }
    void SetTabs(TStrings* Value) { FTabs->Assign(Value); }
    // -1 when no tab is selected. Setting it asks OnChange first.
    Integer TabIndex() const { return FTabIndex; }
    void SetTabIndex(Integer Value);
    TColor SelectedColor() const { return FSelectedColor; }
    void SetSelectedColor(TColor Value);
    TColor UnselectedColor() const { return FUnselectedColor; }
    void SetUnselectedColor(TColor Value);
    TColor BackgroundColor() const { return FBackgroundColor; }
    void SetBackgroundColor(TColor Value);
    // The background as a fine check of BackgroundColor and white instead of a plain colour.
    bool DitherBackground() const { return FDitherBackground; }
    void SetDitherBackground(bool Value);
    Integer TabHeight() const { return FTabHeight; }
    void SetTabHeight(Integer Value);
    Integer StartMargin() const { return FStartMargin; }
    void SetStartMargin(Integer Value);
    // The first tab shown (earlier ones are scrolled off to the left).
    Integer FirstIndex() const { return FFirstIndex; }
    void SetFirstIndex(Integer Value);
    // The tab at a client point, -1 when none.
    Integer ItemAtPos(TPoint Pos);
    TRect ItemRect(Integer Index);

    TTabChangeEvent OnChange;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    virtual bool CanChange(Integer NewIndex);

private:
    void TabsChanged();
    std::unique_ptr<TStringList> FTabs;
    Integer FTabIndex = -1;
    TColor FSelectedColor = clBtnFace;
    TColor FUnselectedColor = clWindow;
    TColor FBackgroundColor = clBtnFace;
    bool FDitherBackground = false;
    Integer FTabHeight = 20;
    Integer FStartMargin = 5;
    Integer FFirstIndex = 0;
};
