#include "app/AboutBox.h"

#include "platform/DataExchange.h"
#include "platform/DialogBuilder.h"
#include "res/DialogTemplates.h"
#include "res/Resource.h"
#include "res/ResourceIcons.h"
#include "res/Strings.h"

CAboutBox::CAboutBox(QWidget* parent) : QDialog(parent)
{
    CDialogBuilder::Build(*FindDialogTemplate(IDD_ABOUTBOX), *this, LoadResourceIcon);
    setWindowIcon(LoadResourceIcon(IDR_MAINFRAME));
    OnInitDialog();
}

bool CAboutBox::OnInitDialog()
{
    m_strVersionLine = QStringLiteral("Brenvik ") + LoadResourceString(IDS_VERSION);
    DoDataExchange(false);
    return true;
}

void CAboutBox::DoDataExchange(bool saveAndValidate)
{
    CDataExchange dx(*this, saveAndValidate);
    DDX_Text(&dx, IDC_VERSION_LINE, m_strVersionLine);
}
