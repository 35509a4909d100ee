// TPlotExportDialog: the size of a figure to save or copy: width, height,
// unit and resolution, with the pixel size they give shown as the user types.
#pragma once

#include <QDialog>

#include "drawing/figure_size.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace talvex::desktop {

class TPlotExportDialog : public QDialog {
  Q_OBJECT

 public:
  /// Opens on `size`. OK is enabled only for a size FigureSizeProblem
  /// accepts; the pixel line then says why not.
  explicit TPlotExportDialog(const drawing::TFigureSize& size, QWidget* parent = nullptr);

  /// The size as chosen, in the chosen unit; not rounded to the boxes'
  /// decimals, so switching units back and forth keeps the numbers.
  const drawing::TFigureSize& Size() const noexcept { return size_; }

 private:
  void CreateLayout();
  /// Shows size_ in the boxes, with the decimals and steps of its unit.
  void ShowSize();
  void ShowPixels();
  void UnitChanged(int index);

  drawing::TFigureSize size_;
  QDoubleSpinBox* widthBox_ = nullptr;
  QDoubleSpinBox* heightBox_ = nullptr;
  QComboBox* unitBox_ = nullptr;
  QSpinBox* dpiBox_ = nullptr;
  QLabel* pixelsLabel_ = nullptr;
  QPushButton* okButton_ = nullptr;
};

}  // namespace talvex::desktop
