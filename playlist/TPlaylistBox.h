// ListBox2: the playlist's list box. Items are byte strings kept exactly as they came;
// the view shows a readable decoding. Single selection; ItemIndex is -1 for none.
#pragma once

#include <QAbstractListModel>
#include <QByteArray>
#include <QListView>

#include <functional>
#include <vector>

class PlaylistModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    std::vector<QByteArray> items;

private:
    friend class TPlaylistBox;  // the box changes the items and tells the view
};

class TPlaylistBox : public QListView {
    Q_OBJECT
public:
    explicit TPlaylistBox(QWidget* parent = nullptr);

    int Count() const { return static_cast<int>(model_->items.size()); }
    const QByteArray& Item(int index) const { return model_->items.at(static_cast<std::size_t>(index)); }
    const std::vector<QByteArray>& Items() const { return model_->items; }
    int ItemIndex() const;
    void SetItemIndex(int index);  // -1 selects nothing

    // Raises "行を挿入できません" when there is no memory left for the item.
    void Append(const QByteArray& item);
    // Appends in order; when one cannot be inserted, those before it stay and the rest do not.
    void AppendItems(const std::vector<QByteArray>& items);
    void Replace(std::vector<QByteArray> items);  // the whole list, drawn once, no selection
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
