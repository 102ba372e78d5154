// The fonts of the forms, their controls and menus, and the Segoe UI rule of newer Windows.
#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

class QWidget;

// "Tahoma" when it is among the installed families, otherwise the platform's sans family.
QString ChooseControlFontFamily(const QStringList& AInstalled, const QString& APlatformSans);
// The 10 pt control font of this desktop.
QFont ControlFont();
// The forms' own 8 pt font: "MS Sans Serif" where installed, otherwise the platform's sans.
QFont FormFont();

// The Segoe UI rule on a form, AInstalled naming the installed font families: the form's own
// font becomes "Segoe UI" one point larger unless it already is that font or the font is not
// installed. Controls with a font of their own keep it; the others follow the form.
void ApplySegoeUIFont(QWidget& AForm, const QStringList& AInstalled);
