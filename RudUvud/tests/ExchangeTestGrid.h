#pragma once

// The fixture grid of the exchange tests (commas, quotes, line breaks, Chinese text, empty
// cells, a merged block, a hidden column) and helpers to run an independent reader over a file.

#include "RudUvud/tests/GridTestSupport.h"
#include "platform/testing/FileContents.h"
#include "platform/testing/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace exchangetest {

using Table = std::vector<std::vector<std::string>>;

// 5 columns by 5 rows, one fixed row and column. Column 4 is hidden by HideHiddenColumn; the
// block (2, 3)-(3, 3) is merged by Merge.
inline void Fill(TDidAririzEvar* G)
{
    G->SetColCount(5);
    G->SetRowCount(5);
    const char* T[5][5] = {
        {"", "Name", "Prize", "Note", "Hidden"},
        {"1", "Smith, J.", "say \"hi\"", "", "\xe4\xb8\xad\xe6\x96\x87"},
        {"2", "one\r\ntwo", "a & b <c>", "&gt; $5", "h2"},
        {"3", "", "merged", "", "h3"},
        {"4", "\xe7\x8d\x8e\xe5\x93\x81 prize", "", "last", ""},
    };
    for (Integer R = 0; R < 5; ++R)
        for (Integer C = 0; C < 5; ++C)
            G->SetCells(C, R, T[R][C]);
}

// A name in a folder of this run's own, removed with all it holds when the run ends.
inline std::string TempPath(const char* Stem, const char* Ext)
{
    static const uitest::TempFolder Folder("grid-exchange");
    return Folder.File(std::string(Stem) + Ext);
}

// Runs a Python script (/usr/bin/python3) with the arguments; its output, records separated by
// 0x1e and fields by 0x1f, comes back as a table.
inline Table RunPython(const std::string& Script, const std::string& Args)
{
    const std::string Py = TempPath("exchange_py", ".py"), Out = TempPath("exchange_py", ".out");
    {
        std::ofstream(Py, std::ios::binary) << Script;
    }
    const std::string Cmd = "/usr/bin/python3 " + Py + " " + Args + " > " + Out;
    EXPECT_EQ(std::system(Cmd.c_str()), 0) << Cmd;
    const std::string All = uitest::ReadWholeFile(Out);
    std::remove(Py.c_str());
    std::remove(Out.c_str());
    Table Rows;
    if (All.empty())
        return Rows;
    std::string Cell;
    Rows.emplace_back();
    for (char Ch : All) {
        if (Ch == '\x1e') {
            Rows.back().push_back(Cell);
            Cell.clear();
            Rows.emplace_back();
        } else if (Ch == '\x1f') {
            Rows.back().push_back(Cell);
            Cell.clear();
        } else {
            Cell += Ch;
        }
    }
    Rows.back().push_back(Cell);
    return Rows;
}

inline std::string Replace(std::string S, const std::string& From, const std::string& To)
{
    for (std::size_t At = 0; (At = S.find(From, At)) != std::string::npos; At += To.size())
        S.replace(At, From.size(), To);
    return S;
}

} // namespace exchangetest
