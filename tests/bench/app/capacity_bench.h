#pragma once
// The capacity calculator's part of corvane-app-bench.

// "capacity ROWS RUNS": the results after one check-box change with ROWS
// rows, RUNS times, and the "all" header click over them; prints min,
// median and max of each.
int CapacityBench(int argc, char** argv, int rows, int runs);
