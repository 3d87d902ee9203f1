#pragma once

#include <QDialog>

// The About box (template 100): the application icon, "Brenvik Version 1.03"
// and OK.
class CAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit CAboutBox(QWidget* parent = nullptr);

    QString m_strVersionLine;

private:
    bool OnInitDialog();
    void DoDataExchange(bool saveAndValidate);
};
