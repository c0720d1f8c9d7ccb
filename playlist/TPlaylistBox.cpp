#include "TPlaylistBox.h"

#include "Dialogs.h"
#include "Exception.h"

#include <QKeyEvent>

#include <algorithm>
#include <new>

int PlaylistModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(spans.size());
}

QVariant PlaylistModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) return {};
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const QByteArrayView bytes = view(index.row());
    return DisplayText(std::string(bytes.data(), static_cast<std::size_t>(bytes.size())));
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

std::vector<QByteArray> TPlaylistBox::Items() const {
    std::vector<QByteArray> items;
    items.reserve(model_->spans.size());
    for (int i = 0; i < Count(); ++i) items.push_back(Item(i));
    return items;
}

std::vector<QByteArrayView> TPlaylistBox::ItemViews() const {
    std::vector<QByteArrayView> views;
    views.reserve(model_->spans.size());
    for (int i = 0; i < Count(); ++i) views.push_back(ItemView(i));
    return views;
}

void TPlaylistBox::Append(const QByteArray& item) {
    auto& store = model_->store;
    auto& spans = model_->spans;
    // Room first, so that a failure leaves the list and the view as they were. Both grow by
    // doubling: a long run of appends copies each byte a few times at most.
    try {
        if (spans.size() == spans.capacity()) spans.reserve(std::max<std::size_t>(16, spans.size() * 2));
        const qsizetype needed = store.size() + item.size();
        if (needed > store.capacity()) store.reserve(std::max(needed, store.size() * 2));
    } catch (const std::bad_alloc&) {
        throw Exception("行を挿入できません");
    }
    const int row = Count();
    model_->beginInsertRows(QModelIndex(), row, row);
    spans.push_back({store.size(), item.size()});
    store.append(item);
    model_->endInsertRows();
}

void TPlaylistBox::AppendItems(const std::vector<QByteArray>& items) {
    for (const QByteArray& item : items) Append(item);
}

void TPlaylistBox::Replace(const std::vector<QByteArray>& items) {
    ListFileContents contents;
    qsizetype size = 0;
    for (const QByteArray& item : items) size += item.size();
    contents.text.reserve(size);
    contents.lines.reserve(items.size());
    for (const QByteArray& item : items) {
        contents.lines.push_back({contents.text.size(), item.size()});
        contents.text.append(item);
    }
    ReplaceWithFile(std::move(contents));
}

void TPlaylistBox::ReplaceWithFile(ListFileContents file) {
    model_->beginResetModel();
    model_->store = std::move(file.text);
    model_->spans = std::move(file.lines);
    model_->endResetModel();
    selectionModel()->clear();
}

void TPlaylistBox::Exchange(int a, int b) {
    std::swap(model_->spans.at(static_cast<std::size_t>(a)), model_->spans.at(static_cast<std::size_t>(b)));
    emit model_->dataChanged(model_->index(std::min(a, b)), model_->index(std::max(a, b)));
}

void TPlaylistBox::Delete(int index) {
    model_->beginRemoveRows(QModelIndex(), index, index);
    model_->spans.erase(model_->spans.begin() + index);
    model_->endRemoveRows();
    selectionModel()->clear();
}

void TPlaylistBox::Clear() { ReplaceWithFile({}); }

void TPlaylistBox::keyPressEvent(QKeyEvent* event) {
    if (onDeleteKey) onDeleteKey(event->key(), event->modifiers());
    QListView::keyPressEvent(event);
}
