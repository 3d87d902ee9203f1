#pragma once

#include <QIcon>
#include <QStringList>
#include <functional>

#include "platform/DialogTemplate.h"
#include "platform/DialogUnits.h"

class QFont;
class QWidget;

// Makes widgets from a dialog template. Each control becomes a child of the
// host, named after its dialog ID ("1011"; unnamed for IDC_STATIC), placed in
// pixels converted from dialog units of the template's font, shown, enabled
// and focusable as its style bits say. Classes registered with
// CControlClassRegistry come first; BUTTON, EDIT, STATIC, LISTBOX and
// COMBOBOX have built-in widgets. In a QDialog host, IDOK accepts and
// IDCANCEL rejects.
class CDialogBuilder {
public:
    // The icon an icon control names by its resource number ("128" or
    // "#128"), or a null icon. The application that owns the templates knows
    // its icons; without a lookup icon controls stay empty.
    using IconLookup = std::function<QIcon(int id)>;

    // The font a template asks for ("MS Sans Serif" 8 becomes the system's
    // sans serif at 8 points).
    static QFont TemplateFont(const DialogTemplate& dialog);

    // Sets the template's font, caption and pixel size on the host and
    // creates every control. Returns the classes that no factory makes (their
    // controls are left out); empty when the whole template was built.
    static QStringList Build(const DialogTemplate& dialog, QWidget& host, const IconLookup& icons = {});

    // One control, placed with the given base units; null for an unknown class.
    static QWidget* CreateItem(const DialogItemTemplate& item, QWidget& host, DialogBaseUnits base,
                               const IconLookup& icons = {});
};
