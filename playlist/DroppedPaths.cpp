#include "DroppedPaths.h"

#include <QFile>
#include <QMimeData>
#include <QUrl>

std::vector<QByteArray> DroppedPaths(const QMimeData& data) {
    std::vector<QByteArray> paths;
    for (const QUrl& url : data.urls())
        if (url.isLocalFile()) paths.push_back(QFile::encodeName(url.toLocalFile()));
    return paths;
}
