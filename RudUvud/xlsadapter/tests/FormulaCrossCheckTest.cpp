// Formulas compiled by another program (python3-xlwt, tests/data/formulas/make-formulas.py) decode
// to the texts they were compiled from, and those texts encode back to tokens that decode the same.

#include "RudUvud/xlsadapter/XlsEncodeFormula.h"
#include "RudUvud/xlsadapter/XlsFormula.h"
#include "RudUvud/xlsadapter/tests/FormulaTestSupport.h"
#include "RudUvud/xlsadapter/tests/XlsTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>

TEST(FormulaCrossCheck, DecodesFormulasAnotherCompilerWrote)
{
    std::vector<AnsiString> expected;
    {
        std::ifstream f(std::string(DRAWMERE_TEST_DATA) + "/formulas/expected.txt");
        AnsiString line;
        while (std::getline(f, line))
            if (!line.empty() && line[0] != '#')
                expected.push_back(line.substr(line.find('\t') + 1));
    }
    ASSERT_GT(expected.size(), 30u);

    const ByteArray wb = xlstest::ReadStream(xlstest::Fixture("formulas/xlwt-formulas.xls"), u"Workbook");
    xlstest::TTestFormulaContext cells({"Data", "Other", "Third"});
    std::map<Integer, AnsiString> decoded;
    size_t pos = 0;
    while (pos + 4 <= wb.size()) {
        const Word id = GetWord(wb.data(), static_cast<Integer>(pos));
        const Word size = GetWord(wb.data(), static_cast<Integer>(pos + 2));
        ASSERT_LE(pos + 4 + size, wb.size());
        ByteArray data(wb.begin() + static_cast<long>(pos) + 4,
                       wb.begin() + static_cast<long>(pos) + 4 + size);
        pos += 4 + size;
        if (id == xlr_SUPBOOK) {
            cells.Refs.AddSupBook(std::make_unique<TSupBookRecord>(id, data));
        } else if (id == xlr_EXTERNSHEET) {
            cells.Refs.AddExternRef(TExternSheetRecord(id, data));
        } else if (id == xlr_FORMULA) {
            TFormulaRecord rec(id, data);
            decoded[rec.GetRow()] = UTF8Encode(RPNToString(rec.Data(), rec.DataSize(), 22, &cells));
        }
    }
    ASSERT_EQ(decoded.size(), expected.size());
    for (size_t row = 0; row < expected.size(); ++row) {
        SCOPED_TRACE(expected[row]);
        EXPECT_EQ(decoded[static_cast<Integer>(row)], expected[row]);
        TParseString ps(UTF8Decode(expected[row]), &cells, fmValue);
        ps.Parse();
        ByteArray buf(static_cast<size_t>(ps.TotalSize()));
        ps.CopyToPtr(buf.data(), 0);
        EXPECT_EQ(UTF8Encode(RPNToString(buf, 2, &cells)), expected[row]);
    }
}
