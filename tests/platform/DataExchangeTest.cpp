#include <gtest/gtest.h>

#include <QLineEdit>
#include <QWidget>

#include "platform/DataExchange.h"
#include "platform/MessageBox.h"

namespace {

// A form with a name edit (1) and two number edits (2, 3), exchanged as the
// group form does: name max 8, then 0-9999, then 11-26.
class Form : public QWidget {
public:
    Form()
    {
        for (int id : {1, 2, 3}) {
            auto* edit = new QLineEdit(this);
            edit->setObjectName(QString::number(id));
        }
        m_previousHook = SetMessageBoxHook([this](QWidget*, const QString& text, MessageIcon) { messages << text; });
    }
    ~Form() override { SetMessageBoxHook(m_previousHook); }

    bool UpdateData(bool save)
    {
        CDataExchange dx(*this, save);
        DDX_Text(&dx, 1, name);
        DDV_MaxChars(&dx, name, 8);
        DDX_Text(&dx, 2, key);
        DDV_MinMaxUInt(&dx, key, 0, 9999);
        DDX_Text(&dx, 3, channel);
        DDV_MinMaxUInt(&dx, channel, 11, 26);
        return !dx.Failed();
    }
    QLineEdit* Edit(int id) { return findChild<QLineEdit*>(QString::number(id)); }

    QString name = "Olv12345";
    unsigned key = 0;
    unsigned channel = 11;
    QStringList messages;

private:
    MessageBoxHook m_previousHook;
};

TEST(DataExchange, TowardsTheControlsFillsAndLimits)
{
    Form form;
    form.key = 1234;
    EXPECT_TRUE(form.UpdateData(false));
    EXPECT_EQ(form.Edit(1)->text(), "Olv12345");
    EXPECT_EQ(form.Edit(1)->maxLength(), 8);
    EXPECT_EQ(form.Edit(2)->text(), "1234");
    EXPECT_EQ(form.Edit(3)->text(), "11");
    EXPECT_TRUE(form.messages.isEmpty());
}

TEST(DataExchange, RangeFailureKeepsTheValueReadAndStops)
{
    Form form;
    form.UpdateData(false);
    form.Edit(2)->setText("12000");
    form.Edit(3)->setText("20");
    EXPECT_FALSE(form.UpdateData(true));
    EXPECT_EQ(form.messages, QStringList{IntegerRangeMessage(0, 9999)});
    EXPECT_EQ(form.key, 12000u);
    EXPECT_EQ(form.channel, 11u) << "members after the failing one keep their old values";
    EXPECT_EQ(form.focusWidget(), form.Edit(2));
}

TEST(DataExchange, NotANumberKeepsTheOldValue)
{
    Form form;
    form.UpdateData(false);
    form.Edit(3)->setText("");
    EXPECT_FALSE(form.UpdateData(true));
    EXPECT_EQ(form.messages, QStringList{NotANumberMessage()});
    EXPECT_EQ(form.channel, 11u);
}

TEST(DataExchange, TooLongTextFails)
{
    Form form;
    form.Edit(1)->setText("ABCDEFGHI");
    form.Edit(2)->setText("5");
    form.Edit(3)->setText("12");
    EXPECT_FALSE(form.UpdateData(true));
    EXPECT_EQ(form.messages, QStringList{MaxCharsMessage(8)});
    EXPECT_EQ(form.name, "ABCDEFGHI");
    EXPECT_EQ(form.key, 0u);

    form.messages.clear();
    form.Edit(1)->setText("ABC");
    EXPECT_TRUE(form.UpdateData(true));
    EXPECT_EQ(form.key, 5u);
    EXPECT_EQ(form.channel, 12u);
    EXPECT_TRUE(form.messages.isEmpty());
}

} // namespace
