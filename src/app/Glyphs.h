// The window's button glyphs, drawn at run time.
#pragma once

#include <QIcon>

enum TGlyph { glAddFiles, glRemove, glConvert, glStop, glClear, glBrowse, glOptions };

QIcon MakeGlyph(TGlyph AGlyph);
