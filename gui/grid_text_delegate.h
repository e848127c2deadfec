// SPDX-License-Identifier: MIT
#pragma once
// Paints the row labels and the output numbers as the style paints an item
// of one line (the selection's colours or the item's own ground, its font,
// a text too long cut off at the cell's edge, the focus frame), with each
// text laid out once and kept. The style lays a text out anew several times
// on every paint, which was a good part of the window's first paint.

#include <QHash>
#include <QStaticText>
#include <QStyledItemDelegate>

class GridTextDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  struct Key {
    QString text;
    bool bold;
    bool operator==(const Key&) const = default;
  };
  friend size_t qHash(const Key& key, size_t seed) { return qHashMulti(seed, key.text, key.bold); }

  const QStaticText& laidOut(const QString& text, const QFont& font) const;

  mutable QHash<Key, QStaticText> texts_;
};
