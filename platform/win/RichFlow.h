#pragma once

// The laid-out lines of a rich edit document, kept paragraph by paragraph so that an edit lays
// out again only the paragraphs it touches.
//
// The paragraphs sit in a balanced tree (a treap ordered by position) in which every subtree
// knows its count of paragraphs, units, lines and its height. A unit, a height or a line number
// finds its paragraph in logarithmic time, and replacing a run of paragraphs costs the
// logarithm plus the layout of the new ones. Each paragraph keeps its lines relative to its
// first unit and its top, so nothing after an edit needs to move.

#include "platform/win/RichText.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace richtext {

class Flow {
public:
    Flow();
    ~Flow();
    Flow(const Flow&) = delete;
    Flow& operator=(const Flow&) = delete;

    // Forgets every paragraph: the next Update lays out the whole document.
    void Invalidate();
    // Tells that units [from, from + removed) of the document were replaced by `inserted` units
    // (a change of format is a replacement by as many units); `doc` is the document after the
    // change. Lays out again the paragraphs the change touched; a flow not laid out stays so.
    void Replaced(const Document& doc, std::size_t from, std::size_t removed, std::size_t inserted);
    // Lays out the whole document at `width` twips unless it is laid out at that width.
    void Update(const Document& doc, int width);

    // What follows asks about the layout of the last Update (at least one line).
    std::size_t LineCount() const;
    int Height() const;
    // The number of the first line that goes on past the unit (the last line when none does).
    std::size_t LineOfUnit(std::size_t unit) const;
    // The number of the first line whose bottom is below y twips, or the last line.
    std::size_t LineAtY(int y) const;
    // Line `number` (clamped to the last), its units and top counted from the document's start.
    Line LineAt(std::size_t number) const;

private:
    struct Node;
    struct Spot;
    std::unique_ptr<Node> Build(const Document& doc, std::size_t from, std::size_t to);
    template <class Measure> Spot Find(std::size_t value, Measure measure) const;

    std::unique_ptr<Node> Root;
    int Width = -1;
    std::uint64_t Seed = 0x2545F4914F6CDD1Dull;
};

} // namespace richtext
