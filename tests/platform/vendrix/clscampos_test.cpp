#include "platform/vendrix/clscampos.h"

#include "platform/vendrix/controlarray.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QtTest/QTest>

#include <gtest/gtest.h>

namespace {

// The range fields of the error-log report form: Index and DataField as that form has them,
// created in tab order.
class RangeForm : public QDialog {
public:
    RangeForm() {
        setObjectName("frmPrueba");
        auto* layout = new QVBoxLayout(this);
        const std::pair<int, const char*> fields[] = {
            {4, "FechaDesde"}, {5, "FechaHasta"}, {1, "UsuarioDesde"}, {0, "UsuarioHasta"},
            {3, "PcDesde"},    {2, "PcHasta"},    {6, "errorDesde"},   {7, "errorHasta"},
        };
        for (const auto& [index, field] : fields) {
            auto* box = new QLineEdit(this);
            box->setObjectName("txtfields");
            box->setProperty("Index", index);
            box->setProperty("DataField", field);
            layout->addWidget(box);
        }
        auto* other = new QLineEdit(this);
        other->setObjectName("txtOtro");
        other->setProperty("DataField", "Otro");
        layout->addWidget(other);
    }
    QLineEdit* field(int index) {
        return vendrix::controlElement<QLineEdit>(*this, "txtfields", index);
    }
};

TEST(ClsCamposTest, CampoFindsTheIndexByDataFieldWithoutRegardToCase) {
    RangeForm form;
    EXPECT_EQ(gCampos().Campo(form, "ErrorDesde"), 6);
    EXPECT_EQ(gCampos().Campo(form, "usuariohasta"), 0);
    EXPECT_EQ(gCampos().Campo(form, "FECHADESDE"), 4);
    EXPECT_EQ(gCampos().Campo(form, "Asunto"), -1);
    // A control outside every control array has no index to give.
    EXPECT_EQ(gCampos().Campo(form, "Otro"), -1);
}

TEST(ClsCamposTest, CampoOverAControlArrayGivesTheIndexByReference) {
    RangeForm form;
    const QList<QWidget*> array = vendrix::controlArray(form, "txtfields");
    int index = 99;
    EXPECT_TRUE(gCampos().Campo("pchasta", array, index));
    EXPECT_EQ(index, 2);
    EXPECT_FALSE(gCampos().Campo("Asunto", array, index));
    EXPECT_EQ(index, -1);
}

TEST(ClsCamposTest, AControlArrayIsOrderedByIndex) {
    RangeForm form;
    const QList<QWidget*> array = vendrix::controlArray(form, "txtfields");
    ASSERT_EQ(array.size(), 8);
    for (int i = 0; i < array.size(); ++i) EXPECT_EQ(vendrix::controlIndex(*array[i]), i);
    EXPECT_EQ(vendrix::dataField(*form.field(4)), "FechaDesde");
    EXPECT_EQ(form.field(8), nullptr);
    EXPECT_EQ(vendrix::controlElement(form, "txtOtro", 0), nullptr);
}

TEST(ClsCamposTest, EnterMovesTheFocusToTheNextControlInTabOrder) {
    RangeForm form;
    form.field(3)->setEnabled(false);  // PcDesde: skipped
    form.show();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    form.field(0)->setFocus();  // UsuarioHasta, followed by PcDesde in tab order

    int key = 'A';
    gCampos().SiguienteControl(key, *form.field(0));
    EXPECT_EQ(key, 'A');
    EXPECT_EQ(QApplication::focusWidget(), form.field(0));

    key = 13;
    gCampos().SiguienteControl(key, *form.field(0));
    EXPECT_EQ(key, 0);
    EXPECT_EQ(QApplication::focusWidget(), form.field(2));

    // From the control the key belongs to, wherever the focus is: FechaDesde to FechaHasta.
    key = 13;
    gCampos().SiguienteControl(key, *form.field(4));
    EXPECT_EQ(QApplication::focusWidget(), form.field(5));
    form.close();
}

TEST(ClsCamposTest, FiltraTeclaCapitalisesOnlyFieldsThatAskForIt) {
    RangeForm form;
    QLineEdit* upper = form.field(1);
    upper->setProperty("Mayusculas", true);
    const std::pair<int, int> cases[] = {
        {'a', 'A'}, {0xF1, 0xD1} /* ñ */, {0x9A, 0x8A} /* š */, {'1', '1'}, {'Z', 'Z'}, {8, 8},
    };
    for (const auto& [typed, expected] : cases) {
        SCOPED_TRACE(typed);
        int key = typed;
        gCampos().FiltraTecla(*upper, key);
        EXPECT_EQ(key, expected);
    }
    int key = 'a';
    gCampos().FiltraTecla(*form.field(0), key);
    EXPECT_EQ(key, 'a');
}

}  // namespace
