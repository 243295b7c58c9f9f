#include "SingleLine.h"

#include <QLineEdit>
#include <QValidator>

namespace SingleLine {
namespace {

bool isLineBreak(QChar c)
{
    return c == u'\r' || c == u'\n' || c == QChar(0x85) || c == QChar::LineSeparator ||
           c == QChar::ParagraphSeparator;
}

// A line edit takes the text its validator hands back in place of what was put
// in, whether by typing, pasting, dropping or setText, and emits one change.
class LineBreakFilter : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString &input, int &pos) const override
    {
        int before = 0;
        for (int i = 0; i < pos && i < input.size(); ++i)
            before += isLineBreak(input[i]) ? 1 : 0;
        input = withoutLineBreaks(input);
        pos -= before;
        return Acceptable;
    }
};

} // namespace

QString withoutLineBreaks(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (!isLineBreak(c))
            out += c;
    return out;
}

void hold(QLineEdit *edit) { edit->setValidator(new LineBreakFilter(edit)); }

} // namespace SingleLine
