#pragma once

// Pages of a canvas's block tree: every block gets a page of its own, numbered depth-first; blocks
// that fit beside a block higher up in the tree, together with the blocks already on their own
// pages, join its page; the joined groups are packed onto their pages over a column skyline; the
// page numbers left without blocks are dropped and each page lists its blocks.

#include "app/core/DiagramRecords.h"

#include <cstdint>
#include <vector>

namespace vellumora {

// One step of a packing search.
struct PackState {
    Point xy;                          // position of the block placed last, in report-body twips
    Point size;                        // its width and height
    std::vector<std::int16_t> blocks;  // blocks still to place; the first goes next
    std::vector<std::int16_t> levels;  // join level of each of them
    bool commit = false;               // write page, position, flag 0x40 and level into placed blocks
    std::int16_t pageNo = 0;
};

// The page map of the canvas being laid out, indexed from its first page number to RW.pageCount:
// -1 marks a page number that no block uses any more, any other value the page's final number.
struct PageMapRecord {
    std::int16_t firstPage = 1;
    std::vector<std::int16_t> entries;
};
inline PageMapRecord pageMap;

// Makes the page map for the page numbers firstPage to RW.pageCount, every entry -1.
void PageMapReset(std::int16_t firstPage);
// The entry of a page number; raises subscript out of range (9) outside the map.
std::int16_t& PageMapAt(std::int16_t page);

// A search that has tried this many placements without placing every block gives up: the block
// it was trying for keeps its own page.
constexpr int PackSearchLimit = 4000;

// A fresh skyline for the report width: one column per horizontal block gap, all 0.
std::vector<std::int32_t> PageSkylineMake();

// Each walks the tree from its root block; a root of -1 (a canvas without boxes) does nothing.
void PageGroupMake(std::int16_t block);
void PagePackBlocks(std::int16_t block);
// Places the pending blocks of the state one after another, trying again with earlier blocks
// moved when a later one finds no room; true when all were placed. The skyline changes only then.
bool PagePackTry(PackState& state, std::vector<std::int32_t>& skyline);
// Fits the state's rectangle at or below its position; on success moves it down to its final y
// and raises the skyline under it.
bool PagePackFit(PackState& state, std::vector<std::int32_t>& skyline);
void PageMapMark(std::int16_t block);
// Page numbers no block uses any more disappear and the others close up in their order: the map
// gives each page its final number, RW.pageCount and RW.PageList end at the last one.
void PageMapCloseUp();
void PageNumberAssign(std::int16_t block);

} // namespace vellumora
