// A main window on real widgets offscreen with scripted dialogs and its own settings folder,
// which a test can restart as the program would be started again.
#pragma once

#include <gtest/gtest.h>

#include <QComboBox>
#include <memory>
#include <string>
#include <vector>

#include "../platform/TempConfigFolder.h"
#include "MainThread.h"
#include "ScriptedDialogs.h"
#include "TestApplication.h"
#include "Unit1.h"

// The rows of a drop-down list and its selected row.
struct TComboState {
  std::vector<std::string> Rows;
  int Selected = -1;
  friend bool operator==(const TComboState&, const TComboState&) = default;
};

inline TComboState StateOf(const QComboBox& ACombo) {
  TComboState state;
  for (int row = 0; row < ACombo.count(); ++row)
    state.Rows.push_back(ACombo.itemText(row).toStdString());
  state.Selected = ACombo.currentIndex();
  return state;
}

inline void PrintTo(const TComboState& AState, std::ostream* AOut) {
  *AOut << "selected " << AState.Selected << " of {";
  for (const std::string& row : AState.Rows) *AOut << '"' << row << "\" ";
  *AOut << '}';
}

// Picks a row as the user does: the list selects it and reports the choice.
inline void Choose(QComboBox& ACombo, int ARow) {
  ACombo.setCurrentIndex(ARow);
  emit ACombo.activated(ARow);
}
inline void Choose(QComboBox& ACombo, const std::string& AText) {
  const int row = ACombo.findText(QString::fromStdString(AText));
  ASSERT_NE(row, -1) << AText;
  Choose(ACombo, row);
}

class TWindowFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApplication();
    SetMainThread();
    ConversionRunning = false;
    Start();
  }
  void TearDown() override { FForm.reset(); }

  // Starts the program's window afresh (the old one goes without closing, as after Exit).
  void Start() {
    FForm.reset();
    FForm = std::make_unique<TForm1>();
    ASSERT_TRUE(FForm->LibrariesLoaded());
  }

  TForm1& Form() { return *FForm; }

  TTempConfigFolder FConfig;
  TScriptedDialogs FDialogs;
  std::unique_ptr<TForm1> FForm;
};
