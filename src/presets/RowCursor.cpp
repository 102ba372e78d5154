// The batch's walk over the list rows.
#include "RowCursor.h"

int AdvanceRow(TBatchRowState& AState, int ARowCount) {
  ++AState.ListviewItem;
  AState.ThisIsTheLastItem = AState.ListviewItem == ARowCount - 1;
  AState.NoMoreFilesToConvert = false;
  AState.ConversionRunning = false;
  return AState.ListviewItem;
}

void RowHandedBack(TBatchRowState& AState) {
  AState.ConversionRunning = false;
  if (AState.ThisIsTheLastItem) AState.NoMoreFilesToConvert = true;
}

void RowStarting(TBatchRowState& AState) {
  AState.ConversionRunning = true;
  if (AState.ThisIsTheLastItem) AState.NoMoreFilesToConvert = true;
}
