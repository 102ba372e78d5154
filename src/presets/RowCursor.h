// The batch's walk over the list rows: the row counter and the flags that tell the batch
// controller whether a conversion runs and whether the batch is over.
#pragma once

// The main window's batch fields.
struct TBatchRowState {
  int ListviewItem = -1;  // the row being converted; -1 before the first
  bool ThisIsTheLastItem = false;
  bool NoMoreFilesToConvert = false;  // the next timer tick ends the batch
  bool ConversionRunning = false;
};

// Clears the flags and moves to the next of ARowCount rows (exactly one per call, whatever
// becomes of the row); returns its index.
int AdvanceRow(TBatchRowState& AState, int ARowCount);

// The row was skipped, or failed before or while its conversion was started: nothing runs, and
// the batch ends after the last row.
void RowHandedBack(TBatchRowState& AState);

// Just before the encoder starts the row: a conversion runs until its termination clears
// ConversionRunning, and the batch ends after the last row.
void RowStarting(TBatchRowState& AState);
