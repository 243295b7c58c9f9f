#pragma once

#include <QString>

#include <string>

class QPlainTextEdit;

// The program's texts are 8-bit strings in the locale's code page; widgets hold
// QStrings. These are the only places where one becomes the other.
namespace WidgetText {

QString toWidget(const std::string &text);
std::string fromWidget(const QString &text);

// A text for a widget with "\n" between its lines, where the program's text
// separates them by CR LF, a lone CR or a lone LF.
QString toWidgetLines(const std::string &text);

// A multi-line edit's text with its lines joined by CR LF, as the program
// stores and pastes it.
std::string memoText(const QPlainTextEdit *edit);

// Shows a text whose lines are separated by CR LF (or a lone CR or LF).
void setMemoText(QPlainTextEdit *edit, const std::string &text);

} // namespace WidgetText
