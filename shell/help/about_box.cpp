// The about box.
#include "shell/help/about_box.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "shell/common/user_interaction.h"

#ifndef TALVEX_VERSION
#define TALVEX_VERSION "1.0.0"
#endif

TAboutBox::TAboutBox(TUserInteraction& interaction, QWidget* parent)
    : QDialog(parent), interaction_(interaction) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(tr("About TALVEX for Windows"));
  setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

  auto* icon = new QLabel;
  icon->setPixmap(QIcon(QStringLiteral(":/talvex/talvex.svg")).pixmap(64, 64));
  icon->setAlignment(Qt::AlignTop);

  auto* product = new QLabel(QStringLiteral("Quorvane"));
  QFont big = product->font();
  big.setPointSizeF(big.pointSizeF() * 1.5);
  big.setBold(true);
  product->setFont(big);
  product->setObjectName(QStringLiteral("ProductName"));
  auto* version = new QLabel(tr("Version %1").arg(QStringLiteral(TALVEX_VERSION)));
  version->setObjectName(QStringLiteral("Version"));
  auto* maker1 = new QLabel(tr("Principal components analysis with jackknife estimates"));
  auto* maker2 = new QLabel(tr("Written by the TALVEX team"));

  mailLink_ = new QLabel(QStringLiteral("<a href=\"mailto:%1\">%1</a>").arg(MailAddress));
  mailLink_->setObjectName(QStringLiteral("MailLink"));
  mailLink_->setTextFormat(Qt::RichText);
  mailLink_->setCursor(Qt::PointingHandCursor);
  mailLink_->setToolTip(tr("Send mail to ") + MailAddress);
  connect(mailLink_, &QLabel::linkActivated, this,
          [this](const QString& link) { interaction_.OpenUrl(QUrl(link)); });

  okButton_ = new QPushButton(tr("O&K"));
  okButton_->setDefault(true);
  connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);

  auto* text = new QVBoxLayout;
  for (QWidget* w : {static_cast<QWidget*>(product), static_cast<QWidget*>(version),
                     static_cast<QWidget*>(maker1), static_cast<QWidget*>(maker2),
                     static_cast<QWidget*>(mailLink_)}) {
    text->addWidget(w);
  }
  auto* top = new QHBoxLayout;
  top->addWidget(icon);
  top->addSpacing(12);
  top->addLayout(text);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(okButton_);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addSpacing(8);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}
