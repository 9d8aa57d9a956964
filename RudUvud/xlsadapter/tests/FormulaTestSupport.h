#pragma once

#include "RudUvud/xlsadapter/BaseRecordLists.h"
#include "RudUvud/xlsadapter/XlsFormulaParser.h"
#include "RudUvud/xlsadapter/XlsReferences.h"
#include "platform/rtl/Strings.h"

#include <map>
#include <memory>
#include <utility>

namespace xlstest {

// A workbook's worth of context for formulas: named sheets, the references table and the array
// and table formulas of a sheet, keyed by their anchor cell.
class TTestFormulaContext : public TFormulaContext {
public:
    TBoundSheetRecordList Sheets;
    TNameRecordList Names;
    TReferences Refs;
    std::map<std::pair<Integer, Integer>, ByteArray> Arrays;
    std::map<std::pair<Integer, Integer>, ByteArray> Tables;

    explicit TTestFormulaContext(std::initializer_list<const char*> SheetNames = {"Sheet1", "Sheet2",
                                                                                  "Sheet3", "My Sheet"})
    {
        for (const char* n : SheetNames)
            Sheets.Add(std::make_unique<TBoundSheetRecord>(0, UTF8Decode(n)));
    }
    TReferenceGlobals Globals() { return {&Sheets, &Names}; }

    ByteArray ArrayFormula(Integer Row, Integer Col) override { return Find(Arrays, Row, Col); }
    ByteArray TableFormula(Integer Row, Integer Col) override { return Find(Tables, Row, Col); }
    WideString GetName(Integer ExternSheet, Integer NameIndex) override
    {
        return Refs.GetName(ExternSheet, NameIndex, Globals());
    }
    WideString GetSheetName(Integer ExternSheet) override
    {
        return Refs.GetSheetName(ExternSheet, Globals());
    }
    Integer FindSheet(const WideString& Name) override
    {
        for (Integer i = 0; i < Sheets.Count(); ++i)
            if (UpperCase(Sheets.GetSheetName(i)) == UpperCase(Name))
                return i;
        return -1;
    }
    Word AddExternSheet(Integer FirstSheet, Integer LastSheet) override
    {
        return Refs.AddSheet(Sheets.Count(), FirstSheet, LastSheet);
    }

private:
    static ByteArray Find(const std::map<std::pair<Integer, Integer>, ByteArray>& M, Integer Row, Integer Col)
    {
        auto it = M.find({Row, Col});
        if (it == M.end())
            XlsError(zivXlsMessages::ErrShrFmlaNotFound);
        return it->second;
    }
};

} // namespace xlstest
