#pragma once

// A small workbook around the fuzzed formulas: three sheets, a references table, no array or table
// formulas (asking for one raises, as the cell store does for a cell without one).

#include "RudUvud/xlsadapter/BaseRecordLists.h"
#include "RudUvud/xlsadapter/XlsFormulaParser.h"
#include "RudUvud/xlsadapter/XlsReferences.h"
#include "platform/rtl/Strings.h"

#include <memory>

class TFuzzFormulaContext : public TFormulaContext {
public:
    TBoundSheetRecordList Sheets;
    TNameRecordList Names;
    TReferences Refs;

    TFuzzFormulaContext()
    {
        for (const char16_t* n : {u"Sheet1", u"Sheet2", u"My Sheet"})
            Sheets.Add(std::make_unique<TBoundSheetRecord>(0, WideString(n)));
        Refs.AddSheet(3, 0, 0);
        Refs.AddSheet(3, 1, 2);
    }
    ByteArray ArrayFormula(Integer, Integer) override { XlsError(zivXlsMessages::ErrShrFmlaNotFound); }
    ByteArray TableFormula(Integer, Integer) override { XlsError(zivXlsMessages::ErrShrFmlaNotFound); }
    WideString GetName(Integer ExternSheet, Integer NameIndex) override
    {
        return Refs.GetName(ExternSheet, NameIndex, {&Sheets, &Names});
    }
    WideString GetSheetName(Integer ExternSheet) override
    {
        return Refs.GetSheetName(ExternSheet, {&Sheets, &Names});
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
};
