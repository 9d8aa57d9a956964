#pragma once
// The small base controls of the print suite. Each answers About with "<class> v2.96.6" and
// GetVersion with 2.96; the bordered ones draw a sunken client edge (or a plain border when
// Ctl3D is off) for BorderStyle bsSingle.
#include "platform/forms/Forms.h"
#include "platform/forms/StdCtrls.h"
#include "print/VuTypes.h"

class TVuCanvas;

class TVuComponent : public TVuCustomComponent {
public:
    using TVuCustomComponent::TVuCustomComponent;
    AnsiString About() { return GetStrVersion(this); }
    void SetAbout(const AnsiString&) {}
    Extended GetVersion() const { return VuSuiteVersion; }
};

// A scrolling container with the suite's construction: silver, bordered, double buffered.
class TVuScrollingWinControl : public TScrollingWinControl {
public:
    explicit TVuScrollingWinControl(TComponent* AOwner);
    AnsiString About() { return GetStrVersion(this); }
    void SetAbout(const AnsiString&) {}
    Extended GetVersion() const { return VuSuiteVersion; }
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    void WndProc(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;

private:
    TBorderStyle FBorderStyle = bsSingle;
};

class TVuWinControl : public TWinControl {
public:
    explicit TVuWinControl(TComponent* AOwner);
    AnsiString About() { return GetStrVersion(this); }
    void SetAbout(const AnsiString&) {}
    Extended GetVersion() const { return VuSuiteVersion; }
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    void WndProc(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;

private:
    TBorderStyle FBorderStyle = bsSingle;
};

class TVuComboBox : public TCustomComboBox {
public:
    using TCustomComboBox::TCustomComboBox;
    AnsiString About() { return GetStrVersion(this); }
    void SetAbout(const AnsiString&) {}
    Extended GetVersion() const { return VuSuiteVersion; }
};

// Holds the recording canvas of the document a preview shows.
class TVuCanvasWinControl : public TVuScrollingWinControl {
public:
    using TVuScrollingWinControl::TVuScrollingWinControl;
    TVuCanvas* Canvas() const { return FCanvas; }

protected:
    TVuCanvas* FCanvas = nullptr;
};

// The common base of the preview and the thumbnails.
class TVuScrollingPageControl : public TVuCanvasWinControl {
public:
    using TVuCanvasWinControl::TVuCanvasWinControl;
};
