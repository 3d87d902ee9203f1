#include "app/InterfaceChoice.h"

#include "busport/LineSettingsText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

CInterfaceChoice::CInterfaceChoice(QWidget* parent) : QWidget(parent)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(QStringLiteral("Interface"), this);
    label->setAlignment(Qt::AlignHCenter);
    column->addWidget(label);

    m_interfaceCombo = new QComboBox(this);
    const auto named = [](const char* kind, const busport::LineSettings& line) {
        return QString::fromLatin1(kind) + QString::fromStdString(busport::LineSettingsText(line));
    };
    m_interfaceCombo->addItems({named("Serial adapter, ", busport::LineSettings {}),
                                named("USB interface, ", busport::kUsbInterfaceLine), QStringLiteral("Other...")});
    label->setBuddy(m_interfaceCombo);
    column->addWidget(m_interfaceCombo);

    m_otherFields = new QWidget(this);
    auto* row = new QHBoxLayout(m_otherFields);
    row->setContentsMargins(0, 0, 0, 0);
    m_baudEdit = new QLineEdit(m_otherFields);
    m_baudEdit->setValidator(new QIntValidator(int(bus::kMinBaudRate), int(bus::kMaxBaudRate), m_baudEdit));
    m_baudEdit->setAccessibleName(QStringLiteral("Baud rate"));
    auto* baudLabel = new QLabel(QStringLiteral("Baud"), m_otherFields);
    baudLabel->setBuddy(m_baudEdit);
    m_rtsCtsCheck = new QCheckBox(QStringLiteral("RTS/CTS"), m_otherFields);
    row->addWidget(baudLabel);
    row->addWidget(m_baudEdit, 1);
    row->addWidget(m_rtsCtsCheck);
    // Room for the fields stays when they are hidden, so the dialog keeps its size.
    QSizePolicy keepRoom = m_otherFields->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    m_otherFields->setSizePolicy(keepRoom);
    column->addWidget(m_otherFields);

    connect(m_interfaceCombo, &QComboBox::currentIndexChanged, this, &CInterfaceChoice::ShowOtherFields);
    SetLine({});
}

void CInterfaceChoice::SetLine(const busport::LineSettings& line)
{
    const Choice choice = line == busport::LineSettings {} ? SerialAdapter
        : line == busport::kUsbInterfaceLine               ? UsbInterface
                                                           : Other;
    m_baudEdit->setText(QString::number(line.baud));
    m_rtsCtsCheck->setChecked(line.flow == busport::Flow::RtsCts);
    m_interfaceCombo->setCurrentIndex(choice);
    ShowOtherFields();
}

std::optional<busport::LineSettings> CInterfaceChoice::Line() const
{
    switch (m_interfaceCombo->currentIndex()) {
    case SerialAdapter: return busport::LineSettings {};
    case UsbInterface: return busport::kUsbInterfaceLine;
    default: break;
    }
    // The validator lets through what could still become valid ("5" on the way to "57600").
    if (!m_baudEdit->hasAcceptableInput())
        return std::nullopt;
    return busport::LineSettings {m_baudEdit->text().toUInt(),
                                  m_rtsCtsCheck->isChecked() ? busport::Flow::RtsCts : busport::Flow::None};
}

QString CInterfaceChoice::BaudRule()
{
    return QStringLiteral("Please enter a baud rate between %1 and %2.").arg(bus::kMinBaudRate).arg(bus::kMaxBaudRate);
}

void CInterfaceChoice::ShowOtherFields()
{
    m_otherFields->setVisible(m_interfaceCombo->currentIndex() == Other);
}
