// Filling a drop-down list of the window from a table of choice rows.
#pragma once

#include "ChoiceLists.h"

class QComboBox;

// Replaces the rows of the list with ARows and selects the row ASelected (-1: no row).
void SetComboRows(QComboBox& ACombo, TChoiceRows ARows, int ASelected);
