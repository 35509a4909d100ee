// TPlotWindow: one plot of the last run in its own window, beside the main
// window, the report and any other plot: scores, vector coefficients, scree,
// biplot or influence. Its menus choose the components, the labels, the
// groups' regions, the jackknife's uncertainty marks and the reference
// lines; the canvas lets the user zoom, pan, hover and select; Save As, Copy
// and Print give the figure at a chosen size and resolution. A new run
// redraws it with the choices kept.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QPrinter>
#include <functional>
#include <memory>

#include "drawing/plot_builders.h"
#include "drawing/plot_run.h"

class QAction;
class QActionGroup;
class QDoubleSpinBox;
class QLineEdit;
class QMenu;
class QProgressDialog;
class QSpinBox;

namespace talvex::desktop {

class TPlotCanvas;
class TPlotInteraction;
class TParallelAnalysisJob;
class TReportInteraction;
class TSettingsFile;

class TPlotWindow : public QMainWindow {
  Q_OBJECT

 public:
  /// `interaction` (printer dialogs and message boxes), `figureInteraction`
  /// (file and size dialogs) and `settings` must outlive the window.
  TPlotWindow(drawing::TPlotKind kind, TSettingsFile& settings, TReportInteraction& interaction,
              TPlotInteraction& figureInteraction, QWidget* parent = nullptr);
  ~TPlotWindow() override;

  drawing::TPlotKind Kind() const noexcept { return kind_; }
  /// Draws the plot of `run`: the first time as the plot starts, later
  /// (a new run) with the window's choices kept and the components limited
  /// to those the run offers.
  void ShowRun(std::shared_ptr<drawing::TPlotRun> run);
  const drawing::TPlotRun* ShownRun() const noexcept { return run_.get(); }
  /// Writes the window's place and choices into the settings.
  void SaveSettings();

  /// The parallel analysis under way, if any (for the tests).
  TParallelAnalysisJob* ParallelAnalysisJob() const noexcept { return job_; }

  /// The window's parts, for the program's tests.
  TPlotCanvas& Canvas() const noexcept { return *canvas_; }
  QWidget& AxesPanel() const noexcept { return *axesPanel_; }
  QWidget& TitlesPanel() const noexcept { return *titlesPanel_; }
  QSpinBox& SpinX() const noexcept { return *spinX_; }
  QSpinBox& SpinY() const noexcept { return *spinY_; }
  QLineEdit& TitleEdit() const noexcept { return *titleEdit_; }
  QLineEdit& XTitleEdit() const noexcept { return *xTitleEdit_; }
  QLineEdit& YTitleEdit() const noexcept { return *yTitleEdit_; }
  QDoubleSpinBox& FontSizeBox() const noexcept { return *fontSize_; }
  QMenu& OptionsMenu() const noexcept { return *optionsMenu_; }
  QAction& SaveAsItem() const noexcept { return *saveAsItem_; }
  QAction& PrintItem() const noexcept { return *printItem_; }
  QAction& CopyItem() const noexcept { return *copyItem_; }
  QAction& ReturnItem() const noexcept { return *returnItem_; }
  QAction& LabelPointsItem() const noexcept { return *labelPointsItem_; }
  QAction& LabelNamesItem() const noexcept { return *labelNamesItem_; }
  QAction& NoRegionItem() const noexcept { return *noRegionItem_; }
  QAction& ConcentrationItem() const noexcept { return *concentrationItem_; }
  QAction& MeanEllipseItem() const noexcept { return *meanEllipseItem_; }
  QAction& HullsItem() const noexcept { return *hullsItem_; }
  QAction& ErrorBarsItem() const noexcept { return *errorBarsItem_; }
  QAction& ReferenceLinesItem() const noexcept { return *referenceLinesItem_; }
  QAction& PercentBarsItem() const noexcept { return *percentBarsItem_; }
  QAction& CorrelationCircleItem() const noexcept { return *correlationCircleItem_; }
  /// Options > Supplementary Objects: how their jackknife uncertainty is drawn.
  QMenu* SupplementaryMenu() const noexcept { return supplementaryMenu_; }
  QAction& SupplementaryBarsItem() const noexcept { return *supplementaryBarsItem_; }
  QAction& SupplementaryEllipsesItem() const noexcept { return *supplementaryEllipsesItem_; }
  QAction& SupplementaryNoMarksItem() const noexcept { return *supplementaryNoMarksItem_; }
  QAction& AllEigenvaluesItem() const noexcept { return *allEigenvaluesItem_; }
  QAction& ParallelAnalysisItem() const noexcept { return *parallelAnalysisItem_; }
  QAction& ResetViewItem() const noexcept { return *resetViewItem_; }
  QAction& TitlesItem() const noexcept { return *titlesItem_; }
  drawing::TPlotChoices Choices() const;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateActions();
  void CreateMenus();
  void CreateLayout();
  void ReadSettings();
  void UpdateItems();
  /// Rebuilds the scene from the run and the choices; `keepView` keeps
  /// the zoom and pan (only marks changed).
  void Redraw(bool keepView);
  /// A spinner moved: the other one gives way so that X and Y never show
  /// the same component.
  void AxisChanged(bool horizontal);
  void TitlesEdited();
  /// The user's titles are forgotten: the fields show the plot's own again.
  void ResetTitles();

