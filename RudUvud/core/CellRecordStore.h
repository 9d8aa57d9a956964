#pragma once

// The store of a grid's cell property records: fixed-size slots in slabs of SlabBytes, each slab
// aligned to its size, so that a slot finds its slab (and the slab its store and grid) from its
// own address. A slot costs its size and one bit; there is no per-record heap block and no hash
// entry. Whether an address is a live slot of this store is answered from the address alone
// (a binary search over the slabs and the slab's bit), without reading the object there.
//
// The store also keeps the font names of its records, each distinct name once.

#include "platform/rtl/Types.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string_view>
#include <unordered_map>
#include <vector>

class TBaseGrid;

class TCellRecordStore {
public:
    static constexpr std::size_t SlabBytes = 16384;
    // The id of an empty font name, and the id answered when the name table is full.
    static constexpr std::uint16_t EmptyName = 0;
    static constexpr std::uint16_t NoName = 0xFFFF;

    TCellRecordStore(TBaseGrid* AOwner, std::size_t ASlotBytes);
    // Frees the slabs. The objects still live in slots are not destroyed: their owner does that
    // first.
    ~TCellRecordStore();
    TCellRecordStore(const TCellRecordStore&) = delete;
    TCellRecordStore& operator=(const TCellRecordStore&) = delete;

    TBaseGrid* Owner() const { return FOwner; }
    // A new live slot (uninitialised memory of the slot size).
    void* Allocate();
    // Gives a live slot back; a slab left empty is freed.
    void Release(void* Slot);
    // True when P is the start of a live slot of this store. Never reads the object at P.
    bool Holds(const void* P) const;
    std::size_t LiveCount() const { return FLive; }
    // Every live slot, in no particular order.
    std::vector<void*> LiveSlots() const;
    // The store a slot handed out by some store belongs to.
    static TCellRecordStore* StoreOf(const void* Slot);

    // The id of a font name in the name table (EmptyName for ""; NoName when the table is full).
    std::uint16_t NameId(const AnsiString& Name);
    const AnsiString& Name(std::uint16_t Id) const;

private:
    struct TSlab;
    TSlab* NewSlab();
    void FreeSlab(TSlab* S);
    void LinkOpen(TSlab* S);
    void UnlinkOpen(TSlab* S);
    TSlab* FindSlab(std::uintptr_t Base) const;
    std::uint32_t SlotIndex(const TSlab* S, const void* P) const;

    TBaseGrid* FOwner;
    std::size_t FSlotBytes;
    std::uint32_t FSlotsPerSlab;
    std::size_t FLive = 0;
    std::vector<std::uintptr_t> FSlabs; // slab addresses, ascending
    TSlab* FOpen = nullptr;             // slabs with a free slot, linked through the slabs
    mutable std::uintptr_t FLastSlab = 0;

    std::deque<AnsiString> FNames; // id - 1 -> name (a deque: names never move)
    std::unordered_map<std::string_view, std::uint16_t> FNameIds;
    std::uint16_t FLastNameId = EmptyName;
};
