#include "FormProperties.h"

#include <QAbstractItemView>
#include <QFont>
#include <QListView>
#include <QPalette>
#include <QVariant>
#include <QWidget>

void InstallFontSubstitutions() {
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"),
                               {QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック")});
}

static void applyTo(QWidget* widget) {
    const QVariant color = widget->property("vclColor");
    if (color.isValid()) {
        QPalette palette = widget->palette();
        palette.setColor(QPalette::Window, QColor(color.toString()));
        palette.setColor(QPalette::Base, QColor(color.toString()));
        widget->setPalette(palette);
        widget->setAutoFillBackground(true);
    }
    const QVariant fontName = widget->property("vclFontName");
    if (fontName.isValid()) {
        QFont font(fontName.toString());
        font.setPixelSize(widget->property("vclFontHeight").toInt());
        font.setBold(widget->property("vclFontBold").toBool());
        font.setStyleStrategy(QFont::PreferDefault);
        widget->setFont(font);
        QPalette palette = widget->palette();
        const QColor text(widget->property("vclFontColor").toString());
        palette.setColor(QPalette::WindowText, text);
        palette.setColor(QPalette::Text, text);
        widget->setPalette(palette);
    }
    const QVariant itemHeight = widget->property("vclItemHeight");
    if (itemHeight.isValid()) {
        if (auto* view = qobject_cast<QListView*>(widget)) {
            view->setUniformItemSizes(true);
            view->setStyleSheet(QStringLiteral("QListView::item { height: %1px; padding: 0px; }")
                                    .arg(itemHeight.toInt()));
        }
    }
}

void ApplyFormProperties(QWidget* form) {
    applyTo(form);
    for (QWidget* child : form->findChildren<QWidget*>()) applyTo(child);
}
