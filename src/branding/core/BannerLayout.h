#pragma once

// Offset that centres a picture of size inner in a strip of size outer. Each
// size is halved on its own, dropping the remainder, before the subtraction:
// 858 and 105 give 429 - 52 = 377. A picture larger than the strip gets a
// negative offset and is cut equally on both sides.
constexpr int centredOffset(int outer, int inner) { return outer / 2 - inner / 2; }
