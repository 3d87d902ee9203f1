#include "platform/DialogBuilder.h"

#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "platform/ControlClassRegistry.h"
#include "platform/WindowStyles.h"

using namespace style;

namespace {

QString Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

bool IsClass(const DialogItemTemplate& item, const char* name)
{
    return Text(item.className).compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

// The registry name a control is looked up under: its class, except that an
// owner-drawn button has a class of its own.
std::string_view RegistryClass(const DialogItemTemplate& item)
{
    if (IsClass(item, "BUTTON") && (item.style & BS_TYPEMASK) == BS_OWNERDRAW)
        return kOwnerDrawButtonClass;
    return item.className;
}

Qt::Alignment HorizontalAlignment(std::uint32_t type, std::uint32_t center, std::uint32_t right)
{
    if (type == center)
        return Qt::AlignHCenter;
    if (type == right)
        return Qt::AlignRight;
    return Qt::AlignLeft;
}

QWidget* MakeButton(const DialogItemTemplate& item, QWidget& host)
{
    if ((item.style & BS_TYPEMASK) == BS_GROUPBOX) {
        auto* box = new QGroupBox(Text(item.text), &host);
        if ((item.style & BS_CENTER) == BS_CENTER)
            box->setAlignment(Qt::AlignHCenter);
        // A group box only frames its neighbours: keep it behind them and let
        // their clicks through.
        box->setAttribute(Qt::WA_TransparentForMouseEvents);
        box->lower();
        // The caption sits on the frame's top line, half a line below the
        // box's top, as the template's coordinates assume.
        box->setStyleSheet(QStringLiteral(
            "QGroupBox { margin-top: 0.5em; border: 1px solid palette(mid); border-radius: 2px; }"
            "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top center; padding: 0 3px; }"));
        return box;
    }
    auto* button = new QPushButton(Text(item.text), &host);
    if ((item.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
        button->setDefault(true);
    if (auto* dialog = qobject_cast<QDialog*>(&host)) {
        if (item.id == IDOK)
            QObject::connect(button, &QPushButton::clicked, dialog, &QDialog::accept);
        else if (item.id == IDCANCEL)
            QObject::connect(button, &QPushButton::clicked, dialog, &QDialog::reject);
    }
    return button;
}

QWidget* MakeEdit(const DialogItemTemplate& item, QWidget& host)
{
    auto* edit = new QLineEdit(Text(item.text), &host);
    edit->setAlignment(HorizontalAlignment(item.style & (ES_CENTER | ES_RIGHT), ES_CENTER, ES_RIGHT)
                       | Qt::AlignVCenter);
    if (item.style & ES_NUMBER)
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit));
    if (!(item.style & WS_BORDER))
        edit->setFrame(false);
    return edit;
}

QWidget* MakeStatic(const DialogItemTemplate& item, QWidget& host, const CDialogBuilder::IconLookup& icons)
{
    auto* label = new QLabel(&host);
    const std::uint32_t type = item.style & SS_TYPEMASK;
    if (type == SS_ICON) {
        if (icons)
            label->setPixmap(icons(Text(item.text).remove(QLatin1Char('#')).toInt()).pixmap(32, 32));
        return label;
    }
    label->setText(Text(item.text));
    label->setTextFormat(Qt::PlainText);
    const Qt::Alignment vertical = (item.style & SS_CENTERIMAGE) ? Qt::AlignVCenter : Qt::AlignTop;
    label->setAlignment(HorizontalAlignment(type, SS_CENTER, SS_RIGHT) | vertical);
    if (item.style & SS_SUNKEN)
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return label;
}

// A label whose text is wider than its box grows, away from its alignment
// side, so that no text is cut off: fonts differ a little in width from the
// one the template was drawn with.
QRect FitLabelText(const QLabel& label, QRect box)
{
    const int needed = label.fontMetrics().horizontalAdvance(label.text()) + 2 * label.frameWidth() + 1;
    const int extra = needed - box.width();
    if (label.text().isEmpty() || extra <= 0)
        return box;
    if (label.alignment() & Qt::AlignRight)
        box.setLeft(box.left() - extra);
    else if (label.alignment() & Qt::AlignHCenter)
        box.adjust(-extra / 2, 0, extra - extra / 2, 0);
    else
        box.setRight(box.right() + extra);
    return box;
}

QWidget* MakeListBox(const DialogItemTemplate& item, QWidget& host)
{
    auto* list = new QListWidget(&host);
    if (!(item.style & WS_VSCROLL))
        list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    if (!(item.style & WS_BORDER))
        list->setFrameShape(QFrame::NoFrame);
    return list;
}

QWidget* MakeComboBox(const DialogItemTemplate& item, QWidget& host)
{
    auto* combo = new QComboBox(&host);
    combo->setEditable((item.style & CBS_TYPEMASK) == CBS_DROPDOWN);
    return combo;
}

QWidget* MakeBuiltIn(const DialogItemTemplate& item, QWidget& host, const CDialogBuilder::IconLookup& icons)
{
    if (IsClass(item, "BUTTON"))
        return MakeButton(item, host);
    if (IsClass(item, "EDIT"))
        return MakeEdit(item, host);
    if (IsClass(item, "STATIC"))
        return MakeStatic(item, host, icons);
    if (IsClass(item, "LISTBOX"))
        return MakeListBox(item, host);
    if (IsClass(item, "COMBOBOX"))
        return MakeComboBox(item, host);
    return nullptr;
}

} // namespace

QFont CDialogBuilder::TemplateFont(const DialogTemplate& dialog)
{
    // The classic dialog font is narrow: 8 points give base units of about
    // 6 x 13 px. A condensed sans keeps those proportions where the font
    // itself is missing; without one the system's sans serif stands in.
    static const bool substituted = [] {
        QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                                   {QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Liberation Sans Narrow")});
        return true;
    }();
    (void)substituted;
    QFont font(Text(dialog.fontName), dialog.pointSize);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QWidget* CDialogBuilder::CreateItem(const DialogItemTemplate& item, QWidget& host, DialogBaseUnits base,
                                    const IconLookup& icons)
{
    QWidget* widget = nullptr;
    if (const ControlFactory* factory = CControlClassRegistry::Find(RegistryClass(item)))
        widget = (*factory)(item, &host);
    if (!widget)
        widget = MakeBuiltIn(item, host, icons);
    if (!widget)
        return nullptr;

    if (widget->parentWidget() != &host)
        widget->setParent(&host);
    if (item.id != IDC_STATIC)
        widget->setObjectName(QString::number(item.id));
    QRect pixels = MapDialogRect(QRect(item.x, item.y, item.cx, item.cy), base);
    if (qobject_cast<QComboBox*>(widget)) // the template height includes the dropped list
        pixels.setHeight(widget->sizeHint().height());
    if (auto* label = qobject_cast<QLabel*>(widget))
        pixels = FitLabelText(*label, pixels);
    widget->setGeometry(pixels);
    widget->setEnabled(!(item.style & WS_DISABLED));
    if (!(item.style & WS_TABSTOP))
        widget->setFocusPolicy(Qt::FocusPolicy(widget->focusPolicy() & ~Qt::TabFocus));
    widget->setVisible(item.style & WS_VISIBLE);
    return widget;
}

QStringList CDialogBuilder::Build(const DialogTemplate& dialog, QWidget& host, const IconLookup& icons)
{
    host.setFont(TemplateFont(dialog));
    const DialogBaseUnits base = MeasureDialogBaseUnits(host.font());
    if (dialog.style & WS_CAPTION)
        host.setWindowTitle(Text(dialog.caption));
    const QSize size = MapDialogSize(QSize(dialog.cx, dialog.cy), base);
    // A pop-up dialog has a modal frame of fixed size; a child form may be
    // resized by whoever holds it.
    if (dialog.style & WS_POPUP)
        host.setFixedSize(size);
    else
        host.resize(size);

    QStringList missing;
    for (const DialogItemTemplate& item : dialog.items) {
        if (!CreateItem(item, host, base, icons))
            missing << Text(item.className);
    }
    return missing;
}
