// SPDX-License-Identifier: MIT
#include "gui/grid_text_delegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

#include "gui/cell_grid_lines.h"

// The grids keep one font but for the bold marks, so the weight is the key.
const QStaticText& GridTextDelegate::laidOut(const QString& text, const QFont& font) const {
  const Key key{text, font.bold()};
  if (auto found = texts_.constFind(key); found != texts_.constEnd()) return *found;
  QStaticText laid(text);
  laid.setTextFormat(Qt::PlainText);
  laid.prepare(QTransform(), font);
  return *texts_.insert(key, laid);
}

void GridTextDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QStyleOptionViewItem item = option;
  initStyleOption(&item, index);
  item.rect = inside_grid_lines(option.rect);
  const QWidget* widget = item.widget;
  const QStyle* style = widget ? widget->style() : QApplication::style();

  style->drawPrimitive(QStyle::PE_PanelItemViewItem, &item, painter, widget);

  const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, &item, widget) + 1;
  const QRect area = item.rect.adjusted(margin, 0, -margin, 0);
  if (!item.text.isEmpty() && area.width() > 0) {
    QPalette::ColorGroup group = (item.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    if (group == QPalette::Normal && !(item.state & QStyle::State_Active)) group = QPalette::Inactive;
    const QStaticText& text = laidOut(item.text, item.font);
    const QSizeF size = text.size();
    qreal x = area.left();
    if (item.displayAlignment & Qt::AlignHCenter) x += (area.width() - size.width()) / 2;
    if (item.displayAlignment & Qt::AlignRight) x = area.left() + area.width() - size.width();
    painter->save();
    painter->setFont(item.font);
    painter->setPen(item.palette.color(
        group, (item.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text));
    painter->setClipRect(item.rect, Qt::IntersectClip);
    painter->drawStaticText(QPointF(x, area.top() + (area.height() - size.height()) / 2), text);
    painter->restore();
  }

  if (item.state & QStyle::State_HasFocus) {
    QStyleOptionFocusRect focus;
    focus.QStyleOption::operator=(item);
    focus.rect = style->subElementRect(QStyle::SE_ItemViewItemFocusRect, &item, widget);
    focus.state |= QStyle::State_KeyboardFocusChange | QStyle::State_Item;
    focus.backgroundColor =
        item.palette.color((item.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled,
                           (item.state & QStyle::State_Selected) ? QPalette::Highlight : QPalette::Window);
    style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
  }
  paint_cell_grid_lines(*painter, option);
}
