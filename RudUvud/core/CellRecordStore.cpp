#include "RudUvud/core/CellRecordStore.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <new>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CELL_RECORD_STORE_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) && !defined(CELL_RECORD_STORE_ASAN)
#define CELL_RECORD_STORE_ASAN 1
#endif

#ifdef CELL_RECORD_STORE_ASAN
#include <sanitizer/asan_interface.h>
// A slot not in use is poisoned, so that reading a record after it was freed is reported.
#define POISON_SLOT(P, N) ASAN_POISON_MEMORY_REGION((P), (N))
#define UNPOISON_SLOT(P, N) ASAN_UNPOISON_MEMORY_REGION((P), (N))
#else
#define POISON_SLOT(P, N) ((void)(P), (void)(N))
#define UNPOISON_SLOT(P, N) ((void)(P), (void)(N))
#endif

namespace {

constexpr std::size_t MinSlotBytes = 32;
constexpr std::size_t MaxSlots = TCellRecordStore::SlabBytes / MinSlotBytes;

} // namespace

// The head of a slab; the slots follow it.
struct TCellRecordStore::TSlab {
    TCellRecordStore* Store;
    TSlab* Prev;
    TSlab* Next;
    std::uint32_t Live;
    std::uint32_t Used; // slots handed out at least once; the slots above were never used
    bool Open;          // linked in the store's list of slabs with a free slot
    std::uint64_t Bits[MaxSlots / 64];

    static constexpr std::size_t HeadBytes() { return (sizeof(TSlab) + 15) & ~std::size_t{15}; }
    char* Slot(std::uint32_t I, std::size_t SlotBytes)
    {
        return reinterpret_cast<char*>(this) + HeadBytes() + static_cast<std::size_t>(I) * SlotBytes;
    }
    bool IsLive(std::uint32_t I) const { return (Bits[I / 64] >> (I % 64) & 1u) != 0; }
};

TCellRecordStore::TCellRecordStore(TBaseGrid* AOwner, std::size_t ASlotBytes)
    : FOwner(AOwner), FSlotBytes(std::max(ASlotBytes, MinSlotBytes))
{
    FSlotBytes = (FSlotBytes + 7) & ~std::size_t{7};
    FSlotsPerSlab = static_cast<std::uint32_t>((SlabBytes - TSlab::HeadBytes()) / FSlotBytes);
}

TCellRecordStore::~TCellRecordStore()
{
    for (std::uintptr_t A : FSlabs) {
        auto* S = reinterpret_cast<TSlab*>(A);
        UNPOISON_SLOT(S, SlabBytes);
        std::free(S);
    }
}

TCellRecordStore* TCellRecordStore::StoreOf(const void* Slot)
{
    const std::uintptr_t Base = reinterpret_cast<std::uintptr_t>(Slot) & ~(std::uintptr_t{SlabBytes} - 1);
    return reinterpret_cast<const TSlab*>(Base)->Store;
}

TCellRecordStore::TSlab* TCellRecordStore::NewSlab()
{
    void* M = std::aligned_alloc(SlabBytes, SlabBytes);
    if (!M)
        throw std::bad_alloc();
    auto* S = new (M) TSlab{this, nullptr, nullptr, 0, 0, false, {}};
    POISON_SLOT(S->Slot(0, FSlotBytes), FSlotBytes * FSlotsPerSlab);
    const std::uintptr_t A = reinterpret_cast<std::uintptr_t>(M);
    FSlabs.insert(std::upper_bound(FSlabs.begin(), FSlabs.end(), A), A);
    LinkOpen(S);
    return S;
}

void TCellRecordStore::FreeSlab(TSlab* S)
{
    UnlinkOpen(S);
    const std::uintptr_t A = reinterpret_cast<std::uintptr_t>(S);
    const auto It = std::lower_bound(FSlabs.begin(), FSlabs.end(), A);
    if (It != FSlabs.end() && *It == A)
        FSlabs.erase(It);
    if (FLastSlab == A)
        FLastSlab = 0;
    UNPOISON_SLOT(S, SlabBytes);
    std::free(S);
}

void TCellRecordStore::LinkOpen(TSlab* S)
{
    if (S->Open)
        return;
    S->Open = true;
    S->Prev = nullptr;
    S->Next = FOpen;
    if (FOpen)
        FOpen->Prev = S;
    FOpen = S;
}

void TCellRecordStore::UnlinkOpen(TSlab* S)
{
    if (!S->Open)
        return;
    S->Open = false;
    if (S->Prev)
        S->Prev->Next = S->Next;
    else
        FOpen = S->Next;
    if (S->Next)
        S->Next->Prev = S->Prev;
    S->Prev = S->Next = nullptr;
}

