// The font of the window's controls and menus: Tahoma 10 pt, or the platform's sans at 10 pt.
#include "UIFont.h"

#include <QFontDatabase>

namespace {

constexpr const char* PreferredFamily = "Tahoma";
constexpr int ControlPointSize = 10;

}  // namespace

QString ChooseControlFontFamily(const QStringList& AInstalled, const QString& APlatformSans) {
  return AInstalled.contains(PreferredFamily, Qt::CaseInsensitive) ? QString(PreferredFamily)
                                                                   : APlatformSans;
}

QFont ControlFont() {
  const QString family = ChooseControlFontFamily(
      QFontDatabase::families(), QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
  return QFont(family, ControlPointSize);
}
