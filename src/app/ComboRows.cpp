// Filling a drop-down list of the window from a table of choice rows.
#include "ComboRows.h"

#include <QComboBox>

void SetComboRows(QComboBox& ACombo, TChoiceRows ARows, int ASelected) {
  ACombo.clear();
  for (std::string_view row : ARows)
    ACombo.addItem(QString::fromUtf8(row.data(), static_cast<qsizetype>(row.size())));
  // Adding to an empty list selects its first row; the choice decides instead.
  ACombo.setCurrentIndex(ASelected);
}
