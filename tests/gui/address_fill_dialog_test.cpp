// The "Wypełnij adresy" dialog on its own, driven by keys as a user would:
// its fields in their tab order, OK by Return, Anuluj by Escape, and the
// refusal of a range that ends before it starts.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSpinBox>
#include <QTest>

#include "gui/address_fill_dialog.h"

namespace {

class AddressFillDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  }
  // Each key goes where the focus is, as the keyboard's would.
  void type(const QString& keys) {
    for (const QChar key : keys) QTest::keyClick(QApplication::focusWidget(), key.toLatin1());
  }
  void press(Qt::Key key, int times = 1) {
    for (int i = 0; i < times; ++i) QTest::keyClick(QApplication::focusWidget(), key);
  }
  QWidget* field(const char* name) { return dialog.findChild<QWidget*>(QLatin1String(name)); }

  AddressFillDialog dialog;
};

TEST_F(AddressFillDialogTest, TheFieldsTakeTheirKeysInTabOrderAndReturnIsOk) {
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Wypełnij adresy"));
  EXPECT_TRUE(dialog.isModal());
  EXPECT_EQ(dialog.fill(), AddressFill{});  // 0-99 from lamp 1 on, every mode "bez zmian"
  const QStringList modes = {"bez zmian", "wyłączone", "wolne miganie", "szybkie miganie", "ciągłe świecenie"};
  for (const char* name : {"Alarm1ModeBox", "Alarm2ModeBox", "FaultModeBox"}) {
    auto* box = qobject_cast<QComboBox*>(field(name));
    ASSERT_NE(box, nullptr) << name;
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    EXPECT_EQ(items, modes) << name;
  }
  EXPECT_EQ(qobject_cast<QCheckBox*>(field("ConsecutiveLampsBox"))->text(), QStringLiteral("Kolejne lampy"));
  EXPECT_EQ(qobject_cast<QCheckBox*>(field("OthersOffBox"))->text(),
            QStringLiteral("Wyłącz pozostałe lampy tych wierszy"));

  const char* order[] = {"FirstAddressEdit", "LastAddressEdit", "FirstLampEdit", "ConsecutiveLampsBox",
                         "Alarm1ModeBox",    "Alarm2ModeBox",   "FaultModeBox",  "OthersOffBox"};
  const auto at = [&](int i) { EXPECT_EQ(QApplication::focusWidget(), field(order[i])) << order[i]; };
  at(0);
  type("10");
  press(Qt::Key_Tab);
  at(1);
  type("20");
  press(Qt::Key_Tab);
  at(2);
  type("3");
  press(Qt::Key_Tab);
  at(3);
  press(Qt::Key_Space);  // one lamp for every address
  press(Qt::Key_Tab);
  at(4);
  press(Qt::Key_Down);  // wyłączone
  press(Qt::Key_Tab);
  at(5);
  press(Qt::Key_Down, 3);  // szybkie miganie
  press(Qt::Key_Tab);
  at(6);
  press(Qt::Key_End);  // ciągłe świecenie
  press(Qt::Key_Tab);
  at(7);
  press(Qt::Key_Space);
  press(Qt::Key_Return);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.fill(), (AddressFill{10, 20, 3, false, {LED_OFF, LED_FAST_BLINK, LED_STEADY}, true}));
}

TEST_F(AddressFillDialogTest, ARangeEndingBeforeItStartsIsRefusedAndEscapeCancels) {
  type("50");
  press(Qt::Key_Tab);
  type("40");
  press(Qt::Key_Return);
  EXPECT_TRUE(dialog.isVisible());
  auto* message = dialog.findChild<QLabel*>(QStringLiteral("MessageLabel"));
  ASSERT_NE(message, nullptr);
  EXPECT_TRUE(message->isVisible());
  EXPECT_EQ(message->text(), QStringLiteral("„Do adresu” nie może być mniejsze niż „Od adresu”."));
  EXPECT_EQ(QApplication::focusWidget(), field("LastAddressEdit"));
  press(Qt::Key_Escape);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

}  // namespace
