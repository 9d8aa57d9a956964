#pragma once

#include "RudUvud/xlsadapter/XlsDrawing.h"
#include "RudUvud/xlsadapter/XlsNotes.h"

#include "XlsTestSupport.h"

#include <memory>
#include <vector>

namespace xlstest {

// Cells of default size: columns 8 characters wide, rows 255 twips high.
struct TPlainSheet : TEscherSheet {
    Integer GetColWidth(Integer) const override { return 8 * 256; }
    Integer GetRowHeight(Integer) const override { return 255; }
};

// A workbook's drawings and comments as the engine loads them: the drawing group from the
// globals, and per sheet its drawing and NOTE records, with the stream positions of each
// sheet's drawing records (first MSODRAWING to the record after the drawing's last).
struct TLoadedDrawings {
    TDrawingGroup Group;
    std::vector<std::unique_ptr<TDrawing>> Sheets;
    std::vector<std::unique_ptr<TNoteList>> Notes;
    Int64 GroupStart = -1, GroupEnd = -1;
    std::vector<std::pair<Int64, Int64>> Spans;

    explicit TLoadedDrawings(const ByteArray& Stream)
    {
        BiffStream s(Stream);
        TOle2File& f = *s.File;
        TRecordHeader h;
        ReadRecordHeader(f, h);
        int bofs = 0;
        while (f.Get_Position() - 4 < s.Length) {
            const Int64 at = f.Get_Position() - 4;
            if (h.Id == 0x0809) {
                if (++bofs >= 2) {
                    Sheets.push_back(std::make_unique<TDrawing>(&Group));
                    Notes.push_back(std::make_unique<TNoteList>());
                    Spans.emplace_back(-1, -1);
                }
            }
            std::unique_ptr<TBaseRecord> r = LoadRecords(f, h);
            if (r->Id() == xlr_MSODRAWINGGROUP) {
                GroupStart = at;
                Group.LoadFromStream(f, h, std::move(r));
                GroupEnd = f.Get_Position() - 4;
            } else if (r->Id() == xlr_MSODRAWING && !Sheets.empty()) {
                Spans.back().first = at;
                Sheets.back()->LoadFromStream(f, h, std::move(r), nullptr);
                Spans.back().second = f.Get_Position() - 4;
            } else if (auto* n = dynamic_cast<TNoteRecord*>(r.get())) {
                r.release();
                Notes.back()->AddRecord(std::unique_ptr<TNoteRecord>(n), n->GetRow());
            }
        }
        for (size_t i = 0; i < Sheets.size(); ++i)
            Notes[i]->FixDwgIds(*Sheets[i]);
    }
};

} // namespace xlstest
