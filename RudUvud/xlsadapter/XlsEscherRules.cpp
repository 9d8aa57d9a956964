#include "RudUvud/xlsadapter/XlsEscherRules.h"

using namespace zivXlsMessages;

// ---------------------------------------------------------------------------------------------
// Rules

TEscherSolverContainerRecord* TRuleRecord::Solver() const
{
    return dynamic_cast<TEscherSolverContainerRecord*>(FParentContainer);
}

TEscherSPRecord* TRuleRecord::FindShape(LongWord ShapeId) const
{
    if (!FDrawingCaches || !FDrawingCaches->ShapeList || ShapeId == 0)
        return nullptr;
    Integer i = 0;
    return FDrawingCaches->ShapeList->Find(ShapeId, i) ? FDrawingCaches->ShapeList->Shape(i) : nullptr;
}

TEscherSPRecord* TRuleRecord::CopyOf(TEscherSPRecord* Shape)
{
    return Shape ? dynamic_cast<TEscherSPRecord*>(Shape->CopyTarget()) : nullptr;
}

std::unique_ptr<TEscherRecord>
TEscherConnectorRuleRecord::Create(const TEscherRecordHeader& Header, TEscherDwgGroupCache* aGroupCaches,
                                   TEscherDwgCache* aDrawingCaches,
                                   TEscherContainerRecord* aParentContainer) const
{
    return std::make_unique<TEscherConnectorRuleRecord>(Header, aGroupCaches, aDrawingCaches,
                                                        aParentContainer);
}

bool TEscherConnectorRuleRecord::DeleteRef(TEscherSPRecord* Shape)
{
    if (ShapeA == Shape) {
        ShapeA = nullptr;
        SetBodyLongWord(4, 0);
    }
    if (ShapeB == Shape) {
        ShapeB = nullptr;
        SetBodyLongWord(8, 0);
    }
    if (ShapeC == Shape) {
        ShapeC = nullptr;
        SetBodyLongWord(12, 0);
        return true;
    }
    return false;
}

void TEscherConnectorRuleRecord::FixPointers()
{
    if (TEscherSolverContainerRecord* s = Solver())
        s->CheckMax(RuleId());
    ShapeA = FindShape(BodyLongWord(4));
    ShapeB = FindShape(BodyLongWord(8));
    ShapeC = FindShape(BodyLongWord(12));
}

std::unique_ptr<TRuleRecord> TEscherConnectorRuleRecord::CopyForShapes(TEscherSolverContainerRecord& Solver)
{
    TEscherSPRecord* c = CopyOf(ShapeC);
    if (!c)
        return nullptr;
    auto rule = std::make_unique<TEscherConnectorRuleRecord>(Header(), FGroupCaches, FDrawingCaches, &Solver);
    rule->SetBody(FData);
    rule->ShapeA = CopyOf(ShapeA);
    rule->ShapeB = CopyOf(ShapeB);
    rule->ShapeC = c;
    rule->SetBodyLongWord(0, Solver.IncMaxRuleId());
    rule->SetBodyLongWord(4, rule->ShapeA ? rule->ShapeA->ShapeId() : 0);
    rule->SetBodyLongWord(8, rule->ShapeB ? rule->ShapeB->ShapeId() : 0);
    rule->SetBodyLongWord(12, c->ShapeId());
    return rule;
}

std::unique_ptr<TEscherRecord> TEscherArcRuleRecord::Create(const TEscherRecordHeader& Header,
                                                            TEscherDwgGroupCache* aGroupCaches,
                                                            TEscherDwgCache* aDrawingCaches,
                                                            TEscherContainerRecord* aParentContainer) const
{
    return std::make_unique<TEscherArcRuleRecord>(Header, aGroupCaches, aDrawingCaches, aParentContainer);
}

bool TEscherArcRuleRecord::DeleteRef(TEscherSPRecord* Shape)
{
    if (RuleShape != Shape)
        return false;
    RuleShape = nullptr;
    SetBodyLongWord(4, 0);
    return true;
}

void TEscherArcRuleRecord::FixPointers()
{
    if (TEscherSolverContainerRecord* s = Solver())
        s->CheckMax(RuleId());
    RuleShape = FindShape(BodyLongWord(4));
}

std::unique_ptr<TRuleRecord> TEscherArcRuleRecord::CopyForShapes(TEscherSolverContainerRecord& Solver)
{
    TEscherSPRecord* s = CopyOf(RuleShape);
    if (!s)
        return nullptr;
    std::unique_ptr<TEscherRecord> made = Create(Header(), FGroupCaches, FDrawingCaches, &Solver);
    std::unique_ptr<TRuleRecord> rule(static_cast<TRuleRecord*>(made.release()));
    rule->SetBody(FData);
    static_cast<TEscherArcRuleRecord*>(rule.get())->RuleShape = s;
    rule->SetBodyLongWord(0, Solver.IncMaxRuleId());
    rule->SetBodyLongWord(4, s->ShapeId());
    return rule;
}

