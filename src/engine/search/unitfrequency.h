// How common a unit is in ordinary text and CSV data: the literal finder
// compares a find text's two rarest units first.
#pragma once

// Higher is more common.
int unitFrequencyRank(char16_t unit);
