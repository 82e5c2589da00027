#pragma once
// corvane-app-bench rows-found DEVICES RUNS: a search over DEVICES simulated
// devices, the time from its start to the first row on the device list and
// to every device listed, and to the search's end.
int RowsFoundBench(int argc, char** argv, int devices, int runs);
