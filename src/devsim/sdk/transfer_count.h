#pragma once
// How many firmware transfers the simulator receives at once, over every
// device and session of the process: the upgrade benchmark reads the peak
// from the simulator's standard error ("devsim: firmware transfers at once:
// N" at each new peak); in-process tests read it directly. And how many
// sessions are open: when the last one ends the simulator is idle and hands
// the memory its sessions freed back to the system.
namespace devsim {

void SessionOpened();
void SessionClosed();

void TransferBegan();
void TransferEnded();
int PeakTransfers();
void ResetPeakTransfers();

} // namespace devsim
