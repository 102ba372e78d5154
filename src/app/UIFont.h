// The font of the window's controls and menus: Tahoma 10 pt, or the platform's sans at 10 pt.
#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

// "Tahoma" when it is among the installed families, otherwise the platform's sans family.
QString ChooseControlFontFamily(const QStringList& AInstalled, const QString& APlatformSans);
// The 10 pt control font of this desktop.
QFont ControlFont();
