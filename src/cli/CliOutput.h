#pragma once

#include <QByteArray>
#include <QString>

// What quillet-cli writes: display text in the terminal's encoding (UTF-8), or raw bytes.
namespace CliOutput {

void printOut(const QString& text);
void printErr(const QString& text);
// Returns false when the bytes could not all be written and flushed.
bool writeOutBytes(const QByteArray& bytes);

} // namespace CliOutput
