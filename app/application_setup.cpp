// SPDX-License-Identifier: MIT
#include "app/application_setup.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QTranslator>

#include "app/application_icon.h"
#include "app/window_font.h"

namespace {

// Fusion with the scroll bar width the window's layout was drawn for: the
// matrix grid is 600 px of cells plus a 17 px scroll bar inside its frame.
class WindowStyle : public QProxyStyle {
 public:
  WindowStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

  int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
    if (metric == PM_ScrollBarExtent) return 17;
    return QProxyStyle::pixelMetric(metric, option, widget);
  }
};

}  // namespace

void setup_application(QApplication& app) {
  // The title under which the desktop lists the program. It is not set as the
  // display name: Qt would append that to the window caption.
  QApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));
  set_desktop_file_name();  // the icon follows the main window's first paint

  QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                             {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
  QFont::insertSubstitutions(QStringLiteral("Courier New"),
                             {QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono")});
  QApplication::setStyle(new WindowStyle);
  QFont font;
  font.setFamilies(window_font_families());
  font.setPixelSize(11);  // 8 points at the 96 dpi the layout was drawn for
  QApplication::setFont(font);

  QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
  auto* translator = new QTranslator(&app);
  if (translator->load(QStringLiteral("qtbase_pl"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(translator);
  } else {
    delete translator;
  }
}
