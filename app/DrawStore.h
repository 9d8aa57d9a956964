#pragma once

// What the draw windows keep in the database, as the few operations they need. The windows
// call only these; the one implementation over the application's tables lives beside them, and
// tests may give the windows another.

#include "platform/rtl/Types.h"

#include <cstdint>
#include <memory>
#include <vector>

// A prize's object identifier in the database; 0 stands for "no prize".
using TPrizeId = std::uint32_t;

// The stored draw options (one row at most).
struct TDrawOptions {
    Integer Person = 0;
    Integer Row = 5;
    Integer Col = 5;
    bool ShowGift = true;
    AnsiString NoReward = "No prize";
};

// One row of an imported prize list: the prize of this name takes this quantity.
struct TImportedPrize {
    AnsiString Name;
    Integer Quantity = 0;
};

// One prize as the board reads it when it opens.
struct TPrizeStock {
    TPrizeId Id = 0;
    AnsiString Name;
    Integer Quantity = 0;
};

class TDrawStore {
public:
    enum TOpenResult { orOpened, orFailed, orInUse };

    virtual ~TDrawStore() = default;

    // Opens the database in the current directory and commits; orInUse when another running
    // copy has it attached (the database is closed again then).
    virtual TOpenResult Open() = 0;
    virtual bool IsOpen() const = 0;
    // Commits what is pending and closes the database.
    virtual void Close() = 0;
    virtual void Commit() = 0;
    // The directory the database file lives in (where the help document is looked for).
    virtual AnsiString DatabaseDirectory() const = 0;

    // The units of all prizes still to win; negative quantities count as none.
    virtual std::int64_t TotalQuantity() = 0;
    // The stored options; false (and Options untouched) when none are stored.
    virtual bool LoadOptions(TDrawOptions& Options) = 0;
    // Replaces the stored options by Options, without committing.
    virtual void ReplaceOptions(const TDrawOptions& Options) = 0;
    // Every prize in storage order, after noting each one's quantity as its quantity at the
    // opening of the board. Nothing is committed.
    virtual std::vector<TPrizeStock> PrepareBoard() = 0;
    // One draw decided: the won prize (0: none) loses one unit and the stored person count
    // goes down by one, committed together so that neither survives without the other.
    virtual void RecordDraw(TPrizeId Won) = 0;

    // ---- The prize list ----
    // Every prize in storage order; then commits.
    virtual std::vector<TPrizeStock> ListPrizes() = 0;
    // A new prize; its id. No commit (the list's refill commits).
    virtual TPrizeId InsertPrize(const AnsiString& Name, Integer Quantity) = 0;
    // The prize with this id; false when it names no live prize (a prize removed meanwhile).
    virtual bool FindPrize(TPrizeId Id, TPrizeStock& Prize) = 0;
    // Name and quantity of a live prize, committed; false (nothing changed) when it is gone.
    virtual bool UpdatePrize(TPrizeId Id, const AnsiString& Name, Integer Quantity) = 0;
    // Removes a live prize; false when it is gone. No commit.
    virtual bool RemovePrize(TPrizeId Id) = 0;
    // Imported rows, in order: the first prize of each name (in storage order) takes the row's
    // quantity, a name not stored becomes a new prize; a later row of the same name wins. All or
    // nothing: when one row cannot be stored, the changes of the rows before it are taken back
    // and the failure passes on. No commit (the list's refill commits).
    virtual void ImportPrizes(const std::vector<TImportedPrize>& Rows) = 0;
    // The list's column widths: Widths holds the current widths; each stored width replaces
    // its column's; when none is stored, the current widths are stored. No commit.
    virtual void LoadListWidths(std::vector<Integer>& Widths) = 0;
    // The stored widths take these. No commit.
    virtual void StoreListWidths(const std::vector<Integer>& Widths) = 0;
};

// The store the windows use; the program sets it at start.
TDrawStore* DrawStore();
void SetDrawStore(std::unique_ptr<TDrawStore> Store);
