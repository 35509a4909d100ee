// The figure-size dialog.
#include "shell/plots/plot_export_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>
#include <iterator>

namespace talvex::desktop {

namespace {

// The boxes accept more than a figure may have, so that a typed value stays
// as typed and the pixel line says what is wrong with it.
constexpr double MaxBoxValue = 100000.0;

struct TUnitBoxSetting {
  drawing::TLengthUnit unit;
  const char* name;
  int decimals;
  double step;
};
constexpr TUnitBoxSetting UnitBoxSettings[] = {
    {drawing::TLengthUnit::Centimetres, QT_TRANSLATE_NOOP("TPlotExportDialog", "centimetres"), 2,
     0.5},
    {drawing::TLengthUnit::Inches, QT_TRANSLATE_NOOP("TPlotExportDialog", "inches"), 3, 0.25},
    {drawing::TLengthUnit::Pixels, QT_TRANSLATE_NOOP("TPlotExportDialog", "pixels"), 0, 10},
};

const TUnitBoxSetting& UnitBoxSettingOf(drawing::TLengthUnit unit) {
  for (const TUnitBoxSetting& setting : UnitBoxSettings) {
    if (setting.unit == unit) return setting;
  }
  return UnitBoxSettings[0];
}

QDoubleSpinBox* NewLengthBox(QWidget* parent, const QString& name) {
  auto* box = new QDoubleSpinBox(parent);
  box->setObjectName(name);
  box->setRange(0, MaxBoxValue);
  box->setAccelerated(true);
  return box;
}

}  // namespace

TPlotExportDialog::TPlotExportDialog(const drawing::TFigureSize& size, QWidget* parent)
    : QDialog(parent), size_(size) {
  setObjectName(QStringLiteral("FigureExportDialog"));
  setWindowTitle(tr("Figure Size"));
  CreateLayout();
  ShowSize();
}

void TPlotExportDialog::CreateLayout() {
  widthBox_ = NewLengthBox(this, QStringLiteral("WidthBox"));
  heightBox_ = NewLengthBox(this, QStringLiteral("HeightBox"));
  unitBox_ = new QComboBox(this);
  unitBox_->setObjectName(QStringLiteral("UnitBox"));
  for (const TUnitBoxSetting& setting : UnitBoxSettings) unitBox_->addItem(tr(setting.name));
  dpiBox_ = new QSpinBox(this);
  dpiBox_->setObjectName(QStringLiteral("DpiBox"));
  dpiBox_->setRange(drawing::MinFigureDpi, drawing::MaxFigureDpi);
  dpiBox_->setSuffix(tr(" dpi"));
  dpiBox_->setSingleStep(50);
  pixelsLabel_ = new QLabel(this);
  pixelsLabel_->setObjectName(QStringLiteral("PixelsLabel"));
  pixelsLabel_->setWordWrap(true);

  auto* form = new QFormLayout;
  form->addRow(tr("&Width:"), widthBox_);
  form->addRow(tr("&Height:"), heightBox_);
  form->addRow(tr("&Unit:"), unitBox_);
  form->addRow(tr("&Resolution:"), dpiBox_);
  form->addRow(tr("Image:"), pixelsLabel_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  okButton_ = buttons->button(QDialogButtonBox::Ok);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(widthBox_, &QDoubleSpinBox::valueChanged, this, [this](double value) {
    size_.width = value;
    ShowPixels();
  });
  connect(heightBox_, &QDoubleSpinBox::valueChanged, this, [this](double value) {
    size_.height = value;
    ShowPixels();
  });
  connect(dpiBox_, &QSpinBox::valueChanged, this, [this](int dpi) {
    size_.dpi = dpi;
    ShowPixels();
  });
  connect(unitBox_, &QComboBox::currentIndexChanged, this, &TPlotExportDialog::UnitChanged);
}

void TPlotExportDialog::ShowSize() {
  const TUnitBoxSetting& setting = UnitBoxSettingOf(size_.unit);
  {
    const QSignalBlocker blockWidth(widthBox_);
    const QSignalBlocker blockHeight(heightBox_);
    const QSignalBlocker blockUnit(unitBox_);
    const QSignalBlocker blockDpi(dpiBox_);
    for (QDoubleSpinBox* box : {widthBox_, heightBox_}) {
      box->setDecimals(setting.decimals);
      box->setSingleStep(setting.step);
    }
    widthBox_->setValue(size_.width);
    heightBox_->setValue(size_.height);
    unitBox_->setCurrentIndex(int(&setting - UnitBoxSettings));
    dpiBox_->setValue(size_.dpi);
  }
  ShowPixels();
}

void TPlotExportDialog::ShowPixels() {
  const QString problem = FigureSizeProblem(size_);
  okButton_->setEnabled(problem.isEmpty());
  if (!problem.isEmpty()) {
    pixelsLabel_->setText(problem + '.');
    return;
  }
  const QSize pixels = FigurePixelSize(size_);
  const drawing::TFigureSize centimetres = FigureSizeIn(size_, drawing::TLengthUnit::Centimetres);
  pixelsLabel_->setText(tr("%1 x %2 pixels (%3 x %4 cm)")
                            .arg(pixels.width())
                            .arg(pixels.height())
                            .arg(centimetres.width, 0, 'f', 1)
                            .arg(centimetres.height, 0, 'f', 1));
}

void TPlotExportDialog::UnitChanged(int index) {
  if (index < 0 || index >= int(std::size(UnitBoxSettings))) return;
  size_ = FigureSizeIn(size_, UnitBoxSettings[index].unit);
  ShowSize();
}

}  // namespace talvex::desktop
