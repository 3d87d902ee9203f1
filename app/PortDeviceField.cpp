#include "app/PortDeviceField.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CPortDeviceField::CPortDeviceField(QWidget* parent) : QWidget(parent)
{
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(QStringLiteral("&Device or URL"), this);
    label->setAlignment(Qt::AlignHCenter);
    grid->addWidget(label, 0, 0, 1, 2);

    m_deviceCombo = new QComboBox(this);
    m_deviceCombo->setEditable(true);
    // A pick puts its entry into the field; typing never adds a pick, and
    // nothing is completed from the picks' words.
    m_deviceCombo->setInsertPolicy(QComboBox::NoInsert);
    m_deviceCombo->setCompleter(nullptr);
    m_deviceCombo->setAccessibleName(QStringLiteral("Device or URL"));
    m_deviceCombo->setMinimumContentsLength(24);
    m_deviceCombo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    label->setBuddy(m_deviceCombo);
    grid->addWidget(m_deviceCombo, 1, 0);

    m_builtInButton = new QPushButton(QStringLiteral("&Built-in"), this);
    m_builtInButton->setAutoDefault(false);
    m_builtInButton->setAccessibleDescription(QStringLiteral("Puts back the device the built-in table gives this COM number"));
    grid->addWidget(m_builtInButton, 1, 1);

    m_answer = new QLabel(this);
    m_answer->setWordWrap(true);
    m_answer->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_answer->setAccessibleName(QStringLiteral("Check of the device or URL"));
    // Room for two lines, so the dialog keeps its size as answers come.
    m_answer->setMinimumHeight(2 * m_answer->fontMetrics().lineSpacing());
    grid->addWidget(m_answer, 2, 0, 1, 2);

    connect(m_deviceCombo, &QComboBox::activated, this, &CPortDeviceField::TakePick);
    connect(m_deviceCombo->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        if (Edited())
            Check();
    });
    connect(m_builtInButton, &QPushButton::clicked, this, [this] {
        m_deviceCombo->setEditText(m_builtIn);
        Check();
    });
}

void CPortDeviceField::AddPick(const QString& text, const QString& entry)
{
    m_deviceCombo->addItem(text, entry);
    m_deviceCombo->setItemData(m_deviceCombo->count() - 1, entry, Qt::ToolTipRole);
}

void CPortDeviceField::ShowPort(const QString& current, const QString& builtIn)
{
    m_shown = current;
    m_builtIn = builtIn;
    m_builtInButton->setToolTip(builtIn);
    m_deviceCombo->setCurrentIndex(-1);
    m_deviceCombo->setEditText(current);
    m_answer->clear();
}

QString CPortDeviceField::Entry() const
{
    return m_deviceCombo->currentText().trimmed();
}

bool CPortDeviceField::Edited() const
{
    return Entry() != m_shown;
}

PortEntryVerdict CPortDeviceField::Check()
{
    const QString entry = Entry();
    if (m_checked != entry) {
        m_checked = entry;
        // Never probed: it is what the number stands for without an entry, there or not.
        m_verdict = !entry.isEmpty() && entry == m_builtIn
            ? PortEntryVerdict {true, entry.toStdString(), "the built-in table's device for this number"}
            : CheckPortEntry(entry.toStdString());
    }
    m_answer->setText(QString::fromStdString(m_verdict.answer));
    return m_verdict;
}

void CPortDeviceField::TakePick(int index)
{
    m_deviceCombo->setEditText(m_deviceCombo->itemData(index).toString());
    Check();
}
