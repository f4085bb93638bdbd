#pragma once

#include <QString>
#include <QStringView>

#include <vector>

namespace velmora {

// User-perceived characters (extended grapheme clusters) of caption text, and the form in which
// two of them are compared: lower-case and canonically composed, so that an accent typed as a
// separate combining mark equals its precomposed letter.
namespace Graphemes {

// The start of every character in code units, followed by text.size().
std::vector<qint32> segment(QStringView text);
// Appends the comparison form of one character to `out`.
void appendKey(QStringView character, QString& out);
// Letters and numbers of any script (Unicode L* and N*), and the plain space.
bool isWordCharacter(QStringView character);

} // namespace Graphemes

} // namespace velmora