void* TCellRecordStore::Allocate()
{
    TSlab* S = FOpen ? FOpen : NewSlab();
    std::uint32_t I = S->Used;
    if (I < FSlotsPerSlab) {
        ++S->Used;
    } else {
        // A slot freed before: the first clear bit.
        for (std::uint32_t W = 0;; ++W) {
            const std::uint64_t Free = ~S->Bits[W];
            if (Free) {
                I = W * 64 + static_cast<std::uint32_t>(std::countr_zero(Free));
                break;
            }
        }
    }
    S->Bits[I / 64] |= std::uint64_t{1} << (I % 64);
    ++S->Live;
    ++FLive;
    if (S->Live == FSlotsPerSlab)
        UnlinkOpen(S);
    char* P = S->Slot(I, FSlotBytes);
    UNPOISON_SLOT(P, FSlotBytes);
    return P;
}

std::uint32_t TCellRecordStore::SlotIndex(const TSlab* S, const void* P) const
{
    const std::size_t Off = static_cast<std::size_t>(reinterpret_cast<const char*>(P) -
                                                     reinterpret_cast<const char*>(S) - TSlab::HeadBytes());
    return static_cast<std::uint32_t>(Off / FSlotBytes);
}

void TCellRecordStore::Release(void* Slot)
{
    if (!Holds(Slot))
        return;
    auto* S =
        reinterpret_cast<TSlab*>(reinterpret_cast<std::uintptr_t>(Slot) & ~(std::uintptr_t{SlabBytes} - 1));
    const std::uint32_t I = SlotIndex(S, Slot);
    S->Bits[I / 64] &= ~(std::uint64_t{1} << (I % 64));
    --S->Live;
    --FLive;
    POISON_SLOT(Slot, FSlotBytes);
    // An empty slab goes, unless it is the only one (a grid that makes and drops one record
    // again and again keeps its slab).
    if (S->Live == 0 && FSlabs.size() > 1) {
        FreeSlab(S);
        return;
    }
    LinkOpen(S);
}

TCellRecordStore::TSlab* TCellRecordStore::FindSlab(std::uintptr_t Base) const
{
    if (Base == 0)
        return nullptr;
    if (Base != FLastSlab) {
        const auto It = std::lower_bound(FSlabs.begin(), FSlabs.end(), Base);
        if (It == FSlabs.end() || *It != Base)
            return nullptr;
        FLastSlab = Base;
    }
    return reinterpret_cast<TSlab*>(Base);
}

bool TCellRecordStore::Holds(const void* P) const
{
    const std::uintptr_t A = reinterpret_cast<std::uintptr_t>(P);
    const TSlab* S = FindSlab(A & ~(std::uintptr_t{SlabBytes} - 1));
    if (!S)
        return false;
    const std::uintptr_t First = reinterpret_cast<std::uintptr_t>(S) + TSlab::HeadBytes();
    if (A < First || (A - First) % FSlotBytes != 0)
        return false;
    const std::uint32_t I = static_cast<std::uint32_t>((A - First) / FSlotBytes);
    return I < S->Used && S->IsLive(I);
}

std::vector<void*> TCellRecordStore::LiveSlots() const
{
    std::vector<void*> Result;
    Result.reserve(FLive);
    for (std::uintptr_t A : FSlabs) {
        auto* S = reinterpret_cast<TSlab*>(A);
        for (std::uint32_t I = 0; I < S->Used; ++I)
            if (S->IsLive(I))
                Result.push_back(S->Slot(I, FSlotBytes));
    }
    return Result;
}

std::uint16_t TCellRecordStore::NameId(const AnsiString& Name)
{
    if (Name.empty())
        return EmptyName;
    // Records are mostly made one after another with the same font.
    if (FLastNameId != EmptyName && FNames[FLastNameId - 1u] == Name)
        return FLastNameId;
    const auto It = FNameIds.find(std::string_view(Name));
    if (It != FNameIds.end())
        return FLastNameId = It->second;
    if (FNames.size() >= NoName - 1u)
        return NoName;
    FNames.push_back(Name);
    const auto Id = static_cast<std::uint16_t>(FNames.size());
    FNameIds.emplace(std::string_view(FNames.back()), Id);
    return FLastNameId = Id;
}

const AnsiString& TCellRecordStore::Name(std::uint16_t Id) const
{
    static const AnsiString Empty;
    return Id == EmptyName || Id > FNames.size() ? Empty : FNames[Id - 1u];
}
