#include "RudUvud/xlsadapter/XlsTemplate.h"

#include "platform/rtl/Streams.h"

ByteArray EmptyWorkbookTemplate()
{
    TResourceStream res(nullptr, EmptyWorkbookResourceName, "RCDATA");
    ByteArray bytes(static_cast<size_t>(res.Size()));
    res.ReadBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
    return bytes;
}

TXlsTemplateDocument::TXlsTemplateDocument() : FDoc(EmptyWorkbookTemplate())
{
    FFile = std::make_unique<TOle2File>(&FDoc);
    FFile->SelectStream(u"Workbook");
}
