// The program's icon: a white film projector on black with the product's name beneath it in
// letters five pixels high, drawn pixel by pixel in colours of the standard 16-colour palette.
#pragma once

#include <QImage>

// 32 × 32, black ground.
QImage DrawProjectorIcon();

// Where the icon is opaque: the drawing and a black outline of one pixel around it, so the
// white projector stays visible on a light desktop too. Alpha 0 elsewhere.
QImage ProjectorIconMask(const QImage& icon);
