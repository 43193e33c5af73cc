#include "platform/ui/qtoperator.h"
#include "platform/vb/steps.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Presses `button` on the message box that opens next, and remembers what it showed.
struct BoxSeen {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

void pressWhenShown(QMessageBox::StandardButton button, BoxSeen* seen) {
    QTimer::singleShot(0, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen->title = box->windowTitle();
        seen->text = box->text();
        seen->icon = box->icon();
        for (auto* b : box->buttons()) seen->buttons.append(b->text());
        seen->buttons.sort();
        box->button(button)->click();
    });
}

TEST(QtOperatorTest, MessageBoxShowsTheCodesButtonsIconAndExactTexts) {
    ui::QtOperator op;
    BoxSeen seen;
    pressWhenShown(QMessageBox::Retry, &seen);
    const QString text = QStringLiteral("Ha ocurrido el Siguiente Error (5) x\r\nlínea");
    EXPECT_EQ(op.msgBox(text, vb::vbAbortRetryIgnore + vb::vbCritical, " Aviso al operador!!! - 2 "),
              vb::vbRetry);
    EXPECT_EQ(seen.title, QStringLiteral(" Aviso al operador!!! - 2 "));
    EXPECT_EQ(seen.text, text);
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.buttons, (QStringList{"Anular", "Omitir", "Reintentar"}));

    BoxSeen yesNo;
    pressWhenShown(QMessageBox::No, &yesNo);
    EXPECT_EQ(op.msgBox("¿Seguro?", vb::vbYesNo + vb::vbQuestion, "Atención"), vb::vbNo);
    EXPECT_EQ(yesNo.icon, QMessageBox::Question);
    EXPECT_EQ(yesNo.buttons, (QStringList{"No", "Sí"}));
}

TEST(QtOperatorTest, CommonDialogFiltersBecomeQtNameFilters) {
    EXPECT_EQ(ui::qtNameFilter("Base de Datos de Microsoft Access |*.MDB"),
              QStringLiteral("Base de Datos de Microsoft Access (*.MDB)"));
    EXPECT_EQ(ui::qtNameFilter("Imagenes|*.jpg;*.bmp|Todos|*.*"),
              QStringLiteral("Imagenes (*.jpg *.bmp);;Todos (*.*)"));
}

}  // namespace
