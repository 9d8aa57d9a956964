#pragma once

#include "RudUvud/xlsadapter/Ole2File.h"

#include "platform/testing/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// Helpers shared by the engine's tests.
namespace xlstest {

inline ByteArray LoadFile(const std::string& Path)
{
    std::ifstream f(Path, std::ios::binary);
    return ByteArray(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

inline ByteArray Fixture(const std::string& Name)
{
    ByteArray b = LoadFile(std::string(DRAWMERE_TEST_DATA) + "/" + Name);
    EXPECT_FALSE(b.empty()) << Name;
    return b;
}

inline void SaveFile(const std::string& Path, const ByteArray& Data)
{
    std::ofstream f(Path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(Data.data()), static_cast<std::streamsize>(Data.size()));
}

// The whole named stream of a document in memory.
inline ByteArray ReadStream(const ByteArray& Doc, const WideString& Name)
{
    TOle2MemoryStream s(Doc);
    TOle2File f(&s);
    f.SelectStream(Name);
    ByteArray out(static_cast<size_t>(f.Get_Length()));
    f.ReadMem(out.data(), static_cast<Integer>(out.size()));
    return out;
}

// A scratch directory removed with the object.
using TempDir = uitest::TempFolder;

// True when Debian's python has every named module.
inline bool HavePython(const std::string& Modules)
{
    std::string cmd = "/usr/bin/python3 -c 'import " + Modules + "' >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

// Runs a python script with arguments; returns its exit code and fills Output with its stdout.
inline int RunPython(const std::string& Script, const std::string& Args, std::string& Output)
{
    TempDir dir;
    std::string script = dir.File("check.py");
    std::ofstream(script) << Script;
    std::string cmd = "/usr/bin/python3 " + script + " " + Args + " 2>&1";
    Output.clear();
    FILE* p = popen(cmd.c_str(), "r");
    if (!p)
        return -1;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        Output.append(buf, n);
    int rc = pclose(p);
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

// RunPython's output, the script's failure a test failure with that output.
inline std::string Python(const char* Script, const std::string& Args)
{
    std::string Out;
    const int Rc = RunPython(Script, Args, Out);
    EXPECT_EQ(Rc, 0) << Out;
    return Out;
}

} // namespace xlstest

#include "RudUvud/xlsadapter/BaseRecords.h"

#include <initializer_list>
#include <memory>
#include <vector>

namespace xlstest {

// Appends one BIFF record (id, size, data) to a stream of records.
inline void PutRecord(ByteArray& Out, Word Id, const ByteArray& Data)
{
    Out.push_back(static_cast<Byte>(Id));
    Out.push_back(static_cast<Byte>(Id >> 8));
    Out.push_back(static_cast<Byte>(Data.size()));
    Out.push_back(static_cast<Byte>(Data.size() >> 8));
    Out.insert(Out.end(), Data.begin(), Data.end());
}

inline ByteArray Bytes(std::initializer_list<int> L)
{
    ByteArray b;
    for (int v : L)
        b.push_back(static_cast<Byte>(v));
    return b;
}

// A compound document whose "Workbook" stream holds exactly the given bytes (padded with zero
// bytes to the mini-stream cutoff), opened and selected for reading.
struct BiffStream {
    TOle2MemoryStream Doc;
    std::unique_ptr<TOle2File> File;
    Int64 Length;

    explicit BiffStream(const ByteArray& Records, bool Pad = true)
        : Length(static_cast<Int64>(Records.size()))
    {
        ByteArray source = Fixture("xlwt-small.xls");
        TOle2MemoryStream in(source);
        // Four zero bytes after the records: the header after the last record is always read.
        ByteArray padded = Records;
        if (Pad)
            padded.resize(padded.size() + 4, 0);
        {
            TOle2File f(&in);
            f.PrepareForWrite(&Doc, u"Workbook", {});
            f.WriteMem(padded.data(), static_cast<Integer>(padded.size()));
            f.FinishStream();
        }
        Doc.Seek(0);
        File = std::make_unique<TOle2File>(&Doc);
        File->SelectStream(u"Workbook");
    }

    // Every record up to Length, through the factory.
    std::vector<std::unique_ptr<TBaseRecord>> LoadAll()
    {
        std::vector<std::unique_ptr<TBaseRecord>> recs;
        TRecordHeader h;
        ReadRecordHeader(*File, h);
        while (File->Get_Position() - 4 < Length)
            recs.push_back(LoadRecords(*File, h));
        return recs;
    }
};

// Writes records into a fresh "Workbook" stream and returns the stream's bytes.
template <class Fn> ByteArray WriteWorkbook(Fn&& Write)
{
    ByteArray source = Fixture("xlwt-small.xls");
    TOle2MemoryStream in(source), out;
    Int64 written;
    {
        TOle2File f(&in);
        f.PrepareForWrite(&out, u"Workbook", {});
        Write(f);
        written = f.Get_Position();
        f.FinishStream();
    }
    ByteArray all = ReadStream(out.Bytes(), u"Workbook");
    all.resize(static_cast<size_t>(written));
    return all;
}

// The fix-up context for references staying on the sheet being changed.
inline TSheetInfo SameSheet()
{
    TSheetInfo info;
    info.InsSheet = 0;
    info.FormulaSheet = 0;
    return info;
}

// One record of a stream: its id and its data.
struct TRec {
    Word Id;
    ByteArray Data;
};

// A stream of records split into its records (up to a zero id or the end), and put together again.
inline std::vector<TRec> Split(const ByteArray& Stream)
{
    std::vector<TRec> out;
    for (size_t at = 0; at + 4 <= Stream.size();) {
        const Word id = GetWord(Stream.data(), static_cast<Integer>(at));
        const Word len = GetWord(Stream.data(), static_cast<Integer>(at + 2));
        if (id == 0)
            break;
        out.push_back({id, ByteArray(Stream.begin() + at + 4, Stream.begin() + at + 4 + len)});
        at += 4 + len;
    }
    return out;
}

inline ByteArray Join(const std::vector<TRec>& Recs)
{
    ByteArray out;
    for (const TRec& r : Recs)
        PutRecord(out, r.Id, r.Data);
    return out;
}

} // namespace xlstest
