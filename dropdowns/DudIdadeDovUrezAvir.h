#pragma once

// The track bar picker: an integer edited in a track bar in the popup, with the arrow keys on
// the closed control or by dragging the mouse across the edit.

#include "dropdowns/DadOrorUdur.h"

#include "platform/forms/ComCtrls.h"

class TDudIdadeDovUrezAvir : public TDizEveverAvivIzar {
public:
    explicit TDudIdadeDovUrezAvir(TComponent* AOwner);
    void AfterConstruction() override;

    TTrackBar* TrackBar() const { return FTrackBar; }
    Integer Min() const { return FMin; }
    void SetMin(Integer Value);
    Integer Max() const { return FMax; }
    void SetMax(Integer Value);
    Integer Position() const { return FPosition; }
    void SetPosition(Integer Value);
    Integer Frequency() const { return FFrequency; }
    void SetFrequency(Integer Value);
    Integer PageSize() const { return FPageSize; }
    void SetPageSize(Integer Value);

    void CreateDropDownForm() override;
    void BeforeDropDown() override;
    void WndProc(TMessage& Message) override;

    TNotifyEvent OnTrackChange;

protected:
    void Change() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void OnTrackBarChange(TObject* Sender);

    TTrackBar* FTrackBar = nullptr;
    Integer FMin = 0;
    Integer FFrequency = 1;
    Integer FPageSize = 2;
    Integer FMax = 10;
    Integer FPosition = 0;
    bool FDragging = false;
    Integer FDragStart = 0;
};
