// TAboutBox: the fixed dialog with the program's name and version.
#include "AboutBox.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "AppTexts.h"

TAboutBox::TAboutBox(QWidget* AParent)
    : QDialog(AParent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
  setWindowTitle(QStringLiteral("About %1").arg(ApplicationTitle));
  auto* layout = new QVBoxLayout(this);
  auto* name = new QLabel(QStringLiteral("<b>%1</b>").arg(ApplicationTitle), this);
  name->setObjectName(QStringLiteral("LabelProgramName"));
  auto* version = new QLabel(QStringLiteral("Version %1").arg(ApplicationVersion), this);
  version->setObjectName(QStringLiteral("LabelVersion"));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  for (QLabel* label : {name, version}) {
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
  }
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}
