// Text of the files the program writes and the engine's files it reads: the
// Windows-1252 code page with CR LF line ends, whatever the platform.
#pragma once

#include <QByteArray>
#include <QString>

namespace quillon {

// Windows-1252 bytes of a text; characters the code page lacks become '?'.
QByteArray ToCp1252(const QString& text);
// A text from Windows-1252 bytes.
QString FromCp1252(const QByteArray& bytes);

// The whole content of a file; false when it cannot be read.
bool ReadWholeFile(const QString& path, QByteArray& bytes);

} // namespace quillon
