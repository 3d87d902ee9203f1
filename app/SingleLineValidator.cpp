#include "app/SingleLineValidator.h"

QValidator::State CSingleLineValidator::validate(QString& input, int& pos) const
{
    for (int i = int(input.size()) - 1; i >= 0; --i) {
        if (input[i] == QLatin1Char('\n') || input[i] == QLatin1Char('\r')) {
            input.remove(i, 1);
            if (pos > i)
                --pos;
        }
    }
    return Acceptable;
}
