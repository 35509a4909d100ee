// Decoding of the core's 8-bit text for display.
#include "shell/eight_bit_text.h"

#include <QStringDecoder>

QString FromEightBit(std::string_view bytes) {
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
  if (!decoder.hasError()) return text;
  return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}
