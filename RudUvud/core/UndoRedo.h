#pragma once

// TRudUvudUndoRedo: records the changes of cell texts a grid reports to it and undoes and redoes
// them. A form places it and hands it to a grid (TBaseGrid::SetUndoRedo), which links the two;
// the grid then registers its own changes (accepted edits, toggled check boxes). Only texts are
// recorded: cell properties, graphics, inserted or removed rows are not. Several changes between
// StartSequence and StopSequence are undone and redone as one step.
//
// The items are kept oldest first; items 0 .. level - 1 are done (can be undone), items
// level .. count - 1 were undone (can be redone). Sequence markers count as items.
//
// Items record display rows and real columns: after sorting, hiding or inserting rows an undo
// writes the cell that now has that position.

#include "RudUvud/core/GridTypes.h"

#include "platform/rtl/Collections.h"
#include "platform/rtl/Components.h"

#include <functional>

class TBaseGrid;

// (Sender, Grid, Col, Row, OrigValue, NewValue): OrigValue is the text the cell shows now,
// NewValue the text about to be written.
using TRudUvudUndoRedoEvent = std::function<void(TObject* Sender, TBaseGrid* Grid, Integer Col, Integer Row,
                                                 const AnsiString& OrigValue, const AnsiString& NewValue)>;

// One recorded change, or a sequence marker (Row and Col -1, empty texts, one flag set).
class TUndoRedoItem : public TCollectionItem {
public:
    explicit TUndoRedoItem(TCollection* Collection) : TCollectionItem(Collection) {}

    Integer Row() const { return FRow; }
    void SetRow(Integer Value) { FRow = Value; }
    Integer Col() const { return FCol; }
    void SetCol(Integer Value) { FCol = Value; }
    // The text after the change.
    const AnsiString& Value() const { return FValue; }
    void SetValue(const AnsiString& Value) { FValue = Value; }
    // The text before the change.
    const AnsiString& OrigValue() const { return FOrigValue; }
    void SetOrigValue(const AnsiString& Value) { FOrigValue = Value; }
    bool SequenceStart() const { return FSequenceStart; }
    void SetSequenceStart(bool Value) { FSequenceStart = Value; }
    bool SequenceStop() const { return FSequenceStop; }
    void SetSequenceStop(bool Value) { FSequenceStop = Value; }

private:
    Integer FRow = 0;
    Integer FCol = 0;
    AnsiString FValue;
    AnsiString FOrigValue;
    bool FSequenceStart = false;
    bool FSequenceStop = false;
};

class TUndoRedoCollection : public TCollection {
public:
    TUndoRedoCollection() : TCollection(ItemClassOf<TUndoRedoItem>()) {}
    TUndoRedoItem* Items(Integer Index) const
    {
        return static_cast<TUndoRedoItem*>(TCollection::Items(Index));
    }
};

class TRudUvudUndoRedo : public TComponent {
public:
    explicit TRudUvudUndoRedo(TComponent* AOwner);
    ~TRudUvudUndoRedo() override;

    // Appends one change and makes every item done; the oldest item (a sequence's start marker
    // takes its whole sequence with it) goes first when MaxLevel is reached. Items that were
    // undone stay in the list before the new one: they cannot be redone now, and an undo that
    // reaches them restores their old texts again.
    virtual void RegisterChange(Integer ACol, Integer ARow, const AnsiString& OrigValue,
                                const AnsiString& NewValue);
    // Open and close a sequence: the changes between them are undone and redone as one step.
    virtual void StartSequence();
    virtual void StopSequence();

    // Undoes the last done change or sequence / redoes the next undone one; nothing without a grid.
    void Undo();
    void Redo();
    bool CanUndo() const { return FLevel > 0 && FLevel <= FItems->Count(); }
    bool CanRedo() const { return FLevel < FItems->Count(); }
    // Frees every item and sets the level to 0.
    void Reset();

    // When above 0, the largest number of items kept; 0 = no limit.
    Integer MaxLevel() const { return FMaxLevel; }
    void SetMaxLevel(Integer Value) { FMaxLevel = Value; }

    TBaseGrid* Grid() const { return FGrid; }
    // The number of done items (see above).
    Integer Level() const { return FLevel; }
    TUndoRedoCollection* Items() const { return FItems.get(); }

    TRudUvudUndoRedoEvent OnUndo;
    TRudUvudUndoRedoEvent OnRedo;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TBaseGrid;
    // Set by the grid's SetUndoRedo only.
    void LinkGrid(TBaseGrid* AGrid) { FGrid = AGrid; }

    TUndoRedoItem* AddItem();
    void AddMarker(bool Start);
    // Drops the oldest step (a change, or a whole sequence with its markers).
    void DropOldest();
    void UndoItem(TUndoRedoItem* I);
    void RedoItem(TUndoRedoItem* I);
    void FocusCell(Integer ACol, Integer ARow);

    std::unique_ptr<TUndoRedoCollection> FItems;
    TBaseGrid* FGrid = nullptr;
    Integer FLevel = 0;
    Integer FMaxLevel = 0;
};
