#include "transfer/frmmsgbox.h"

#include "tests/support/fixtures.h"
#include "tests/support/scripted_operator.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A clock that moves a second each time it is read, so a timed wait ends after
// a known number of readings, however fast the machine runs.
class TickingClock : public ui::Clock {
public:
    explicit TickingClock(QDateTime start) : now_(std::move(start)) {
        previous_ = ui::setClock(this);
    }
    ~TickingClock() override { ui::setClock(previous_); }
    QDateTime instant() const override {
        const QDateTime t = now_;
        now_ = now_.addSecs(1);
        return t;
    }
    QDateTime peek() const { return now_; }

private:
    mutable QDateTime now_;
    ui::Clock* previous_;
};

// Runs `action` once the modal loop of the box has started.
template <class F>
void whenShown(FrmMsgBox& box, F action) {
    QMetaObject::invokeMethod(&box, action, Qt::QueuedConnection);
}

TEST(FrmMsgBoxTest, ShowsTitleAndMessage) {
    zxtest::ScriptedOperator op;
    TickingClock clock(QDateTime(QDate(2024, 5, 7), QTime(10, 0)));
    FrmMsgBox box;
    box.Titulo = "Aviso del mail";
    box.Mensaje = "Mensaje Enviado correctamente";
    whenShown(box, [&] {
        EXPECT_EQ(box.windowTitle(), QString("Aviso del mail"));
        EXPECT_EQ(box.LblMensaje->text(), QString("Mensaje Enviado correctamente"));
        EXPECT_EQ(box.CmdAceptar->text(), QString("&Aceptar"));
        QTest::mouseClick(box.CmdAceptar, Qt::LeftButton);
    });
    box.exec();
    EXPECT_FALSE(box.isVisible());
}

TEST(FrmMsgBoxTest, HidesItselfAfterTheGivenSeconds) {
    struct Case {
        const char* name;
        QDateTime start;
        std::int16_t espera;
    };
    const Case cases[] = {
        {"three seconds", QDateTime(QDate(2024, 5, 7), QTime(10, 0)), 3},
        {"a minute", QDateTime(QDate(2024, 5, 7), QTime(10, 0)), 60},
        {"across midnight", QDateTime(QDate(2024, 5, 7), QTime(23, 59, 58)), 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        zxtest::ScriptedOperator op;
        TickingClock clock(c.start);
        FrmMsgBox box;
        box.Titulo = "Aviso del mail";
        box.Mensaje = "Mensaje Enviado correctamente";
        box.Espera = c.espera;
        box.exec();  // returns only when the box hid itself
        EXPECT_FALSE(box.isVisible());
        const qint64 waited = c.start.msecsTo(clock.peek());
        EXPECT_GE(waited, qint64(c.espera) * 1000);
        EXPECT_LE(waited, qint64(c.espera) * 1000 + 2000);
    }
}

// The wait is measured in real seconds: a clock that jumps an hour forward or back while it runs
// neither cuts it short nor makes it last the hour.
TEST(FrmMsgBoxTest, AWaitAcrossAClockChangeLastsItsSeconds) {
    const struct {
        const char* name;
        QDateTime utc;  // two seconds before Madrid's clock changes
    } cases[] = {
        {"forward", vb::utcInstant(QDate(2026, 3, 29), QTime(0, 59, 58))},
        {"back", vb::utcInstant(QDate(2026, 10, 25), QTime(0, 59, 58))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const zxtest::ScopedTimeZone zone("Europe/Madrid");
        zxtest::ScriptedOperator op;
        const QDateTime start = c.utc.toLocalTime();
        TickingClock clock(start);
        FrmMsgBox box;
        box.Espera = 3;
        box.exec();
        EXPECT_FALSE(box.isVisible());
        const qint64 waited = start.msecsTo(clock.peek());
        EXPECT_GE(waited, 3000);
        EXPECT_LE(waited, 5000);
    }
}

TEST(FrmMsgBoxTest, WithoutWaitStaysUntilAceptar) {
    zxtest::ScriptedOperator op;
    zxtest::FixedClock clock(QDateTime(QDate(2024, 5, 7), QTime(10, 0)));
    FrmMsgBox box;
    box.Mensaje = "Atención";
    box.Espera = 0;
    whenShown(box, [&] {
        clock.set(clock.instant().addSecs(120));
        QApplication::processEvents();
        EXPECT_TRUE(box.isVisible());
        QTest::mouseClick(box.CmdAceptar, Qt::LeftButton);
    });
    box.exec();
    EXPECT_FALSE(box.isVisible());
}

TEST(FrmMsgBoxTest, AceptarEndsATimedWait) {
    zxtest::ScriptedOperator op;
    zxtest::FixedClock clock(QDateTime(QDate(2024, 5, 7), QTime(10, 0)));  // never moves
    FrmMsgBox box;
    box.Espera = 3;
    QMetaObject::invokeMethod(
        &box, [&] { QMetaObject::invokeMethod(box.CmdAceptar, "click", Qt::QueuedConnection); },
        Qt::QueuedConnection);
    box.exec();
    EXPECT_FALSE(box.isVisible());
}

TEST(FrmMsgBoxTest, ActualizarLeyendaTakesTheMembersAgain) {
    zxtest::ScriptedOperator op;
    FrmMsgBox box;
    box.Titulo = "Subiendo";
    box.Mensaje = "Archivo 1 de 3";
    box.ActualizarLeyenda();
    EXPECT_EQ(box.windowTitle(), QString("Subiendo"));
    EXPECT_EQ(box.LblMensaje->text(), QString("Archivo 1 de 3"));
}

}  // namespace
