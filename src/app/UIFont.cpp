// The fonts of the forms, their controls and menus, and the Segoe UI rule of newer Windows.
#include "UIFont.h"

#include <QFontDatabase>
#include <QWidget>

#include "uVista.h"

namespace {

constexpr const char* PreferredFamily = "Tahoma";
constexpr int ControlPointSize = 10;
constexpr const char* FormFamily = "MS Sans Serif";
constexpr int FormPointSize = 8;
constexpr const char* SegoeUI = "Segoe UI";

QString PlatformSans() {
  return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

}  // namespace

QString ChooseControlFontFamily(const QStringList& AInstalled, const QString& APlatformSans) {
  return AInstalled.contains(PreferredFamily, Qt::CaseInsensitive) ? QString(PreferredFamily)
                                                                   : APlatformSans;
}

QFont ControlFont() {
  return QFont(ChooseControlFontFamily(QFontDatabase::families(), PlatformSans()),
               ControlPointSize);
}

QFont FormFont() {
  const bool installed = QFontDatabase::families().contains(FormFamily, Qt::CaseInsensitive);
  return QFont(installed ? QString(FormFamily) : PlatformSans(), FormPointSize);
}

void ApplySegoeUIFont(QWidget& AForm, const QStringList& AInstalled) {
  QFont font = AForm.font();
  const TFormFont chosen = SegoeUIFontFor({font.family().toStdString(), font.pointSize()},
                                          AInstalled.contains(SegoeUI, Qt::CaseInsensitive));
  if (chosen.Name == font.family().toStdString() && chosen.Size == font.pointSize()) return;
  font.setFamily(QString::fromStdString(chosen.Name));
  font.setPointSize(chosen.Size);
  AForm.setFont(font);
}
