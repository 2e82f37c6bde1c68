#pragma once

#include <functional>

// The draw of the occasional home-page call: int(random * 100) + 1 from a
// generator seeded from the time of day.
std::function<int()> timeSeededDrawOneToHundred();
