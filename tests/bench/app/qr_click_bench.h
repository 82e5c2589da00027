#pragma once
// corvane-app-bench qr-click RUNS: a click on a device row to its QR picture
// shown, RUNS clicks over 50 devices.
int QrClickBench(int argc, char** argv, int runs);
