// The Options menu's check marks and their persistence.
#include "shell/main_window/option_marks.h"

#include <QFont>

#include "shell/settings/settings_file.h"

namespace {
const QString OptionsSection = QStringLiteral("Options");
}

const std::array<TOptionMarks::TKey, 9> TOptionMarks::Keys = {{
    {&TOptionMarks::MethodCorrelationItem, "Correlation", true},
    {&TOptionMarks::MethodCovarianceItem, "Covariance", false},
    {&TOptionMarks::TransformRawItem, "TransformRaw", true},
    {&TOptionMarks::TransformDecimalItem, "TransformDecimal", false},
    {&TOptionMarks::TransformNaturalItem, "TransformNatural", false},
    {&TOptionMarks::OptionsJackknifeItem, "Jackkniffe", true},
    {&TOptionMarks::FactorsAllItem, "FactorsAll", true},
    {&TOptionMarks::FactorsKaiserItem, "FactorsKaiser", false},
    {&TOptionMarks::FactorsJoliffeItem, "FactorsJoliffe", false},
}};

QAction* TOptionMarks::MakeItem(QObject* parent, const QString& text, const char* name) {
  auto* item = new QAction(text, parent);
  item->setObjectName(QString::fromLatin1(name));
  item->setCheckable(true);
  return item;
}

TOptionMarks::TOptionMarks(QObject* parent)
    : MethodCorrelationItem(
          MakeItem(parent, QObject::tr("Co&rrelation Matrix"), "MethodCorrelationItem")),
      MethodCovarianceItem(
          MakeItem(parent, QObject::tr("Co&variance Matrix"), "MethodCovarianceItem")),
      // N belongs to Natural Logarithms.
      TransformRawItem(MakeItem(parent, QObject::tr("N&o Transformation"), "TransformRawItem")),
      TransformDecimalItem(
          MakeItem(parent, QObject::tr("&Decimal Logarithms"), "TransformDecimalItem")),
      TransformNaturalItem(
          MakeItem(parent, QObject::tr("&Natural Logarithms"), "TransformNaturalItem")),
      OptionsJackknifeItem(
          MakeItem(parent, QObject::tr("&Jackkniffe Estimates"), "OptionsJackknifeItem")),
      FactorsAllItem(MakeItem(parent, QObject::tr("&All"), "FactorsAllItem")),
      FactorsKaiserItem(MakeItem(parent, QObject::tr("&Kaiser's Rule"), "FactorsKaiserItem")),
      FactorsJoliffeItem(MakeItem(parent, QObject::tr("&Joliffe's Rule"), "FactorsJoliffeItem")) {
  for (const TKey& k : Keys) (this->*k.item)->setChecked(k.defaultMark);

  // The default items of their submenus are shown in bold.
  for (QAction* item : {FactorsAllItem, TransformRawItem}) {
    QFont font = item->font();
    font.setBold(true);
    item->setFont(font);
  }

  QObject::connect(MethodCorrelationItem, &QAction::triggered, MethodCorrelationItem,
                   [this] { MethodClick(MethodCorrelationItem, MethodCovarianceItem); });
  QObject::connect(MethodCovarianceItem, &QAction::triggered, MethodCovarianceItem,
                   [this] { MethodClick(MethodCovarianceItem, MethodCorrelationItem); });
  const std::array<QAction*, 3> transforms = {TransformRawItem, TransformDecimalItem,
                                              TransformNaturalItem};
  const std::array<QAction*, 3> factors = {FactorsAllItem, FactorsKaiserItem, FactorsJoliffeItem};
  for (const auto& group : {transforms, factors}) {
    for (QAction* item : group) {
      QObject::connect(item, &QAction::triggered, item,
                       [this, item, group] { GroupClick(item, group); });
    }
  }
  // Jackkniffe Estimates: Qt's own toggle is the whole rule.
}

void TOptionMarks::MethodClick(QAction* clicked, QAction* other) {
  // The clicked item has already been inverted by the toggle.
  other->setChecked(!clicked->isChecked());
}

void TOptionMarks::GroupClick(QAction* clicked, std::array<QAction*, 3> group) {
  for (QAction* item : group) item->setChecked(item == clicked);
}

void TOptionMarks::ClearFactorRule() {
  for (QAction* item : {FactorsAllItem, FactorsKaiserItem, FactorsJoliffeItem}) {
    item->setChecked(false);
  }
}

void TOptionMarks::ReadSettings(const TSettingsFile& settings) {
  for (const TKey& k : Keys) {
    const int value =
        settings.ReadInteger(OptionsSection, QString::fromLatin1(k.key), k.defaultMark ? 1 : 0);
    (this->*k.item)->setChecked(value != 0);
  }
  if (!MethodCorrelationItem->isChecked() && !MethodCovarianceItem->isChecked()) {
    MethodCorrelationItem->setChecked(true);
  }
  if (!TransformRawItem->isChecked() && !TransformDecimalItem->isChecked() &&
      !TransformNaturalItem->isChecked()) {
    TransformRawItem->setChecked(true);
  }
}

void TOptionMarks::WriteSettings(TSettingsFile& settings) const {
  for (const TKey& k : Keys) {
    settings.WriteInteger(OptionsSection, QString::fromLatin1(k.key),
                          (this->*k.item)->isChecked() ? 1 : 0);
  }
}

talvex::TAnalysisOptions TOptionMarks::Options() const {
  using talvex::DataTransform;
  using talvex::DispersionMethod;
  using talvex::FactorRule;
  talvex::TAnalysisOptions options;
  options.method = MethodCovarianceItem->isChecked() ? DispersionMethod::Covariance
                                                     : DispersionMethod::Correlation;
  if (TransformRawItem->isChecked()) {
    options.transformation = DataTransform::TransformRaw;
  } else if (TransformDecimalItem->isChecked()) {
    options.transformation = DataTransform::TransformDecimal;
  } else if (TransformNaturalItem->isChecked()) {
    options.transformation = DataTransform::TransformNatural;
  } else {
    options.transformation = DataTransform::TransformRaw;
  }
  if (FactorsKaiserItem->isChecked()) {
    options.factorRule = FactorRule::FactorsKaiser;
  } else if (FactorsJoliffeItem->isChecked()) {
    options.factorRule = FactorRule::FactorsJoliffe;
  } else if (FactorsAllItem->isChecked()) {
    options.factorRule = FactorRule::FactorsAll;
  } else {
    options.factorRule = FactorRule::FactorsNumber;
  }
  options.jackknife = OptionsJackknifeItem->isChecked();
  return options;
}
