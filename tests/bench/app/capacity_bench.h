#pragma once
// The capacity calculator's part of corvane-app-bench.
#include <functional>
#include <vector>

// Prints one figure: label, the times in ms, the target in ms.
using FigurePrinter = std::function<void(const char*, std::vector<double>, double)>;

// "capacity ROWS RUNS": recalculation after one check-box change with ROWS rows.
int CapacityBench(int argc, char** argv, int rows, int runs, const FigurePrinter& print);
