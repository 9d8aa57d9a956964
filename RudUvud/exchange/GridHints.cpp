// Balloon hints: the text and title a cell's balloon shows.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/exchange/GridExchangeState.h"
#include "RudUvud/support/DerOdoz.h"

void TDidAririzEvar::CellBalloonText(Integer ACol, Integer ARow, AnsiString& Title, AnsiString& Text,
                                     Integer& Icon)
{
    AnsiString S;
    Integer RealCol = -1;
    if (ACol != -1 && ARow != -1) {
        RealCol = RealColIndex(ACol);
        S = GetCellEx(RealCol, ARow);
        if (TextType(S, FCore.EnableHTML) == ttUnicode) {
            // Wide text is shown as its 8-bit form (UTF-8 here).
            const WideString W = DecodeWideStr(S);
            S.clear();
            for (char16_t Ch : W)
                S += Ch < 0x80 ? static_cast<char>(Ch) : '?';
        }
    }
    for (size_t I = 0; I + 1 < S.size(); ++I)
        if (S[I] == '\t')
            S[I] = ' ';
    size_t First = 0;
    while (First < S.size() && (S[First] == '\r' || S[First] == '\n' || S[First] == '\t'))
        ++First;
    if (S.size() - First > 1024)
        Text = S.substr(First, 1021) + "...";
    else
        Text = S.substr(First);
    Icon = 1;
    Title = " ";
    if (OnCellBalloon)
        OnCellBalloon(this, RealCol, ARow, Title, Text, Icon);
    FXchg.BalloonCell = TGridCoord{ACol, ARow};
    FXchg.BalloonText = Text.substr(0, 1024);
    Text = FXchg.BalloonText;
    if (Title.size() > 100)
        Title = Title.substr(0, 97) + "...";
}
