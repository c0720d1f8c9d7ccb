// The local paths of a drop, as bytes, in the drop's order; other URLs are left out.
#pragma once

#include <QByteArray>

#include <vector>

class QMimeData;

std::vector<QByteArray> DroppedPaths(const QMimeData& data);
