#pragma once
// The "Test po kolei" tab: which rows to walk ("Od", "Do"), how long each
// event stays ("Czas na zdarzenie"), and the buttons that drive the walk.
// It only asks: whoever runs the walk listens to its requests and tells it
// whether a walk runs and is paused. While a walk runs and the tab is shown,
// Space, Left, Right and Escape anywhere in its window stand for
// "Pauza"/"Wznów", "Wstecz", "Dalej" and "Stop".

#include <QWidget>
#include <chrono>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;

class WalkTab : public QWidget {
  Q_OBJECT

 public:
  explicit WalkTab(QWidget* parent = nullptr);

  // "Od": the selected row, or 5 when it is below 5; "Do": the last row.
  void setDefaultRange(int selected_row);
  // Rows 0-304; "Czas na zdarzenie" within 0.5-60 s.
  void setRange(int first_row, int last_row);
  void setDwellSeconds(double seconds);
  double dwellSeconds() const;
  int firstRow() const;
  int lastRow() const;
  std::chrono::milliseconds dwell() const;

  void setRunning(bool running);
  void setPaused(bool paused);
  void setStatus(const QString& text);

 signals:
  void startRequested();
  void pauseToggled();
  void backRequested();
  void nextRequested();
  void stopRequested();

 private:
  QPushButton* addButton(const char* name, const QString& text);

  QComboBox* first_;
  QComboBox* last_;
  QDoubleSpinBox* dwell_;
  QPushButton* start_;
  QPushButton* pause_;
  QPushButton* back_;
  QPushButton* next_;
  QPushButton* stop_;
  QLabel* status_;
  bool running_ = false;
};
