#pragma once

#include <QValidator>

// Keeps line breaks out of a line edit: a line edit takes them from the
// clipboard, and a group name sent to the transceiver must not carry one.
// Typed or pasted text keeps everything else.
class CSingleLineValidator final : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};
