// TForm4: the Additional Options dialog, which also loads and saves the five user settings.
#pragma once

#include <QDialog>

#include "RegiMain.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;
class TForm1;

class TForm4 : public QDialog {
  Q_OBJECT

 public:
  // Creates the hidden, modeless, always-on-top dialog over the main window, which must be
  // created and initialised already, and loads the settings into the controls of both.
  explicit TForm4(TForm1& AMainForm);

  // Fills the controls of both forms from the settings store; a missing or damaged value ends
  // the reading and writes the states the controls then have back to the store.
  void LoadSettings();
  // Writes the states of the five controls to the settings store.
  void SaveSettings() const;

  void SpinEdit1Change();
  void Button1Click();

  // Controls.
  QGroupBox* GroupBox1;
  QCheckBox* CheckBoxOverWrite;
  // Lie below the group's lower edge, so they are not seen; their value is still kept.
  QSpinBox* SpinEdit1;
  QLabel* Label1;
  QPushButton* Button1;

 private:
  void CreateControls();
  void FormCreate();
  // The five settings as the controls of both forms hold them, and the other way round.
  TRegiSettings ControlSettings() const;
  void ApplySettings(const TRegiSettings& ASettings);

  TForm1& FMainForm;
};
