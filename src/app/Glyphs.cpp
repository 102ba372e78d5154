// The window's button glyphs, drawn at run time.
#include "Glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int GlyphSize = 32;

void DrawPlus(QPainter& APainter, QColor AColor) {
  APainter.setPen(Qt::NoPen);
  APainter.setBrush(AColor);
  APainter.drawRoundedRect(QRectF(13, 4, 6, 24), 2, 2);
  APainter.drawRoundedRect(QRectF(4, 13, 24, 6), 2, 2);
}

void DrawMinus(QPainter& APainter, QColor AColor) {
  APainter.setPen(Qt::NoPen);
  APainter.setBrush(AColor);
  APainter.drawRoundedRect(QRectF(4, 13, 24, 6), 2, 2);
}

void DrawPlay(QPainter& APainter, QColor AColor) {
  QPainterPath arrow;
  arrow.moveTo(8, 4);
  arrow.lineTo(27, 16);
  arrow.lineTo(8, 28);
  arrow.closeSubpath();
  APainter.setPen(QPen(AColor.darker(140), 1.5));
  APainter.setBrush(AColor);
  APainter.drawPath(arrow);
}

void DrawSquare(QPainter& APainter, QColor AColor) {
  APainter.setPen(QPen(AColor.darker(140), 1.5));
  APainter.setBrush(AColor);
  APainter.drawRoundedRect(QRectF(6, 6, 20, 20), 3, 3);
}

void DrawCross(QPainter& APainter, QColor AColor) {
  APainter.setPen(QPen(AColor, 5, Qt::SolidLine, Qt::RoundCap));
  APainter.drawLine(QPointF(8, 8), QPointF(24, 24));
  APainter.drawLine(QPointF(24, 8), QPointF(8, 24));
}

void DrawFolder(QPainter& APainter, QColor AColor) {
  QPainterPath folder;
  folder.moveTo(3, 9);
  folder.lineTo(12, 9);
  folder.lineTo(15, 12);
  folder.lineTo(29, 12);
  folder.lineTo(29, 26);
  folder.lineTo(3, 26);
  folder.closeSubpath();
  APainter.setPen(QPen(AColor.darker(150), 1.5));
  APainter.setBrush(AColor);
  APainter.drawPath(folder);
}

void DrawTick(QPainter& APainter, QColor AColor) {
  QPainterPath tick;
  tick.moveTo(5, 17);
  tick.lineTo(13, 25);
  tick.lineTo(27, 8);
  APainter.setPen(QPen(AColor, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  APainter.drawPath(tick);
}

struct TGlyphDef {
  void (*Draw)(QPainter&, QColor);
  QColor Colour;
};

const TGlyphDef GlyphDefs[] = {
    {DrawPlus, QColor(46, 160, 67)},  {DrawMinus, QColor(200, 60, 50)},
    {DrawPlay, QColor(40, 110, 200)}, {DrawSquare, QColor(200, 60, 50)},
    {DrawCross, QColor(200, 60, 50)}, {DrawFolder, QColor(230, 180, 60)},
    {DrawTick, QColor(40, 110, 200)},
};

}  // namespace

QIcon MakeGlyph(TGlyph AGlyph) {
  QPixmap pixmap(GlyphSize, GlyphSize);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  GlyphDefs[AGlyph].Draw(painter, GlyphDefs[AGlyph].Colour);
  painter.end();
  return QIcon(pixmap);
}
