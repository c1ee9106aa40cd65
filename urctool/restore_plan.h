#pragma once
// Planning a restore: the writes that turn the URC's managed areas (key
// records, allocation area, code storage) into a backup's, ordered so that
// the URC is consistent after every single write and every key holds either
// its old code, its backed-up code or none:
//   1. keys whose code changes and whose old code lies in storage are emptied
//      (as deleting does: the record's flag byte becomes 00);
//   2. the allocation area keeps only the records still referred to (one
//      write), so storage the restore needs is no longer in use;
//   3. the code storage blocks that differ;
//   4. the backup's allocation area (one write);
//   5. the backup's key records that differ.
// A restore cut short at any write leaves a consistent URC, and planning again
// from there completes it.
#include "urcmem/memory_map.h"
#include "urcmem/urc_memory.h"

#include <cstdint>
#include <string>
#include <vector>

namespace urctool {

struct PlannedWrite {
    int address = 0;
    std::vector<uint8_t> bytes;
};

struct RestorePlan {
    std::vector<PlannedWrite> writes;
    std::string problem; // set when the backup's tables would leave the URC inconsistent
};

// `header` gives the areas of both images (the connected URC's layout).
RestorePlan planRestore(const urcmem::Memory& current, const urcmem::Memory& backup,
                        const urcmem::Header& header);

// The first write touching each of the three areas is at most this long.
inline constexpr int kMaxStorageWrite = 2048;

// Address ranges where two images differ: [first, last] inclusive.
struct Difference {
    int first = 0;
    int last = 0;
};
std::vector<Difference> differences(const urcmem::Memory& a, const urcmem::Memory& b);

} // namespace urctool
