// TAboutBox: the fixed dialog with the program's name and version.
#pragma once

#include <QDialog>

class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutBox(QWidget* AParent = nullptr);
};
