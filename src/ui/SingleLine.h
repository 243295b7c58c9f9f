#pragma once

#include <QString>

class QLineEdit;

// One-line edits hold one line. Text that reaches one with line breaks in it,
// typed, pasted, dropped or set by the program, loses its line breaks: the
// parts before and after join up with nothing between them.
namespace SingleLine {

// The text without its CR, LF, NEL, line separator and paragraph separator
// characters.
QString withoutLineBreaks(const QString &text);

// Makes edit drop every line break that reaches it, whichever way it comes.
void hold(QLineEdit *edit);

} // namespace SingleLine
