#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QIODevice;

// What quillet-cli writes: display text in the terminal's encoding, or raw bytes.
namespace CliOutput {

void printOut(const QString& text);
void printErr(const QString& text);
// Return false when the bytes could not all be written and flushed. Text is given in UTF-8.
bool writeOutText(QByteArrayView utf8);
bool writeOutBytes(QByteArrayView bytes);
// Standard output as a device for `writeContent`, which writes as it goes; false when it or a write fails.
bool writeOut(const std::function<bool(QIODevice&)>& writeContent);

} // namespace CliOutput
