#pragma once
// corvane-app-bench rows-found DEVICES RUNS: a search over DEVICES simulated
// devices, the time from its start to the first row on the device list and
// to every device listed, and to the search's end.
int RowsFoundBench(int argc, char** argv, int devices, int runs);
// corvane-app-bench rows-found-lab DEVICES RUNS: the same with the program's
// own search (both device families, the shipped ports) against the device
// lab's simulator; run it inside scripts/lab.
int RowsFoundLabBench(int argc, char** argv, int devices, int runs);
