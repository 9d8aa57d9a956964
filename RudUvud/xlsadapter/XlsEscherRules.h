#pragma once

#include "RudUvud/xlsadapter/XlsEscherShapes.h"

// The solver container of a sheet drawing and its rules, which name shapes by id: a connector
// between two shapes, an arc, a callout. The rules are linked to their shape records once the
// drawing is loaded, follow shapes that are copied within the sheet and die with the shapes they
// need.

// Every rule body begins with its rule id (32-bit).
class TRuleRecord : public TEscherDataRecord {
public:
    using TEscherDataRecord::TEscherDataRecord;
    // Clears every link to Shape (and its id in the body); true when the rule must go.
    virtual bool DeleteRef(TEscherSPRecord* Shape) = 0;
    // Links the shape ids of the body to the drawing's shape records.
    virtual void FixPointers() = 0;
    // After a copy pass within the sheet: a copy of the rule when its shape was copied, else null.
    virtual std::unique_ptr<TRuleRecord> CopyForShapes(TEscherSolverContainerRecord& Solver) = 0;

    LongWord RuleId() const { return BodyLongWord(0); }

protected:
    TEscherSolverContainerRecord* Solver() const;
    TEscherSPRecord* FindShape(LongWord ShapeId) const;
    static TEscherSPRecord* CopyOf(TEscherSPRecord* Shape);
};

// A connector (0xF012): rule id, then the ids of shapes A, B and the connector itself.
class TEscherConnectorRuleRecord : public TRuleRecord {
public:
    using TRuleRecord::TRuleRecord;
    std::unique_ptr<TEscherRecord> Create(const TEscherRecordHeader& Header,
                                          TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                                          TEscherContainerRecord* aParentContainer) const override;
    bool DeleteRef(TEscherSPRecord* Shape) override;
    void FixPointers() override;
    std::unique_ptr<TRuleRecord> CopyForShapes(TEscherSolverContainerRecord& Solver) override;

    TEscherSPRecord* ShapeA = nullptr;
    TEscherSPRecord* ShapeB = nullptr;
    TEscherSPRecord* ShapeC = nullptr;
};

// An arc (0xF014) or a callout (0xF017): rule id, shape id.
class TEscherArcRuleRecord : public TRuleRecord {
public:
    using TRuleRecord::TRuleRecord;
    std::unique_ptr<TEscherRecord> Create(const TEscherRecordHeader& Header,
                                          TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                                          TEscherContainerRecord* aParentContainer) const override;
    bool DeleteRef(TEscherSPRecord* Shape) override;
    void FixPointers() override;
    std::unique_ptr<TRuleRecord> CopyForShapes(TEscherSolverContainerRecord& Solver) override;

    TEscherSPRecord* RuleShape = nullptr;
};

class TEscherCalloutRuleRecord : public TEscherArcRuleRecord {
public:
    using TEscherArcRuleRecord::TEscherArcRuleRecord;
    std::unique_ptr<TEscherRecord> Create(const TEscherRecordHeader& Header,
                                          TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                                          TEscherContainerRecord* aParentContainer) const override;
};

// An align rule (0xF013). It names no shapes, so it is kept as it was read and written back
// unchanged: a file holding one loads like any other.
class TEscherAlignRuleRecord : public TRuleRecord {
public:
    using TRuleRecord::TRuleRecord;
    std::unique_ptr<TEscherRecord> Create(const TEscherRecordHeader& Header,
                                          TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                                          TEscherContainerRecord* aParentContainer) const override;
    bool DeleteRef(TEscherSPRecord* Shape) override { return false; }
    void FixPointers() override {}
    std::unique_ptr<TRuleRecord> CopyForShapes(TEscherSolverContainerRecord& Solver) override
    {
        return nullptr;
    }
};

// The solver container (0xF005), at most one per drawing.
class TEscherSolverContainerRecord : public TEscherContainerRecord {
public:
    TEscherSolverContainerRecord(const TEscherRecordHeader& Header, TEscherDwgGroupCache* aGroupCaches,
                                 TEscherDwgCache* aDrawingCaches, TEscherContainerRecord* aParentContainer);
    ~TEscherSolverContainerRecord() override;
    std::unique_ptr<TEscherRecord> Create(const TEscherRecordHeader& Header,
                                          TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                                          TEscherContainerRecord* aParentContainer) const override;
    std::unique_ptr<TEscherRecord> DoCopyTo(TEscherDwgCache* aDrawingCaches, Integer RowOffset,
                                            Integer ColOffset, TEscherSheet* Sheet) override;
    // The instance is written as the number of rules.
    void SaveToStream(TOle2File& DataStream, TBreakList* BreakList) override;

    void CheckMax(LongWord RuleId)
    {
        if (RuleId > LastRuleId)
            LastRuleId = RuleId;
    }
    LongWord IncMaxRuleId()
    {
        LastRuleId += 2;
        return LastRuleId;
    }
    // A shape goes: the rules drop their links to it, the rules that need it are freed.
    void DeleteRef(TEscherSPRecord* Shape);
    void FixPointers();
    // After a copy pass within the sheet: copies the rules whose shapes were copied.
    void ArrangeCopyRowsAndCols(TEscherSheet* Sheet);

    LongWord LastRuleId = 0;

private:
    void Register();
};
