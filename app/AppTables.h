#pragma once

// The application's tables and every way the windows reach them. The windows call only the
// functions below; each one runs inside the calling thread's transaction on the database the
// tables are bound to (appDatabase in the program: the first database opened binds them) and
// says whether it commits. Functions that read or change a row by its oid throw dbException when the
// oid names no live row (unless they say otherwise).

#include "engine286/Cursor.h"
#include "engine286/DateTime.h"
#include "engine286/Zarvo.h"
#include "platform/rtl/Types.h"

#include <cstdint>
#include <vector>

// ---- Record types ------------------------------------------------------------------------------
// String fields point to NUL-terminated UTF-8 text: after a fetch into the stored row (valid
// until the transaction ends), before an insert or update into caller-owned memory such as a
// zarvoBuffer.

struct Reward { // one row per prize
    const char* name;
    std::int32_t quantity; // units not yet won
    std::int32_t take;     // the quantity when the draw board last opened
    static dbTableDescriptor dbDescriptor;
};

struct SelectOption {      // the last draw options, at most one row
    std::int32_t person;   // persons still to draw
    std::int32_t row;      // rows of the board
    std::int32_t col;      // columns of the board
    std::int32_t showGift; // 1: the board shows its counters
    const char* noReward;  // text of cells without a prize
    static dbTableDescriptor dbDescriptor;
};

struct ColWidth {     // stored column widths of a list window
    std::int8_t type; // the list (2: the prize list)
    std::int8_t col;
    std::int16_t width; // pixels
    static dbTableDescriptor dbDescriptor;
};

struct BackupRecord { // part of the schema; nothing reads or writes it
    dbDateTime lastBackupDate;
    bool everytime;
    bool everyday;
    std::int8_t lastBackup;
    std::int8_t totalBackup;
    const char* path;
    static dbTableDescriptor dbDescriptor;
};

struct EnvelopeSetup { // part of the schema; nothing reads or writes it
    float pageWidth;
    float pageHeight;
    const char* title;
    std::int16_t titleLeft;
    std::int16_t titleTop;
    std::int32_t titleColor;
    dbAnyArray titleFont;
    std::int16_t companyNameLeft;
    std::int16_t companyNameTop;
    std::int32_t companyNameColor;
    dbAnyArray companyNameFont;
    std::int16_t address1Left;
    std::int16_t address1Top;
    std::int32_t address1Color;
    dbAnyArray address1Font;
    std::int16_t address2Left;
    std::int16_t address2Top;
    std::int32_t address2Color;
    dbAnyArray address2Font;
    std::int16_t address3Left;
    std::int16_t address3Top;
    std::int32_t address3Color;
    dbAnyArray address3Font;
    std::int16_t attentionLeft;
    std::int16_t attentionTop;
    std::int32_t attentionColor;
    dbAnyArray attentionFont;
    const char* image;
    std::int32_t imageLeft;
    std::int16_t imageTop;
    dbAnyArray image2;
    std::int16_t image2Left;
    std::int16_t image2Top;
    dbAnyArray image1;
    bool vertical;
    const char* name;
    const char* head;
    const char* tail;
    std::int8_t printer;
    static dbTableDescriptor dbDescriptor;
};

// The application's one database: read-write, 1 MB initial file, 4 MB extension quantum, 65,536
// index entries, one query thread. Opened with appDatabase.open(AppDatabaseName) (file
// "Drawmere.zrv" in the current directory); never closed by the program.
extern zarvoDatabase appDatabase;
extern const char* const AppDatabaseName; // "Drawmere"

// Column widths of the prize list are the ColWidth rows of this type, selected by this condition.
const int PrizeListColWidthType = 2;
inline constexpr const char* PrizeListColWidthCondition = "type=2";

// ---- Values the windows work with (own their text; valid after the transaction) ------------

struct TPrizeRow {
    oid_t Id = 0; // shown as the prize's ID (unsigned decimal)
    AnsiString Name;
    Integer Quantity = 0;
    Integer Take = 0;
};

struct TSelectOptionValues {
    Integer Person = 0;
    Integer Row = 0;
    Integer Col = 0;
    Integer ShowGift = 0;
    AnsiString NoReward;
};

// ---- Access paths ------------------------------------------------------------------------------

// Draw command: the sum of quantity over all prizes. No commit.
std::int64_t SumRewardQuantities();

// Options window opens: the first stored options row; false (values untouched) when none.
bool ReadSelectOption(TSelectOptionValues& values);
// Options window closes: the stored options become exactly one row with these values. No commit
// (the caller commits when the window was confirmed).
void ReplaceSelectOption(const TSelectOptionValues& values);

// Draw board opens: every prize's take := its quantity; returns every prize in storage order.
// No commit.
std::vector<TPrizeRow> PrepareBoardRewards();
// Draw board: the prize with this oid, or false when the oid names no live prize (no exception).
bool FindReward(oid_t id, TPrizeRow& prize);
// A draw: the prize's quantity goes down by one; commits at once.
void DrawRewardUnit(oid_t id);
// Draw animation ends: the stored person count goes down by one; commits. dbException when no
// options row is stored.
void DecrementSelectOptionPerson();

// Prize list opens: the stored widths of the prize list's columns. widths holds the current
// width of every column; each stored row sets widths[col]. When none is stored, one row per
// column is inserted with the current width. Returns whether stored rows were found. No commit.
bool LoadPrizeListColWidths(std::vector<Integer>& widths);
// Prize list closes: every stored prize-list row takes the width of its column. No commit.
void StorePrizeListColWidths(const std::vector<Integer>& widths);

// Prize list refresh: every prize in storage order; then commits.
std::vector<TPrizeRow> ListRewards();
// Prize inserted: a new prize (take 0); returns its oid. No commit (the refresh commits).
oid_t InsertReward(const AnsiString& name, Integer quantity);
// Prize edited, first step: the prize with this oid; then commits.
TPrizeRow ReadRewardForEdit(oid_t id);
// Prize edited, after confirmation: name and quantity of the prize with this oid; commits.
void UpdateReward(oid_t id, const AnsiString& name, Integer quantity);
// Prizes deleted: removes the prize with this oid. No commit (the refresh commits).
void RemoveReward(oid_t id);
// Prizes imported: the prize called name (matched exactly, whatever characters it holds) takes
// quantity; without one, a new prize {name, quantity} is inserted. No commit.
void ImportReward(const AnsiString& name, Integer quantity);

// The ID text of a prize (unsigned decimal), and its reading back: false for anything but an
// unsigned decimal number of at most 32 bits.
AnsiString FormatRewardId(oid_t id);
bool ParseRewardId(const AnsiString& text, oid_t& id);