  void SaveAsItemClick();
  void PrintItemClick();
  void PrinterSetupItemClick();
  void CopyItemClick();
  void ParallelAnalysisItemClick();
  void ParallelAnalysisEnded();
  /// Runs a command; any failure that escapes it goes to the error box.
  void Guarded(const std::function<void()>& command);

  const drawing::TPlotKind kind_;
  TSettingsFile& settings_;
  TReportInteraction& interaction_;
  TPlotInteraction& figureInteraction_;
  std::shared_ptr<drawing::TPlotRun> run_;
  QPrinter printer_;
  TParallelAnalysisJob* job_ = nullptr;        // made on first use
  std::shared_ptr<drawing::TPlotRun> jobRun_;  // the run the job works for
  QPointer<QProgressDialog> progress_;
  int lastX_ = 1;
  int lastY_ = 2;

  TPlotCanvas* canvas_ = nullptr;
  QWidget* axesPanel_ = nullptr;
  QWidget* titlesPanel_ = nullptr;
  QSpinBox* spinX_ = nullptr;
  QSpinBox* spinY_ = nullptr;
  QLineEdit* titleEdit_ = nullptr;
  QLineEdit* xTitleEdit_ = nullptr;
  QLineEdit* yTitleEdit_ = nullptr;
  QDoubleSpinBox* fontSize_ = nullptr;
  QMenu* optionsMenu_ = nullptr;
  QMenu* regionMenu_ = nullptr;
  QActionGroup* regionGroup_ = nullptr;
  QMenu* supplementaryMenu_ = nullptr;
  QActionGroup* supplementaryGroup_ = nullptr;
  QAction* saveAsItem_ = nullptr;
  QAction* printItem_ = nullptr;
  QAction* printerSetupItem_ = nullptr;
  QAction* returnItem_ = nullptr;
  QAction* copyItem_ = nullptr;
  QAction* labelPointsItem_ = nullptr;
  QAction* labelNamesItem_ = nullptr;
  QAction* noRegionItem_ = nullptr;
  QAction* concentrationItem_ = nullptr;
  QAction* meanEllipseItem_ = nullptr;
  QAction* hullsItem_ = nullptr;
  QAction* errorBarsItem_ = nullptr;
  QAction* referenceLinesItem_ = nullptr;
  QAction* percentBarsItem_ = nullptr;
  QAction* correlationCircleItem_ = nullptr;
  QAction* supplementaryBarsItem_ = nullptr;
  QAction* supplementaryEllipsesItem_ = nullptr;
  QAction* supplementaryNoMarksItem_ = nullptr;
  QAction* allEigenvaluesItem_ = nullptr;
  QAction* parallelAnalysisItem_ = nullptr;
  QAction* resetViewItem_ = nullptr;
  QAction* zoomInItem_ = nullptr;
  QAction* zoomOutItem_ = nullptr;
  QAction* titlesItem_ = nullptr;
};

}  // namespace talvex::desktop
