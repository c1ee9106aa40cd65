// Reading a symbol frame: its leader, its payload symbol by symbol (each the
// table entry nearest to its durations), its trailer. Forms whose symbol steps
// are finer than a receiver's jitter keep the close calls, so that their
// layout's checks can tell which were wrong.
#include "irform/form_frame_read.h"

#include <algorithm>

namespace irform::detail {
namespace {

// No symbol (a plain index, not an optional: the choice is made for every
// symbol read, and returning optionals by value stalled the loads that copy
// them).
constexpr std::size_t kNoSymbol = ~std::size_t{0};

// The symbol nearest to a pair of durations and, when another also lies
// within slack, the next nearest (else kNoSymbol) with what it costs more.
struct SymbolChoice {
    std::size_t best = 0;
    std::size_t second = kNoSymbol;
    double secondExtra = 0;
};

void take(Score& score, const Score& symbol) {
    score.sum += symbol.sum;
    score.count += symbol.count;
    score.markExcess += symbol.markExcess;
    score.marks += symbol.marks;
    score.updateShift();
}

// Whether the durations from `at` on read as symbol i (its first pair, then
// its tail if it has one), all but its last space when `markOnly`.
bool readsAsSymbol(const FormDefinition& form, const std::vector<uint32_t>& d, std::size_t at,
                   std::size_t i, bool markOnly, Score& trial) {
    const Pair symbol = form.symbolFrame.symbols[i];
    const Pair tail = symbolTail(form.symbolFrame, i);
    const uint32_t nominal[] = {symbol.first, symbol.second, tail.first, tail.second};
    const std::size_t count = symbolLength(form.symbolFrame, i) - (markOnly ? 1 : 0);
    return readFixed(d, at, std::span<const uint32_t>(nominal, count), trial);
}

// Whether every symbol is one pair, all open with the same duration and
// their second durations ascend (XMP's nibbles, every pulse-distance table).
bool secondsAscend(const SymbolFrame& frame) {
    if (!frame.symbolTails.empty())
        return false;
    for (std::size_t i = 1; i < frame.symbols.size(); ++i)
        if (frame.symbols[i].first != frame.symbols[0].first ||
            frame.symbols[i].second <= frame.symbols[i - 1].second)
            return false;
    return true;
}

// The nearest symbol and the runner-up as they are found, by what they cost.
class Ranking {
public:
    // Whether symbol i became the nearest.
    bool offer(std::size_t i, double sum) {
        if (best_ == kNoSymbol || sum < bestSum_) {
            second_ = best_;
            secondSum_ = bestSum_;
            best_ = i;
            bestSum_ = sum;
            return true;
        }
        if (second_ == kNoSymbol || sum < secondSum_) {
            second_ = i;
            secondSum_ = sum;
        }
        return false;
    }
    bool empty() const { return best_ == kNoSymbol; }
    std::size_t best() const { return best_; }
    // The choice once the nearest symbol's comparisons came to `bestSum`.
    SymbolChoice choice(double bestSum) const {
        if (second_ == kNoSymbol)
            return {best_, kNoSymbol, 0};
        return {best_, second_, secondSum_ - bestSum};
    }

private:
    std::size_t best_ = kNoSymbol;
    std::size_t second_ = kNoSymbol;
    double bestSum_ = 0;
    double secondSum_ = 0;
};

// A table of one opening and ascending second durations (see secondsAscend):
// the opening is compared once, and the run of symbols whose second duration
// lies within slack ends at the first too long for it (a longer nominal is
// further off by more than its slack grows).
bool chooseAscending(const SymbolFrame& frame, const std::vector<uint32_t>& d, std::size_t at,
                     Score& score, SymbolChoice& choice) {
    const std::span<const Pair> symbols = frame.symbols;
    Score opening;
    opening.shift = score.shift;
    if (!opening.add(d[at], symbols.front().first, at))
        return false;
    const uint32_t actual = opening.corrected(d[at + 1], at + 1);
    Ranking ranking;
    double bestCost = 0;
    for (std::size_t i = 0; i < symbols.size(); ++i) {
        const auto c = opening.cost(d[at + 1], symbols[i].second, at + 1);
        if (!c) {
            if (actual < symbols[i].second)
                break;
            continue;
        }
        if (ranking.offer(i, opening.sum + *c))
            bestCost = *c;
    }
    if (ranking.empty())
        return false;
    opening.addCosted(d[at + 1], symbols[ranking.best()].second, at + 1, bestCost);
    take(score, opening);
    choice = ranking.choice(opening.sum);
    return true;
}

// Reads the symbol at `at` as the nearest of the table and takes its
// comparisons into `score`; false when no symbol fits.
bool chooseSymbol(const FormDefinition& form, const std::vector<uint32_t>& d, std::size_t at,
                  Score& score, bool markOnly, bool ascending, SymbolChoice& choice) {
    if (ascending && !markOnly)
        return chooseAscending(form.symbolFrame, d, at, score, choice);
    Ranking ranking;
    Score best;
    for (std::size_t i = 0; i < form.symbolFrame.symbols.size(); ++i) {
        Score trial;
        trial.shift = score.shift;
        if (readsAsSymbol(form, d, at, i, markOnly, trial) && ranking.offer(i, trial.sum))
            best = trial;
    }
    if (ranking.empty())
        return false;
    take(score, best);
    choice = ranking.choice(best.sum);
    return true;
}

// A runner-up this much dearer than the nearest is no close call (a
// receiver's 3 % on a space up to 2.8 ms makes at most 0.24): its symbol was
// not sent.
constexpr double kCloseCallExtra = 0.25;

bool closeCall(const FormDefinition& form, const SymbolChoice& choice) {
    return choice.second != kNoSymbol && choice.secondExtra < kCloseCallExtra &&
           symbolLength(form.symbolFrame, choice.second) ==
               symbolLength(form.symbolFrame, choice.best);
}

// The payload bits of the symbol sent `index` bits into the frame.
uint64_t symbolBitsAt(const FormDefinition& form, int index, std::size_t symbol) {
    const int width = symbolBits(form);
    uint64_t payload = 0;
    if (width == 1) {
        putBit(form, payload, index, symbol != 0);
        return payload;
    }
    for (int k = 0; k < width; ++k)
        putBit(form, payload, index + k, (symbol >> (width - 1 - k)) & 1);
    return payload;
}

bool layoutHolds(const FormDefinition& form, uint64_t payload) {
    const auto fields = form.unpack(payload);
    return fields && fields->device <= form.maxDevice && fields->command <= form.maxCommand;
}

// Where a symbol frame read ends: the index of the gap after it (or the
// signal's size), and its nominal length with the symbols as read.
struct WalkedFrame {
    std::size_t end = 0;
    uint32_t lengthUs = 0;
};

// Reads a symbol frame from `start`: its leader, its symbols, each handed to
// `onSymbol(firstBit, choice)` (false: the frame does not fit), and its
// trailer.
template <typename OnSymbol>
std::optional<WalkedFrame> walkSymbols(const FormDefinition& form, const std::vector<uint32_t>& d,
                                       std::size_t start, bool first, Score& score,
                                       OnSymbol onSymbol) {
    if (!symbolFrameCanEnd(form, d, start, first))
        return std::nullopt;
    const SymbolFrame& frame = form.symbolFrame;
    const std::span<const uint32_t> leader = first ? frame.leader : frame.repeatLeader;
    std::size_t at = start;
    if (!readFixed(d, at, leader, score))
        return std::nullopt;
    uint32_t length = durationSum(leader) + durationSum(frame.trailer);
    uint32_t lastSpace = 0;
    const int width = symbolBits(form);
    const bool ascending = secondsAscend(frame);
    for (int i = 0; i < form.bits; i += width) {
        if (frame.separatorAfter != 0 && i == frame.separatorAfter) {
            const uint32_t separator[] = {frame.separator.first, frame.separator.second};
            if (!readFixed(d, at, separator, score))
                return std::nullopt;
            length += frame.separator.first + frame.separator.second;
        }
        // The last symbol's space may run into the gap: its mark tells it.
        const bool markOnly = frame.lastSpaceInGap && i + width >= form.bits;
        if (at + (markOnly ? 0 : 1) >= d.size())
            return std::nullopt;
        SymbolChoice choice;
        if (!chooseSymbol(form, d, at, score, markOnly, ascending, choice) || !onSymbol(i, choice))
            return std::nullopt;
        const Pair symbol = frame.symbols[choice.best];
        const Pair tail = symbolTail(frame, choice.best);
        length += symbol.first + symbol.second + tail.first + tail.second;
        lastSpace = tail.first != 0 ? tail.second : symbol.second;
        at += symbolLength(frame, choice.best);
    }
    if (frame.lastSpaceInGap) {
        --at; // back to the gap that holds the last space
        length -= lastSpace;
    }
    if (!readFixed(d, at, frame.trailer, score) || !endsFrame(d, at))
        return std::nullopt;
    return WalkedFrame{at, length};
}

// A symbol the layout's checks may take instead of the nearest: the bits
// that change and what it costs more.
struct Alternative {
    uint64_t flip = 0;
    double extra = 0;
};

// The payloads that keep the layout's checks when up to the row's
// repairableSymbols symbols are read as their runner-up, cheapest first (at
// most kMaxCandidates). A symbol table of fine steps (XMP's 136 us on spaces
// up to 2.8 ms) lets a receiver's few percent of jitter carry a long space
// past half a step; the checks tell which close calls were wrong, and the
// frames after the first tell apart candidates that all pass them.
// Adds the payloads `changes` more runner-ups (from alternative `from` on)
// make of `payload` that pass the checks.
void addCandidates(const FormDefinition& form, uint64_t payload, double extra,
                   const std::vector<Alternative>& alternatives, std::size_t from, int changes,
                   std::vector<Candidate>& found) {
    for (std::size_t i = from; i < alternatives.size(); ++i) {
        const uint64_t changed = payload ^ alternatives[i].flip;
        const double cost = extra + alternatives[i].extra;
        if (changes == 1) {
            if (layoutHolds(form, changed))
                found.push_back({changed, cost});
        } else {
            addCandidates(form, changed, cost, alternatives, i + 1, changes - 1, found);
        }
    }
}

std::vector<Candidate> candidatesFor(const FormDefinition& form, uint64_t payload,
                                     std::vector<Alternative> alternatives) {
    // The closest calls only, so that a frame costs a few dozen checks and
    // its repeats are read for a few candidates.
    constexpr std::size_t kMaxAlternatives = 6;
    constexpr std::size_t kMaxCandidates = 4;
    std::sort(alternatives.begin(), alternatives.end(),
              [](const Alternative& a, const Alternative& b) { return a.extra < b.extra; });
    if (alternatives.size() > kMaxAlternatives)
        alternatives.resize(kMaxAlternatives);
    std::vector<Candidate> found;
    if (layoutHolds(form, payload))
        found.push_back({payload, 0});
    // Up to two changes always (two close calls may cancel in a checksum);
    // more only when fewer found nothing.
    for (int changes = 1; changes <= form.repairableSymbols && (changes <= 2 || found.empty());
         ++changes)
        addCandidates(form, payload, 0, alternatives, 0, changes, found);
    std::sort(found.begin(), found.end(),
              [](const Candidate& a, const Candidate& b) { return a.extra < b.extra; });
    if (found.size() > kMaxCandidates)
        found.resize(kMaxCandidates);
    return found;
}

} // namespace

// A symbol frame takes a known number of durations, a few possible ones when
// some symbols have a tail, so a form whose frame would end inside a run of
// short durations is passed over before any of them is read: most of the
// table fails so, at the cost of a few comparisons.
bool symbolFrameCanEnd(const FormDefinition& form, const std::vector<uint32_t>& d,
                       std::size_t start, bool first) {
    const SymbolFrame& frame = form.symbolFrame;
    const int width = symbolBits(form);
    const std::size_t symbols = static_cast<std::size_t>((form.bits + width - 1) / width);
    std::size_t shortest = 2;
    std::size_t longest = 2;
    if (!frame.symbolTails.empty()) {
        shortest = 4;
        for (std::size_t i = 0; i < frame.symbols.size(); ++i) {
            shortest = std::min(shortest, symbolLength(frame, i));
            longest = std::max(longest, symbolLength(frame, i));
        }
    }
    const bool separated = frame.separatorAfter != 0 && frame.separatorAfter < form.bits;
    const std::size_t fixed = start + (first ? frame.leader : frame.repeatLeader).size() +
                              frame.trailer.size() + (separated ? 2 : 0);
    // The last space of a frame without a trailer is the gap itself.
    const std::size_t back = frame.lastSpaceInGap ? 1 : 0;
    for (std::size_t end = fixed + symbols * shortest - back;
         end <= fixed + symbols * longest - back && end <= d.size(); end += 2)
        if (endsFrame(d, end))
            return true;
    return false;
}

std::optional<std::size_t> nearestSymbol(const FormDefinition& form, const std::vector<uint32_t>& d,
                                         std::size_t at, Score& score, bool markOnly) {
    SymbolChoice choice;
    if (!chooseSymbol(form, d, at, score, markOnly, secondsAscend(form.symbolFrame), choice))
        return std::nullopt;
    return choice.best;
}

std::optional<FrameRead> readSymbolFrame(const FormDefinition& form, const std::vector<uint32_t>& d,
                                         std::size_t start, bool first, Score& score,
                                         bool checked) {
    FrameRead frame;
    std::vector<Alternative> alternatives;
    const auto walked =
        walkSymbols(form, d, start, first, score, [&](int firstBit, const SymbolChoice& choice) {
            const uint64_t bits = symbolBitsAt(form, firstBit, choice.best);
            frame.payload |= bits;
            if (form.repairableSymbols > 0 && closeCall(form, choice))
                alternatives.push_back(
                    {bits ^ symbolBitsAt(form, firstBit, choice.second), choice.secondExtra});
            return true;
        });
    if (!walked)
        return std::nullopt;
    frame.lengthUs = walked->lengthUs;
    if (form.repairableSymbols > 0 && checked) {
        frame.candidates = candidatesFor(form, frame.payload, alternatives);
        if (frame.candidates.empty())
            return std::nullopt;
        if (frame.candidates.front().payload != frame.payload)
            frame.lengthUs = nominalLength(form, frame.candidates.front().payload, first);
        frame.payload = frame.candidates.front().payload;
        score.sum += frame.candidates.front().extra;
    }
    frame.spaceInGapUs = spaceInGap(form, frame.payload);
    frame.end = walked->end;
    return frame;
}

std::optional<FrameRead> readExpectedFrame(const FormDefinition& form,
                                           const std::vector<uint32_t>& d, std::size_t start,
                                           bool first, uint64_t expected, Score& score) {
    const int width = symbolBits(form);
    int runnersUp = 0;
    const auto walked =
        walkSymbols(form, d, start, first, score, [&](int firstBit, const SymbolChoice& choice) {
            const uint64_t want =
                expected & symbolBitsAt(form, firstBit, (std::size_t{1} << width) - 1);
            if (symbolBitsAt(form, firstBit, choice.best) == want)
                return true;
            if (!closeCall(form, choice) || symbolBitsAt(form, firstBit, choice.second) != want ||
                ++runnersUp > form.repairableSymbols)
                return false;
            score.sum += choice.secondExtra;
            return true;
        });
    if (!walked)
        return std::nullopt;
    FrameRead frame;
    frame.payload = expected;
    frame.end = walked->end;
    frame.lengthUs = nominalLength(form, expected, first);
    frame.spaceInGapUs = spaceInGap(form, expected);
    return frame;
}

} // namespace irform::detail
