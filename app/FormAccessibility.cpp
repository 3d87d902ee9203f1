#include "app/FormAccessibility.h"

#include <QLabel>
#include <QWidget>

#include "platform/WindowText.h"
#include "res/Resource.h"

namespace {

struct AccessibleText {
    int id;
    const char* name; // null: the control's own text is its name
    const char* description;
};

constexpr AccessibleText kTexts[] = {
    {IDC_GROUP_NAME, "Group Name", "At most 8 characters"},
    {IDC_GROUP_ID, "Group ID", "0 to 127, read from the transceiver"},
    {IDC_RF_CHANNEL, "RF Channel", "11 to 26"},
    {IDC_PASSWORD_KEY, "Password Key", "0 to 9999"},
    {IDC_GET, "Get", "Read Current Settings"},
    {IDC_SET, "Set", "Write New Settings"},
    {IDC_SCAN_BUTTON, nullptr, "Measures channels 11 to 26 for one minute"},
    // A status line's text is its name, so a change of it is announced.
    {IDC_PORT_STATUS, nullptr, "Port status"},
    {IDC_GET_RESULT, nullptr, "Outcome of Get"},
    {IDC_SCAN_NOTE, nullptr, "Scan note"},
};

// Caption and edit.
constexpr std::pair<int, int> kLabels[] = {
    {IDC_GROUP_NAME_LABEL, IDC_GROUP_NAME},
    {IDC_GROUP_ID_LABEL, IDC_GROUP_ID},
    {IDC_RF_CHANNEL_LABEL, IDC_RF_CHANNEL},
    {IDC_PASSWORD_KEY_LABEL, IDC_PASSWORD_KEY},
};

constexpr int kTabOrder[] = {IDC_GET, IDC_GROUP_NAME, IDC_RF_CHANNEL, IDC_PASSWORD_KEY,
                             IDC_SET, IDC_SCAN_BUTTON, IDC_RSSI,     IDC_CLOCK};

} // namespace

void MakeFormAccessible(QWidget& form)
{
    for (const AccessibleText& text : kTexts) {
        QWidget* control = GetDlgItem(form, text.id);
        if (!control)
            continue;
        if (text.name)
            control->setAccessibleName(QString::fromLatin1(text.name));
        control->setAccessibleDescription(QString::fromLatin1(text.description));
    }
    for (const auto& [labelId, editId] : kLabels) {
        if (auto* label = qobject_cast<QLabel*>(GetDlgItem(form, labelId)))
            label->setBuddy(GetDlgItem(form, editId));
    }
    for (std::size_t i = 1; i < std::size(kTabOrder); ++i)
        QWidget::setTabOrder(GetDlgItem(form, kTabOrder[i - 1]), GetDlgItem(form, kTabOrder[i]));
}
