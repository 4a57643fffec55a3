#include "shell/forms/Form.h"
#include "shell/widgets/ListView.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace quorvel {
namespace {

// A small window built the way the real ones are.
class frmSample : public Form {
public:
    frmSample() : Form("frmSample") {
        Frame1 = AddControl(new QGroupBox("Channels", ClientArea()), "Frame1", ControlType::Frame);
        lblCountry = AddControl(new QLabel("Type:", Frame1), "lblCountry", ControlType::Label);
        List = AddControl(new ListView(Frame1), "ListView1", ControlType::ListView);
        List->Rows().AddColumn("Channel", 2800);
        List->Rows().AddColumn("Category", 1440);
        cmdTV =
            AddControl(new QPushButton("TV", ClientArea()), "cmdTV", ControlType::CommandButton);
        txtName = AddControl(new QLineEdit("Name", ClientArea()), "txtName", ControlType::TextBox);
        mnuCat = AddMenu("mnuCat", "Categories");
        AddMenuItem(mnuCat, "mnuCatItem", "TV", 0);
        AddMenuItem(mnuCat, "mnuCatItem", "-", 1);
        AddMenuItem(mnuCat, "mnuCatItem", "Radio", 2);
    }
    QGroupBox* Frame1 = nullptr;
    QLabel* lblCountry = nullptr;
    ListView* List = nullptr;
    QPushButton* cmdTV = nullptr;
    QLineEdit* txtName = nullptr;
    QMenu* mnuCat = nullptr;
};

class frmOther : public Form {
public:
    frmOther() : Form("frmOther") {}
};

TEST(FormModel, ControlsKeepDesignOrderTypesIndexesAndContainers) {
    frmSample form;
    QStringList order;
    for (const FormControl& control : form.Controls())
        order << control.Name() + "/" + control.TypeName() + "/" + QString::number(control.Index());
    EXPECT_EQ(order, (QStringList{"Frame1/Frame/-1", "lblCountry/Label/-1", "ListView1/ListView/-1",
                                  "cmdTV/CommandButton/-1", "txtName/TextBox/-1", "mnuCat/Menu/-1",
                                  "mnuCatItem/Menu/0", "mnuCatItem/Menu/1", "mnuCatItem/Menu/2"}));

    EXPECT_EQ(form.Control("lblCountry")->Container(), form.Frame1);
    EXPECT_EQ(form.Control("cmdTV")->Container(), &form);
    EXPECT_EQ(form.Control("mnuCatItem", 2)->Container(), form.mnuCat->menuAction());
    EXPECT_EQ(form.Control("mnuCatItem", 2)->Caption(), "Radio");
    EXPECT_EQ(form.Control("mnuCatItem", 1)->Caption(), "-");
    // Styles draw a separator that has a text as a row showing it.
    EXPECT_TRUE(form.mnuCat->actions().at(1)->isSeparator());
    EXPECT_TRUE(form.mnuCat->actions().at(1)->text().isEmpty());
    EXPECT_EQ(form.Control("mnuCatItem"), nullptr) << "an array element needs its index";
    EXPECT_EQ(form.HighestIndex("mnuCatItem"), 2);
    EXPECT_EQ(form.HighestIndex("SkinLabel1"), -1);
    EXPECT_EQ(form.findChild<QPushButton*>("cmdTV"), form.cmdTV);
}

TEST(FormModel, CaptionsColumnsFontAndVisibilityWorkForEveryKindOfControl) {
    frmSample form;
    for (const FormControl& control : form.Controls()) {
        control.SetCaption("x" + control.Name());
    }
    EXPECT_EQ(form.Frame1->title(), "xFrame1");
    EXPECT_EQ(form.lblCountry->text(), "xlblCountry");
    EXPECT_EQ(form.cmdTV->text(), "xcmdTV");
    EXPECT_EQ(form.txtName->text(), "xtxtName");
    EXPECT_EQ(form.mnuCat->title(), "xmnuCat");
    EXPECT_EQ(form.mnuCat->actions().at(2)->text(), "xmnuCatItem");
    EXPECT_EQ(form.Control("mnuCatItem", 1)->Caption(), "xmnuCatItem");
    EXPECT_TRUE(form.mnuCat->actions().at(1)->text().isEmpty()) << "still a plain separator";

    FormControl list = *form.Control("ListView1");
    EXPECT_EQ(list.Caption(), "") << "a list view has no caption";
    ASSERT_EQ(list.ColumnCount(), 2);
    list.SetColumnText(2, "Kategorie");
    list.SetColumnText(3, "ignored");
    EXPECT_EQ(list.ColumnText(2), "Kategorie");
    EXPECT_EQ(form.List->model()->headerData(1, Qt::Horizontal).toString(), "Kategorie");
    EXPECT_EQ(form.List->Rows().Columns()[1].widthTwips, 1440);

    FormControl label = *form.Control("lblCountry");
    QFont font("Verdana", 11);
    label.SetFont(font);
    EXPECT_EQ(form.lblCountry->font().family(), font.family());
    label.SetVisible(false);
    EXPECT_FALSE(label.Visible());
    EXPECT_TRUE(form.Control("cmdTV")->Visible()) << "visible as designed before the window shows";
}

TEST(FormModel, GeometryIsInTwipsBelowTheMenuBar) {
    frmSample form;
    FormControl button = *form.Control("cmdTV");
    button.Move(60, 1020, 1275, 915);
    EXPECT_EQ(form.cmdTV->geometry(), QRect(4, 68, 85, 61));
    EXPECT_EQ(button.Left(), 60);
    EXPECT_EQ(button.Top(), 1020);
    EXPECT_EQ(button.Width(), 1275);
    EXPECT_EQ(button.Height(), 915);

    form.ResizeClient(15510, 10125);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(form.ClientArea()->size(), QSize(1034, 675));
    EXPECT_EQ(form.ClientArea()->y(), form.MenuBar()->height());
    form.Resize(9000, 6000);
    EXPECT_EQ(form.Width(), 9000);
    EXPECT_EQ(form.Height(), 6000);
}

TEST(FormModel, LoadedWindowsFollowLoadAndUnload) {
    const auto before = Form::LoadedForms().size();
    auto* first = Form::Load<frmSample>();
    auto* other = Form::Load<frmOther>();
    EXPECT_EQ(Form::Load<frmSample>(), first) << "a loaded window is not loaded twice";
    ASSERT_EQ(Form::LoadedForms().size(), before + 2);
    EXPECT_EQ(Form::LoadedForms()[before], first);
    EXPECT_EQ(Form::FindLoaded("frmOther"), other);

    QSignalSpy destroyed(first, &QObject::destroyed);
    Form::UnloadByName("frmSample");
    Form::UnloadByName("frmSample");  // not loaded any more: nothing happens
    Form::UnloadByName("frmNever");
    EXPECT_EQ(Form::FindLoaded("frmSample"), nullptr);
    EXPECT_TRUE(destroyed.wait(5000));
    EXPECT_NE(Form::Load<frmSample>(), nullptr);

    delete other;  // a window that goes leaves the list too
    EXPECT_EQ(Form::FindLoaded("frmOther"), nullptr);
    Form::FindLoaded("frmSample")->Unload();
}

}  // namespace
}  // namespace quorvel
