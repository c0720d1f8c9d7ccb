#include "Dialogs.h"

#include "Application.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStringDecoder>

QString DisplayText(const std::string& bytes) {
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const std::size_t len = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
        bool valid = len != 0 && i + len <= bytes.size();
        for (std::size_t k = 1; valid && k < len; ++k)
            valid = (static_cast<unsigned char>(bytes[i + k]) & 0xC0) == 0x80;
        if (valid && len > 1) {
            // Overlong forms and surrogates are invalid too; the decoder knows them.
            QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            const QString piece = decoder.decode(QByteArrayView(bytes.data() + i, static_cast<qsizetype>(len)));
            valid = !decoder.hasError();
            if (valid) out += piece;
        } else if (valid) {
            out += QChar(lead);
        }
        if (!valid) {
            out += QStringLiteral("\\x%1").arg(lead, 2, 16, QLatin1Char('0'));
            i += 1;
        } else {
            i += len;
        }
    }
    return out;
}

QString ErrorBoxText(const std::string& message) {
    std::string text = message;
    if (!text.empty() && static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.')) text += '.';
    return DisplayText(text);
}

static QString caption() { return Application != nullptr ? Application->Title : QString(); }

namespace {
MessageSink& sink() {
    static MessageSink current;
    return current;
}
}  // namespace

void SetMessageSink(MessageSink s) { sink() = std::move(s); }

void ShowErrorBox(const std::string& message) {
    if (sink()) return sink()(MessageKind::Error, caption(), ErrorBoxText(message));
    QMessageBox box(QMessageBox::Critical, caption(), ErrorBoxText(message), QMessageBox::Ok);
    box.exec();
}

void ShowMessage(const QString& text) {
    if (sink()) return sink()(MessageKind::Plain, caption(), text);
    QMessageBox box(QMessageBox::NoIcon, caption(), text, QMessageBox::NoButton);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    // Centred on the screen, not on the main window.
    box.adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), box.sizeHint());
        frame.moveCenter(screen->geometry().center());
        box.move(frame.topLeft());
    }
    box.exec();
}
