#pragma once

// Message boxes as forms of our own: the application's MessageBox, MessageDlg and
// ShowMessage. Each shows a modal dialog with the text (a control named "Message"), an icon
// for its kind and one button per answer (named "OK", "Cancel", "Yes", "No" …).

#include "platform/forms/Forms.h"
#include "platform/rtl/Set.h"

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn {
    mbYes,
    mbNo,
    mbOK,
    mbCancel,
    mbAbort,
    mbRetry,
    mbIgnore,
    mbAll,
    mbNoToAll,
    mbYesToAll,
    mbHelp
};
using TMsgDlgButtons = TSet<TMsgDlgBtn>;

inline constexpr TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline constexpr TMsgDlgButtons mbYesAllNoAllCancel{mbYes, mbYesToAll, mbNo, mbNoToAll, mbCancel};
inline constexpr TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline constexpr TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};
inline constexpr TMsgDlgButtons mbAbortIgnore{mbAbort, mbIgnore};

// Button sets and answers of MessageBox (the values of the platform's message box).
enum : UINT {
    MB_OKCANCEL = 0x1,
    MB_ABORTRETRYIGNORE = 0x2,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_RETRYCANCEL = 0x5,
    MB_TYPEMASK = 0xF,
    MB_ICONSTOP = 0x10,
    MB_ICONMASK = 0xF0,
    MB_DEFBUTTON1 = 0x0,
    MB_DEFBUTTON2 = 0x100,
    MB_DEFBUTTON3 = 0x200,
    MB_DEFMASK = 0xF00
};
enum : Integer { IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7 };

// Makes (does not show) the dialog; the caller owns it.
TForm* CreateMessageDialog(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons);
// Shows the dialog modally and returns the modal result of the button chosen (mrCancel when
// closed otherwise).
Integer MessageDlg(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, Integer HelpCtx);
// A dialog with the text and an OK button, titled with the application's title.
void ShowMessage(const AnsiString& Msg);

// What TApplication::MessageBox shows: returns IDOK, IDCANCEL, IDYES ….
Integer ShowMessageBox(const AnsiString& Text, const AnsiString& Caption, UINT Flags);
