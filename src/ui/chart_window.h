// The balance chart: two combo boxes choose the number columns for X and Y,
// and the plot shows the table's shown rows as points coloured by side.
// Hovering a point names its row; a click picks it.
#pragma once

#include <QWidget>
#include <optional>

#include "presentation/chart_state.h"

class QComboBox;
class QLabel;

namespace qm::ui {

class ChartPlot;

class ChartWindow : public QWidget {
  Q_OBJECT
 public:
  explicit ChartWindow(presentation::ChartSource source, QWidget* parent = nullptr);
  const presentation::ChartState& state() const { return state_; }
  // The plot, and where its axes' box sits in it (in the plot's pixels).
  QWidget* plot() const;
  presentation::PlotFrame plotFrame() const;

 signals:
  void rowPicked(std::size_t row);  // index into source.rowNames

 private:
  void refresh();

  presentation::ChartState state_;
  QComboBox* xBox_;
  QComboBox* yBox_;
  ChartPlot* plot_;
  QLabel* note_;
  QLabel* hover_;
};

}  // namespace qm::ui
