#include "TPlaylistBox.h"

#include "Dialogs.h"
#include "Exception.h"

#include <QKeyEvent>

#include <algorithm>
#include <new>

int PlaylistModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(items.size());
}

QVariant PlaylistModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) return {};
    if (!index.isValid() || index.row() >= rowCount()) return {};
    return DisplayText(items[static_cast<std::size_t>(index.row())].toStdString());
}

TPlaylistBox::TPlaylistBox(QWidget* parent) : QListView(parent), model_(new PlaylistModel(this)) {
    setModel(model_);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

int TPlaylistBox::ItemIndex() const {
    const QModelIndex current = currentIndex();
    return current.isValid() && selectionModel()->isSelected(current) ? current.row() : -1;
}

void TPlaylistBox::SetItemIndex(int index) {
    if (index < 0 || index >= Count()) {
        selectionModel()->clear();
        return;
    }
    const QModelIndex target = model_->index(index);
    selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
    scrollTo(target);
}

void TPlaylistBox::Append(const QByteArray& item) {
    // Room first, so that a failure leaves the list and the view as they were.
    auto& items = model_->items;
    try {
        if (items.size() == items.capacity()) items.reserve(std::max<std::size_t>(16, items.size() * 2));
    } catch (const std::bad_alloc&) {
        throw Exception("行を挿入できません");
    }
    const int row = Count();
    model_->beginInsertRows(QModelIndex(), row, row);
    model_->items.push_back(item);
    model_->endInsertRows();
}

void TPlaylistBox::AppendItems(const std::vector<QByteArray>& items) {
    for (const QByteArray& item : items) Append(item);
}

void TPlaylistBox::Replace(std::vector<QByteArray> items) {
    model_->beginResetModel();
    model_->items = std::move(items);
    model_->endResetModel();
    selectionModel()->clear();
}

void TPlaylistBox::Exchange(int a, int b) {
    std::swap(model_->items.at(static_cast<std::size_t>(a)), model_->items.at(static_cast<std::size_t>(b)));
    emit model_->dataChanged(model_->index(std::min(a, b)), model_->index(std::max(a, b)));
}

void TPlaylistBox::Delete(int index) {
    model_->beginRemoveRows(QModelIndex(), index, index);
    model_->items.erase(model_->items.begin() + index);
    model_->endRemoveRows();
    selectionModel()->clear();
}

void TPlaylistBox::Clear() { Replace({}); }

void TPlaylistBox::keyPressEvent(QKeyEvent* event) {
    if (onDeleteKey) onDeleteKey(event->key(), event->modifiers());
    QListView::keyPressEvent(event);
}
