#pragma once

#include "RudUvud/xlsadapter/XlsSheet.h"
#include "RudUvud/xlsadapter/XlsWorkbookGlobals.h"

#include "XlsTestSupport.h"

#include <memory>
#include <vector>

namespace xlstest {

// A whole workbook stream held as the tests need it until the workbook itself exists: the
// globals loaded into TWorkbookGlobals and every worksheet into a TWorkSheet. Save places the
// sheet offsets from the sections' predicted sizes, writes the globals and the sheets, and checks
// that every sheet starts where predicted.
struct TTestWorkbook {
    TWorkbookGlobals Globals;
    std::vector<std::unique_ptr<TWorkSheet>> Sheets;

    void Load(const ByteArray& Stream)
    {
        BiffStream s(Stream);
        TOle2File& f = *s.File;
        TRecordHeader h;
        ReadRecordHeader(f, h);
        std::unique_ptr<TBaseRecord> bof = LoadRecords(f, h);
        ASSERT_EQ(bof->Id(), 0x0809);
        Globals.LoadFromStream(f, h, std::unique_ptr<TBOFRecord>(static_cast<TBOFRecord*>(bof.release())),
                               nullptr);
        for (Integer i = 0; i < Globals.GetSheetCount(); ++i) {
            bof = LoadRecords(f, h);
            ASSERT_EQ(bof->Id(), 0x0809);
            auto sheet = std::make_unique<TWorkSheet>(&Globals);
            sheet->LoadFromStream(f, h, std::unique_ptr<TBOFRecord>(static_cast<TBOFRecord*>(bof.release())),
                                  &Globals.SST());
            Sheets.push_back(std::move(sheet));
        }
    }

    // The new "Workbook" stream.
    ByteArray SaveStream()
    {
        std::vector<Int64> starts;
        Int64 at = Globals.TotalSize();
        for (size_t i = 0; i < Sheets.size(); ++i) {
            starts.push_back(at);
            Globals.SheetSetOffset(static_cast<Integer>(i), static_cast<LongWord>(at));
            at += Sheets[i]->TotalSize();
        }
        std::vector<Int64> written;
        ByteArray out = WriteWorkbook([&](TOle2File& f) {
            Globals.SaveToStream(f);
            for (auto& s : Sheets) {
                written.push_back(f.Get_Position());
                s->SaveToStream(f);
            }
        });
        EXPECT_EQ(written, starts);
        EXPECT_EQ(static_cast<Int64>(out.size()), at);
        return out;
    }

    // A copy of Doc (a compound document) with the new stream in place of "Workbook".
    ByteArray SaveDocument(const ByteArray& Doc)
    {
        const ByteArray stream = SaveStream();
        TOle2MemoryStream in(Doc), out;
        {
            TOle2File f(&in);
            f.PrepareForWrite(&out, u"Workbook", {});
            f.WriteMem(stream.data(), static_cast<Integer>(stream.size()));
            f.FinishStream();
        }
        return out.Bytes();
    }
};

} // namespace xlstest
