#include "RudUvud/xlsadapter/XlsGridBridge.h"

#include "RudUvud/edit/GridText.h"
#include "RudUvud/xlsadapter/XlsFile.h"
#include "RudUvud/xlsadapter/XlsMessages.h"
#include "platform/rtl/Strings.h"

// The component itself: construction, references, file objects and the small text and colour
// helpers the export and the import share.

namespace {
// The xls file serves every component that was given no factory of its own.
TExcelFileFactory& DefaultFactory()
{
    static TExcelFileFactory Factory = [] { return NewXlsFile(nullptr); };
    return Factory;
}
} // namespace

void TDAEIOOptions::Assign(TPersistent* Source)
{
    if (auto* Other = dynamic_cast<TDAEIOOptions*>(Source)) {
        ImportCellProperties = Other->ImportCellProperties;
        ImportCellFormats = Other->ImportCellFormats;
        ImportCellSizes = Other->ImportCellSizes;
        ImportImages = Other->ImportImages;
        return;
    }
    TPersistent::Assign(Source);
}

TDozAzevIzaroIO::TDozAzevIzaroIO(TComponent* AOwner) : TComponent(AOwner), FOptions(new TDAEIOOptions) {}

TDozAzevIzaroIO::~TDozAzevIzaroIO() = default;

void TDozAzevIzaroIO::SetDefaultFileFactory(TExcelFileFactory Factory)
{
    DefaultFactory() = std::move(Factory);
}

void TDozAzevIzaroIO::SetDidAririzEvar(TDidAririzEvar* Value)
{
    FGrid = Value;
    if (Value)
        FreeNotification(Value);
}

void TDozAzevIzaroIO::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FGrid)
        FGrid = nullptr;
}

void TDozAzevIzaroIO::CheckGrid() const
{
    if (!FGrid)
        throw EExcelException("There is no DidAririzEvar assigned to this component");
}

std::unique_ptr<TExcelFile> TDozAzevIzaroIO::NewFile()
{
    const TExcelFileFactory& Factory = FFileFactory ? FFileFactory : DefaultFactory();
    std::unique_ptr<TExcelFile> File = Factory ? Factory() : nullptr;
    if (!File)
        throw EExcelException("No spreadsheet file engine is available");
    return File;
}

Integer TDozAzevIzaroIO::CellFormatDef(TExcelFile& File, Integer Row, Integer Col)
{
    Integer XF = File.GetCellFormat(Row, Col);
    if (XF >= 0)
        return XF;
    XF = File.GetRowFormat(Row);
    if (XF > 0)
        return XF;
    XF = File.GetColumnFormat(Col);
    if (XF >= 0)
        return XF;
    return 15;
}

bool TDozAzevIzaroIO::IsRtf(const WideString& Text) const
{
    return !FOptions->ExportRawRTF && Text.rfind(u"{\\rtf", 0) == 0;
}

WideString TDozAzevIzaroIO::SupressCR(const WideString& Text) const
{
    WideString S = IsRtf(Text) ? AnsiToWide(RTFPlainText(WideToAnsi(Text))) : Text;
    WideString Out;
    Out.reserve(S.size());
    for (size_t i = 0; i < S.size(); ++i) {
        if (S[i] == u'\r') {
            if (i + 1 < S.size() && S[i + 1] == u'\n')
                continue; // the line feed that follows stands for both
            Out += u'\n';
        } else {
            Out += S[i];
        }
    }
    return Out;
}

WideString TDozAzevIzaroIO::WideAdjustLineBreaks(const WideString& Text)
{
    WideString Out;
    Out.reserve(Text.size() + 8);
    for (size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] == u'\n' && (i == 0 || Text[i - 1] != u'\r'))
            Out += u'\r';
        Out += Text[i];
    }
    return Out;
}

TColor TDozAzevIzaroIO::GetColor(TExcelFile& File, const TVovFormat& Format)
{
    if (Format.Fill.PatternKind != 1 && Format.Fill.ForeColor >= 1 && Format.Fill.ForeColor <= 56)
        return File.GetColorPalette(Format.Fill.ForeColor);
    return 0xFFFFFF;
}
