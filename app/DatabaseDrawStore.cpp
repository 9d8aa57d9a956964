#include "app/DatabaseDrawStore.h"

#include "app/AppTables.h"
#include "platform/rtl/Guards.h"

#include <algorithm>

namespace {

class TDatabaseDrawStore : public TDrawStore {
public:
    TOpenResult Open() override
    {
        // Stored tables with fields the program no longer describes are converted on open.
        appDatabase.allowFieldRemoval(true);
        if (!appDatabase.open(AppDatabaseName, nullptr, -1, 0))
            return orFailed;
        if (appDatabase.getAttachedProcessCount() > 1) {
            appDatabase.close();
            return orInUse;
        }
        appDatabase.commit();
        return orOpened;
    }

    bool IsOpen() const override { return appDatabase.isOpen(); }

    void Close() override
    {
        if (!appDatabase.isOpen())
            return;
        appDatabase.commit();
        appDatabase.close();
    }

    void Commit() override { appDatabase.commit(); }

    AnsiString DatabaseDirectory() const override
    {
        AnsiString Dir = appDatabase.getRootPath();
        if (Dir.size() > 1 && Dir.back() == '/')
            Dir.pop_back();
        return Dir;
    }

    std::int64_t TotalQuantity() override
    {
        // Only units that can be drawn count: a negative quantity does not cancel another
        // prize's units.
        std::int64_t Sum = 0;
        dbCursor<Reward> Cursor(dbCursorViewOnly);
        if (Cursor.select() > 0) {
            do {
                Sum += std::max<std::int32_t>(Cursor->quantity, 0);
            } while (Cursor.next());
        }
        return Sum;
    }

    bool LoadOptions(TDrawOptions& Options) override
    {
        TSelectOptionValues V;
        if (!ReadSelectOption(V))
            return false;
        Options.Person = V.Person;
        Options.Row = V.Row;
        Options.Col = V.Col;
        Options.ShowGift = V.ShowGift != 0;
        Options.NoReward = V.NoReward;
        return true;
    }

    void ReplaceOptions(const TDrawOptions& Options) override
    {
        TSelectOptionValues V;
        V.Person = Options.Person;
        V.Row = Options.Row;
        V.Col = Options.Col;
        V.ShowGift = Options.ShowGift ? 1 : 0;
        V.NoReward = Options.NoReward;
        ReplaceSelectOption(V);
    }

    std::vector<TPrizeStock> PrepareBoard() override
    {
        std::vector<TPrizeStock> Prizes;
        for (const TPrizeRow& R : PrepareBoardRewards())
            Prizes.push_back({R.Id, R.Name, R.Quantity});
        return Prizes;
    }

    void RecordDraw(TPrizeId Won) override
    {
        // Both changes go into one transaction: a program ended at any moment keeps either
        // both the won unit and the person who drew it, or neither.
        if (Won != 0) {
            dbCursor<Reward> Cursor(dbCursorForUpdate);
            Cursor.positionAt(Won);
            Cursor->quantity -= 1;
            Cursor.update();
        }
        {
            dbCursor<SelectOption> Cursor(dbCursorForUpdate);
            if (Cursor.select() > 0) {
                Cursor->person -= 1;
                Cursor.update();
            }
        }
        appDatabase.commit();
    }

    std::vector<TPrizeStock> ListPrizes() override
    {
        std::vector<TPrizeStock> Prizes;
        for (const TPrizeRow& R : ListRewards())
            Prizes.push_back({R.Id, R.Name, R.Quantity});
        return Prizes;
    }

    TPrizeId InsertPrize(const AnsiString& Name, Integer Quantity) override
    {
        return InsertReward(Name, Quantity);
    }

    bool FindPrize(TPrizeId Id, TPrizeStock& Prize) override
    {
        TPrizeRow R;
        if (!FindReward(Id, R))
            return false;
        Prize = {R.Id, R.Name, R.Quantity};
        return true;
    }

    // A prize another window removed is checked for before the cursor is positioned on it:
    // the cursor would otherwise fail half-way through the command.
    bool UpdatePrize(TPrizeId Id, const AnsiString& Name, Integer Quantity) override
    {
        TPrizeRow R;
        if (!FindReward(Id, R))
            return false;
        UpdateReward(Id, Name, Quantity);
        return true;
    }

    bool RemovePrize(TPrizeId Id) override
    {
        TPrizeRow R;
        if (!FindReward(Id, R))
            return false;
        RemoveReward(Id);
        return true;
    }

    // The rollback takes back the whole running transaction; the list commits at every refill,
    // so by the time it imports that holds only the import's own rows.
    void ImportPrizes(const std::vector<TImportedPrize>& Rows) override
    {
        TScopeExit Undo([] { appDatabase.rollback(); });
        for (const TImportedPrize& R : Rows)
            ImportReward(R.Name, R.Quantity);
        Undo.Dismiss();
    }

    void LoadListWidths(std::vector<Integer>& Widths) override { LoadPrizeListColWidths(Widths); }
    void StoreListWidths(const std::vector<Integer>& Widths) override { StorePrizeListColWidths(Widths); }
};

} // namespace

std::unique_ptr<TDrawStore> CreateDatabaseDrawStore()
{
    return std::make_unique<TDatabaseDrawStore>();
}
