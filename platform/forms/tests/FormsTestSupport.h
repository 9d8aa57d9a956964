#pragma once

// Small forms built in code and driven through the headless harness.

#include "platform/forms/ActnList.h"
#include "platform/forms/Controls.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Forms.h"
#include "platform/testing/Harness.h"
#include "platform/testing/IdleSteps.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

// A focusable box that paints its caption, notes its focus and can ask for special keys.
class TTestBox : public TCustomControl {
public:
    explicit TTestBox(TComponent* AOwner) : TCustomControl(AOwner)
    {
        FTabStop = true;
        SetBounds(0, 0, 60, 24);
    }
    TColor Fill = clWhite;
    LRESULT DlgCode = 0;
    std::vector<Word> KeysDown;
    std::u16string Typed;

    void WndProc(TMessage& Message) override
    {
        switch (Message.Msg) {
        case WM_GETDLGCODE:
            Message.Result = DlgCode;
            return;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            TCustomControl::WndProc(Message);
            Invalidate();
            return;
        case CM_DIALOGCHAR:
            if (IsAccel(static_cast<Word>(Message.WParam), Caption()) && CanFocus()) {
                Click();
                Message.Result = 1;
                return;
            }
            break;
        default:
            break;
        }
        TCustomControl::WndProc(Message);
    }

protected:
    void KeyDown(Word& Key, TShiftState Shift) override
    {
        KeysDown.push_back(Key);
        TCustomControl::KeyDown(Key, Shift);
    }
    void KeyPress(WideChar& Key) override
    {
        Typed += Key;
        TCustomControl::KeyPress(Key);
    }
    void Paint() override
    {
        Canvas()->Brush()->SetColor(Focused() ? clYellow : Fill);
        Canvas()->Pen()->SetColor(clBlack);
        Canvas()->Rectangle(ClientRect());
        Canvas()->Brush()->SetStyle(bsClear);
        Canvas()->TextOut(4, 4, Caption());
    }
};

// A windowless control that paints a colour.
class TTestShape : public TGraphicControl {
public:
    explicit TTestShape(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 40, 20); }
    TColor Fill = clGreen;

protected:
    void Paint() override
    {
        Canvas()->Brush()->SetColor(Fill);
        Canvas()->FillRect(ClientRect());
    }
};

// A container without a look of its own.
class TTestPanel : public TCustomControl {
public:
    explicit TTestPanel(TComponent* AOwner) : TCustomControl(AOwner)
    {
        FControlStyle.Include(csAcceptsControls);
        SetBounds(0, 0, 100, 50);
    }
};

template <class T> T* Add(TWinControl* Parent, const std::string& Name, int X, int Y, int W, int H)
{
    T* C = New<T>(GetParentForm(Parent) ? static_cast<TComponent*>(GetParentForm(Parent)) : Parent);
    C->SetName(Name);
    C->SetBounds(X, Y, W, H);
    C->SetParent(Parent);
    return C;
}

class FormsTest : public ::testing::Test, protected uitest::IdleSteps {
protected:
    void SetUp() override
    {
        uitest::Start();
        Application->OnIdle = [this](TObject*, bool& Done) { RunNextStep(Done); };
        Application->OnException = nullptr;
    }

    void TearDown() override
    {
        Application->OnIdle = nullptr;
        Application->OnException = nullptr;
        Application->OnHint = nullptr;
        Application->OnShowHint = nullptr;
        Application->CancelHint();
        while (Screen->FormCount() > 0)
            Screen->Forms(Screen->FormCount() - 1)->Free();
        Steps.clear();
    }

    TForm* MakeForm(const std::string& Caption, int W = 300, int H = 200)
    {
        TForm* F = New<TForm>(Application);
        F->SetCaption(Caption);
        F->SetBounds(100, 100, W, H);
        return F;
    }

    // Steps run one per idle moment of a message loop of the application (modal loops).
    void WhenIdle(std::function<void()> Step) { Steps.push_back(std::move(Step)); }
};
