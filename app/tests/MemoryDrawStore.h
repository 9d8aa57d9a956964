#pragma once

// A draw store in memory for window tests: the working state and what the last commit made
// durable, so that a test sees exactly what a crash would keep.

#include "app/DrawStore.h"

#include <algorithm>
#include <optional>

class TMemoryDrawStore : public TDrawStore {
public:
    struct TState {
        std::vector<TPrizeStock> Prizes;
        std::vector<Integer> Take; // quantity when the board last opened, per prize
        std::optional<TDrawOptions> Options;
        std::vector<Integer> Widths; // the prize list's stored column widths
    };

    TOpenResult OpenResult = orOpened;
    TState Working;
    TState Committed;
    bool Opened = false;
    int Commits = 0;
    AnsiString Directory = ".";

    TPrizeId AddPrize(const AnsiString& Name, Integer Quantity)
    {
        const TPrizeId Id = NextId++;
        Working.Prizes.push_back({Id, Name, Quantity});
        Working.Take.push_back(0);
        Commit();
        return Id;
    }
    const TPrizeStock* Find(const TState& S, TPrizeId Id) const
    {
        for (const TPrizeStock& P : S.Prizes)
            if (P.Id == Id)
                return &P;
        return nullptr;
    }

    TOpenResult Open() override
    {
        Opened = OpenResult == orOpened;
        if (Opened)
            Commit();
        return OpenResult;
    }
    bool IsOpen() const override { return Opened; }
    void Close() override
    {
        Commit();
        Opened = false;
    }
    void Commit() override
    {
        Committed = Working;
        ++Commits;
    }
    AnsiString DatabaseDirectory() const override { return Directory; }

    std::int64_t TotalQuantity() override
    {
        std::int64_t Sum = 0;
        for (const TPrizeStock& P : Working.Prizes)
            Sum += std::max(P.Quantity, 0);
        return Sum;
    }
    bool LoadOptions(TDrawOptions& Options) override
    {
        if (!Working.Options)
            return false;
        Options = *Working.Options;
        return true;
    }
    void ReplaceOptions(const TDrawOptions& Options) override { Working.Options = Options; }
    std::vector<TPrizeStock> PrepareBoard() override
    {
        for (size_t I = 0; I < Working.Prizes.size(); ++I)
            Working.Take[I] = Working.Prizes[I].Quantity;
        return Working.Prizes;
    }
    void RecordDraw(TPrizeId Won) override
    {
        for (TPrizeStock& P : Working.Prizes)
            if (P.Id == Won)
                --P.Quantity;
        if (Working.Options)
            --Working.Options->Person;
        Commit();
    }

    std::vector<TPrizeStock> ListPrizes() override
    {
        Commit();
        return Working.Prizes;
    }
    TPrizeId InsertPrize(const AnsiString& Name, Integer Quantity) override
    {
        const TPrizeId Id = NextId++;
        Working.Prizes.push_back({Id, Name, Quantity});
        Working.Take.push_back(0);
        return Id;
    }
    bool FindPrize(TPrizeId Id, TPrizeStock& Prize) override
    {
        const TPrizeStock* P = Find(Working, Id);
        if (P)
            Prize = *P;
        return P != nullptr;
    }
    bool UpdatePrize(TPrizeId Id, const AnsiString& Name, Integer Quantity) override
    {
        for (TPrizeStock& P : Working.Prizes)
            if (P.Id == Id) {
                P.Name = Name;
                P.Quantity = Quantity;
                Commit();
                return true;
            }
        return false;
    }
    bool RemovePrize(TPrizeId Id) override
    {
        for (size_t I = 0; I < Working.Prizes.size(); ++I)
            if (Working.Prizes[I].Id == Id) {
                Working.Prizes.erase(Working.Prizes.begin() + I);
                Working.Take.erase(Working.Take.begin() + I);
                return true;
            }
        return false;
    }
    void ImportPrizes(const std::vector<TImportedPrize>& Rows) override
    {
        for (const TImportedPrize& R : Rows) {
            auto It = std::find_if(Working.Prizes.begin(), Working.Prizes.end(),
                                   [&](const TPrizeStock& P) { return P.Name == R.Name; });
            if (It != Working.Prizes.end())
                It->Quantity = R.Quantity;
            else
                InsertPrize(R.Name, R.Quantity);
        }
    }
    void LoadListWidths(std::vector<Integer>& Widths) override
    {
        if (Working.Widths.empty())
            Working.Widths = Widths;
        for (size_t I = 0; I < Widths.size() && I < Working.Widths.size(); ++I)
            Widths[I] = Working.Widths[I];
    }
    void StoreListWidths(const std::vector<Integer>& Widths) override { Working.Widths = Widths; }

private:
    TPrizeId NextId = 1001;
};
