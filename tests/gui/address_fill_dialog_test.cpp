// SPDX-License-Identifier: MIT
// The "Wypełnij adresy" dialog on its own, driven by keys as a user would:
// its fields in their tab order, OK by Return, Anuluj by Escape, and the
// refusal of a range that ends before it starts.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTest>
#include <memory>

#include "gui/address_fill_dialog.h"

namespace {

std::unique_ptr<AddressFillDialog> shown_dialog() {
  auto dialog = std::make_unique<AddressFillDialog>();
  dialog->show();
  dialog->activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
  return dialog;
}

// Each key goes where the focus is, as the keyboard's would.
void press(const std::vector<Qt::Key>& keys) {
  for (const Qt::Key key : keys) QTest::keyClick(QApplication::focusWidget(), key);
}

TEST(AddressFillDialog, TextsDefaultsAndTabOrder) {
  const auto dialog = shown_dialog();
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Wypełnij adresy"));
  EXPECT_TRUE(dialog->isModal());
  EXPECT_EQ(dialog->fill(), AddressFill{});  // 0-99 from lamp 1 on, every mode "bez zmian"
  const QStringList modes = {"bez zmian", "wyłączone", "wolne miganie", "szybkie miganie", "ciągłe świecenie"};
  const char* order[] = {"FirstAddressEdit", "LastAddressEdit", "FirstLampEdit", "ConsecutiveLampsBox",
                         "Alarm1ModeBox",    "Alarm2ModeBox",   "FaultModeBox",  "OthersOffBox"};
  for (const char* name : order) {
    EXPECT_EQ(QApplication::focusWidget()->objectName(), QLatin1String(name));
    if (auto* box = qobject_cast<QComboBox*>(QApplication::focusWidget())) {
      QStringList items;
      for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
      EXPECT_EQ(items, modes) << name;
    }
    press({Qt::Key_Tab});
  }
  EXPECT_EQ(dialog->findChild<QCheckBox*>("ConsecutiveLampsBox")->text(), QStringLiteral("Kolejne lampy"));
  EXPECT_EQ(dialog->findChild<QCheckBox*>("OthersOffBox")->text(),
            QStringLiteral("Wyłącz pozostałe lampy tych wierszy"));
}

TEST(AddressFillDialog, KeysFillTheFieldsReturnIsOkAndEscapeAnuluj) {
  using enum Qt::Key;
  struct Case {
    const char* name;
    std::vector<Qt::Key> keys;
    QDialog::DialogCode result;
    AddressFill fill;
  };
  const Case cases[] = {
      // Addresses 0-24, each with its own lamp: Alarm I slow, Alarm II steady, fault fast.
      {"the typical board in 15 keys",
       {Key_Tab, Key_2, Key_4, Key_Tab, Key_Tab, Key_Tab, Key_Down, Key_Down, Key_Tab, Key_End, Key_Tab, Key_Down,
        Key_Down, Key_Down, Key_Return},
       QDialog::Accepted,
       {0, 24, 1, true, {LED_SLOW_BLINK, LED_STEADY, LED_FAST_BLINK}, false}},
      {"every field",
       {Key_1, Key_0, Key_Tab, Key_2, Key_0, Key_Tab, Key_3, Key_Tab, Key_Space, Key_Tab, Key_Down, Key_Tab, Key_Tab,
        Key_End, Key_Tab, Key_Space, Key_Return},
       QDialog::Accepted,
       {10, 20, 3, false, {LED_OFF, {}, LED_STEADY}, true}},
      {"Escape", {Key_Tab, Key_5, Key_Escape}, QDialog::Rejected, {0, 5, 1, true, {}, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto dialog = shown_dialog();
    press(c.keys);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), c.result);
    EXPECT_EQ(dialog->fill(), c.fill);
  }
}

TEST(AddressFillDialog, ARangeEndingBeforeItStartsIsRefusedWithAMessage) {
  const auto dialog = shown_dialog();
  press({Qt::Key_5, Qt::Key_0, Qt::Key_Tab, Qt::Key_4, Qt::Key_0, Qt::Key_Return});
  EXPECT_TRUE(dialog->isVisible());
  auto* message = dialog->findChild<QLabel*>(QStringLiteral("MessageLabel"));
  ASSERT_NE(message, nullptr);
  EXPECT_TRUE(message->isVisible());
  EXPECT_EQ(message->text(), QStringLiteral("„Do adresu” nie może być mniejsze niż „Od adresu”."));
  EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("LastAddressEdit"));
  dialog->reject();
}

}  // namespace
