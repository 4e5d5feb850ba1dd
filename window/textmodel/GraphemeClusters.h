#pragma once
// Where the user's caret may stop: between extended grapheme clusters (Unicode's UAX #29, rules
// GB1 to GB13 and GB999 as of Unicode 15.0), so that Left, Right, Backspace and Delete take a
// letter with its accents, an emoji with its modifiers and joined parts, a flag or a Hangul
// syllable as one character, and CR LF as one line break.
//
// Positions are UTF-16 units. A surrogate half without its partner is a character (a cluster)
// of its own, even before a mark. Whether a position is a boundary is read from a few units
// around it: the pairing of regional indicators (GB12, GB13) and the emoji sequences of GB11
// look back at most kClusterLookBehind units, so a run of flags or an emoji sequence longer than
// that may be split in the wrong place. Trace text hardly holds such runs, and the bound keeps
// each answer cheap however the text is made; a step over a long cluster of marks still costs
// the cluster's length.

#include <cstddef>

#include "window/textmodel/GraphemeBreak.h"
#include "window/textmodel/TextBuffer.h"

namespace orsk {

inline constexpr std::size_t kClusterLookBehind = 64;

// Whether a cluster starts at `position`; the ends of the text are boundaries, positions past
// the end are not.
bool IsClusterBoundary(const TextBuffer& text, std::size_t position);
// The nearest boundary before `position` (0 at most), and after it (Length() at most).
std::size_t PreviousClusterBoundary(const TextBuffer& text, std::size_t position);
std::size_t NextClusterBoundary(const TextBuffer& text, std::size_t position);
// `position` if it is a boundary, else the end of the cluster it is inside.
std::size_t ClusterBoundaryAtOrAfter(const TextBuffer& text, std::size_t position);

}  // namespace orsk
