#pragma once

#include <QDialog>
#include <QTimer>
#include <cstdint>

class QTableWidget;

namespace linkwright {

class ResponseStatistics;

// Tools › Statistics: per row the times sent, the AutoReply hits, the answers received and the
// median, p90 and maximum response time in ms, with a last line for all rows. It follows the
// statistics while it is open (twice a second, only when they changed); Reset clears them. The
// statistics must outlive the dialog.
class StatisticsDialog : public QDialog {
  Q_OBJECT

 public:
  StatisticsDialog(ResponseStatistics& statistics, QWidget* parent = nullptr);

  QTableWidget* Table() const { return m_Table; }
  // Shows the figures as they are now.
  void Refresh();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void RefreshWhenChanged();

  ResponseStatistics& m_Statistics;
  QTableWidget* m_Table;
  QTimer m_Follow;
  uint64_t m_ShownGeneration = 0;
};

// Tools › Statistics: shows the window's one statistics dialog, made on first use, and brings
// it to the front.
void ShowStatisticsDialog(ResponseStatistics& statistics, QWidget* window);

}  // namespace linkwright
