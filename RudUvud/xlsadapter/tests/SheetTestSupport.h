#pragma once

#include "RudUvud/xlsadapter/XlsSST.h"
#include "RudUvud/xlsadapter/XlsSheet.h"

#include "XlsTestSupport.h"

#include <memory>
#include <vector>

namespace xlstest {

// A whole workbook stream held as the tests need it until the workbook itself exists: the
// globals' records kept as read (the shared strings loaded into a table), and every worksheet
// loaded into a TWorkSheet. Save writes the globals back with the sheet offsets placed from the
// sheets' predicted sizes, then the sheets, and checks that every sheet starts where predicted.
struct TTestWorkbook {
    std::vector<std::unique_ptr<TBaseRecord>> Globals;
    TSST Sst;
    Integer SstAt = -1;
    std::vector<TBoundSheetRecord*> Bound;
    std::vector<std::unique_ptr<TWorkSheet>> Sheets;

    void Load(const ByteArray& Stream)
    {
        BiffStream s(Stream);
        TOle2File& f = *s.File;
        TRecordHeader h;
        ReadRecordHeader(f, h);
        for (;;) {
            const Word id = h.Id;
            std::unique_ptr<TBaseRecord> r = LoadRecords(f, h);
            if (id == 0x00FC) {
                Sst.Load(static_cast<TSSTRecord&>(*r));
                SstAt = static_cast<Integer>(Globals.size());
                Globals.push_back(nullptr);
                continue;
            }
            if (auto* b = dynamic_cast<TBoundSheetRecord*>(r.get()))
                Bound.push_back(b);
            Globals.push_back(std::move(r));
            if (id == xlr_EOF)
                break;
        }
        for (size_t i = 0; i < Bound.size(); ++i) {
            std::unique_ptr<TBaseRecord> bof = LoadRecords(f, h);
            ASSERT_EQ(bof->Id(), 0x0809);
            auto sheet = std::make_unique<TWorkSheet>(nullptr);
            sheet->LoadFromStream(f, h, std::unique_ptr<TBOFRecord>(static_cast<TBOFRecord*>(bof.release())),
                                  &Sst);
            Sheets.push_back(std::move(sheet));
        }
    }

    Int64 GlobalsSize() const
    {
        Int64 size = 0;
        for (const auto& r : Globals)
            size += r ? r->TotalSize() : Sst.TotalSize();
        return size;
    }

    // The new "Workbook" stream.
    ByteArray SaveStream()
    {
        std::vector<Int64> starts;
        Int64 at = GlobalsSize();
        for (size_t i = 0; i < Sheets.size(); ++i) {
            starts.push_back(at);
            Bound[i]->SetOffset(static_cast<LongWord>(at));
            at += Sheets[i]->TotalSize();
        }
        std::vector<Int64> written;
        ByteArray out = WriteWorkbook([&](TOle2File& f) {
            for (auto& r : Globals)
                if (r)
                    r->SaveToStream(f);
                else
                    Sst.SaveToStream(f);
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
