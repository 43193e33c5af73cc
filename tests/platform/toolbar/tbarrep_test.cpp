#include "platform/toolbar/tbarrep.h"

#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

QStringList pulsadas(const QSignalSpy& spy) {
    QStringList claves;
    for (const QList<QVariant>& s : spy) claves << s.at(0).toString();
    return claves;
}

TEST(TBarRep, AClickedButtonSendsItsKeyText) {
    TBarRep barra;
    QSignalSpy spy(&barra, &TBarRep::ClickBoton);
    for (const char* clave : {"PANTALLA", "IMPRESORA", "MENSAJE", "CONSULTAR", "CERRAR"}) {
        SCOPED_TRACE(clave);
        ASSERT_NE(barra.Boton(QString::fromLatin1(clave)), nullptr);
        QTest::mouseClick(barra.Boton(QString::fromLatin1(clave)), Qt::LeftButton);
    }
    EXPECT_EQ(pulsadas(spy),
              QStringList({"PANTALLA", "IMPRESORA", "MENSAJE", "CONSULTAR", "CERRAR"}));
}

TEST(TBarRep, FunctionKeysPressTheirButtons) {
    struct Caso {
        int tecla;
        QStringList pulsada;
    };
    const QList<Caso> casos = {{113, {"CONSULTAR"}},
                               {116, {"PANTALLA"}},
                               {117, {"IMPRESORA"}},
                               {118, {"MENSAJE"}},
                               {13, {}},
                               {0, {}},
                               {65, {}},
                               {27, {}}};
    TBarRep barra;
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.tecla);
        QSignalSpy spy(&barra, &TBarRep::ClickBoton);
        barra.ProcesaTecla(c.tecla);
        EXPECT_EQ(pulsadas(spy), c.pulsada);
    }
}

TEST(TBarRep, TheLookupButtonAndItsKeyFollowHabilitaConsulta) {
    TBarRep barra;
    barra.setProperty("HabilitaConsulta", false);
    EXPECT_FALSE(barra.HabilitaConsulta());
    EXPECT_FALSE(barra.Boton("CONSULTAR")->isEnabled());
    QSignalSpy spy(&barra, &TBarRep::ClickBoton);
    barra.ProcesaTecla(113);
    QTest::mouseClick(barra.Boton("CONSULTAR"), Qt::LeftButton);
    EXPECT_EQ(spy.count(), 0);

    barra.setHabilitaConsulta(true);
    barra.ProcesaTecla(113);
    EXPECT_EQ(pulsadas(spy), QStringList({"CONSULTAR"}));
}

TEST(TBarRep, StyleBarMakesTheButtonsFlat) {
    TBarRep barra;
    barra.setProperty("StyleBar", 1.0);
    EXPECT_TRUE(barra.Boton("PANTALLA")->autoRaise());
    barra.setProperty("StyleBar", 0.0);
    EXPECT_FALSE(barra.Boton("CERRAR")->autoRaise());
}

}  // namespace