std::unique_ptr<TEscherRecord>
TEscherCalloutRuleRecord::Create(const TEscherRecordHeader& Header, TEscherDwgGroupCache* aGroupCaches,
                                 TEscherDwgCache* aDrawingCaches,
                                 TEscherContainerRecord* aParentContainer) const
{
    return std::make_unique<TEscherCalloutRuleRecord>(Header, aGroupCaches, aDrawingCaches, aParentContainer);
}

std::unique_ptr<TEscherRecord> TEscherAlignRuleRecord::Create(const TEscherRecordHeader& Header,
                                                              TEscherDwgGroupCache* aGroupCaches,
                                                              TEscherDwgCache* aDrawingCaches,
                                                              TEscherContainerRecord* aParentContainer) const
{
    return std::make_unique<TEscherAlignRuleRecord>(Header, aGroupCaches, aDrawingCaches, aParentContainer);
}

// ---------------------------------------------------------------------------------------------
// Solver container

TEscherSolverContainerRecord::TEscherSolverContainerRecord(const TEscherRecordHeader& Header,
                                                           TEscherDwgGroupCache* aGroupCaches,
                                                           TEscherDwgCache* aDrawingCaches,
                                                           TEscherContainerRecord* aParentContainer)
    : TEscherContainerRecord(Header, aGroupCaches, aDrawingCaches, aParentContainer)
{
    Register();
}

void TEscherSolverContainerRecord::Register()
{
    if (!InSheet())
        return;
    if (FDrawingCaches->SolverRecord)
        XlsError(ErrsolverDuplicated);
    FDrawingCaches->SolverRecord = this;
}

TEscherSolverContainerRecord::~TEscherSolverContainerRecord()
{
    if (FDrawingCaches && FDrawingCaches->SolverRecord == this)
        FDrawingCaches->SolverRecord = nullptr;
    FChildren.Clear();
}

std::unique_ptr<TEscherRecord>
TEscherSolverContainerRecord::Create(const TEscherRecordHeader& Header, TEscherDwgGroupCache* aGroupCaches,
                                     TEscherDwgCache* aDrawingCaches,
                                     TEscherContainerRecord* aParentContainer) const
{
    return std::make_unique<TEscherSolverContainerRecord>(Header, aGroupCaches, aDrawingCaches,
                                                          aParentContainer);
}

std::unique_ptr<TEscherRecord> TEscherSolverContainerRecord::DoCopyTo(TEscherDwgCache* aDrawingCaches,
                                                                      Integer RowOffset, Integer ColOffset,
                                                                      TEscherSheet* Sheet)
{
    std::unique_ptr<TEscherRecord> copy =
        TEscherContainerRecord::DoCopyTo(aDrawingCaches, RowOffset, ColOffset, Sheet);
    static_cast<TEscherSolverContainerRecord*>(copy.get())->LastRuleId = LastRuleId;
    return copy;
}

void TEscherSolverContainerRecord::SaveToStream(TOle2File& DataStream, TBreakList* BreakList)
{
    SetVerInst(static_cast<Word>((FChildren.Count() << 4) | 0x0F));
    TEscherContainerRecord::SaveToStream(DataStream, BreakList);
}

void TEscherSolverContainerRecord::DeleteRef(TEscherSPRecord* Shape)
{
    for (Integer i = FChildren.Count() - 1; i >= 0; --i)
        if (auto* rule = dynamic_cast<TRuleRecord*>(FChildren.Items(i)))
            if (rule->DeleteRef(Shape))
                FChildren.Delete(i);
}

void TEscherSolverContainerRecord::FixPointers()
{
    for (Integer i = 0; i < FChildren.Count(); ++i)
        if (auto* rule = dynamic_cast<TRuleRecord*>(FChildren.Items(i)))
            rule->FixPointers();
}

void TEscherSolverContainerRecord::ArrangeCopyRowsAndCols(TEscherSheet* Sheet)
{
    // Only the rules present before this pass: the copies appended below are not copied again.
    Integer count = FChildren.Count();
    for (Integer i = 0; i < count; ++i)
        if (auto* rule = dynamic_cast<TRuleRecord*>(FChildren.Items(i)))
            if (std::unique_ptr<TRuleRecord> copy = rule->CopyForShapes(*this))
                FChildren.Add(std::move(copy));
}
