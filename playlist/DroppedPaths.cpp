#include "DroppedPaths.h"

#include <QByteArrayList>
#include <QMimeData>
#include <QSysInfo>

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// %XX becomes the byte XX; anything else stays as it is. Qt's own decoding goes through
// QString and would turn bytes that are no UTF-8 into U+FFFD.
QByteArray percentDecoded(QByteArrayView text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            bytes += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            bytes += text[i];
        }
    }
    return bytes;
}

// The path of a file: URL of this machine, empty for any other URL.
QByteArray localPath(QByteArrayView url) {
    if (url.size() < 5 || qstrnicmp(url.data(), "file:", 5) != 0) return {};
    QByteArrayView rest = url.sliced(5);
    if (rest.startsWith("//")) {
        rest = rest.sliced(2);
        const qsizetype slash = rest.indexOf('/');
        if (slash < 0) return {};
        const QByteArray host = rest.first(slash).toByteArray().toLower();
        if (!host.isEmpty() && host != "localhost" && host != QSysInfo::machineHostName().toUtf8().toLower()) return {};
        rest = rest.sliced(slash);
    }
    if (!rest.startsWith('/')) return {};
    // A query or a fragment is no part of the name; a '?' or '#' in a name comes encoded.
    const qsizetype end = [&] {
        qsizetype e = rest.size();
        for (char c : {'?', '#'}) {
            const qsizetype at = rest.indexOf(c);
            if (at >= 0 && at < e) e = at;
        }
        return e;
    }();
    return percentDecoded(rest.first(end));
}

}  // namespace

std::vector<QByteArray> DroppedPaths(const QMimeData& data) {
    std::vector<QByteArray> paths;
    // text/uri-list: one URL a line, lines ended by CR LF (some senders use LF alone), lines
    // beginning with '#' are comments.
    const QByteArray list = data.data(QStringLiteral("text/uri-list"));
    for (QByteArray line : list.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('#')) continue;
        QByteArray path = localPath(line);
        if (!path.isEmpty()) paths.push_back(std::move(path));
    }
    return paths;
}
