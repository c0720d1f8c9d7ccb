// ListBox2: the playlist's list box. Items are byte strings kept exactly as they came;
// the view shows a readable decoding. Single selection; ItemIndex is -1 for none.
#pragma once

#include "ListFile.h"

#include <QAbstractListModel>
#include <QByteArray>
#include <QByteArrayView>
#include <QListView>

#include <functional>
#include <vector>

// The items' bytes lie back to back in one buffer (a loaded list file keeps the text it was
// read in), each item a place in it: a million items cost two allocations, not a million.
class PlaylistModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // Valid until the next change of the list.
    QByteArrayView view(int row) const {
        const ItemSpan& span = spans.at(static_cast<std::size_t>(row));
        return QByteArrayView(store.constData() + span.offset, span.size);
    }

private:
    friend class TPlaylistBox;  // the box changes the items and tells the view

    QByteArray store;              // never shared, so that appending never copies it
    std::vector<ItemSpan> spans;   // in list order; deleted items leave their bytes behind
};

class TPlaylistBox : public QListView {
    Q_OBJECT
public:
    explicit TPlaylistBox(QWidget* parent = nullptr);

    int Count() const { return static_cast<int>(model_->spans.size()); }
    QByteArray Item(int index) const { return model_->view(index).toByteArray(); }
    QByteArrayView ItemView(int index) const { return model_->view(index); }  // valid until a change
    std::vector<QByteArray> Items() const;
    std::vector<QByteArrayView> ItemViews() const;  // valid until a change
    int ItemIndex() const;
    void SetItemIndex(int index);  // -1 selects nothing

    // Raises "行を挿入できません" when there is no memory left for the item.
    void Append(const QByteArray& item);
    // Appends in order; when one cannot be inserted, those before it stay and the rest do not.
    void AppendItems(const std::vector<QByteArray>& items);
    // The whole list, drawn once, no selection.
    void Replace(const std::vector<QByteArray>& items);
    void ReplaceWithFile(ListFileContents file);  // the same, keeping the items in the text they were read in
    void Exchange(int a, int b);
    void Delete(int index);
    void Clear();

    // Called for every key pressed while the list has the focus (the list's key-down event).
    std::function<void(int key, Qt::KeyboardModifiers shift)> onDeleteKey;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    PlaylistModel* model_;
};
