// TDropDownComboBox: a drop-down list that tells its owner just before it opens.
#pragma once

#include <QComboBox>
#include <functional>

class TDropDownComboBox : public QComboBox {
 public:
  explicit TDropDownComboBox(QWidget* AParent = nullptr) : QComboBox(AParent) {
    // Styles that open the list over the current row ignore maxVisibleItems; this list
    // always opens below itself so that the row count it is given holds.
    setStyleSheet("QComboBox { combobox-popup: 0; }");
  }

  // Runs before the list opens, so that it can still change how many rows the list shows.
  std::function<void()> OnDropDown;

  void showPopup() override {
    if (OnDropDown) OnDropDown();
    QComboBox::showPopup();
  }
};
