// The lookup as the operator meets it: the service shows the real grid window over the test
// database, and the test types into it.
#include "db/db_dll.h"
#include "db/hooks.h"
#include "lookup/datos.h"
#include "lookup/formularios_qt.h"
#include "lookup/lib_clscons3.h"
#include "lookup/lib_frmcons3.h"
#include "lookup/mascaras.h"
#include "tests/lookup/grid_list.h"
#include "tests/support/child_test.h"
#include "tests/support/fixtures.h"
#include "tests/support/model_check.h"
#include "tests/support/screen_fit.h"
#include "tests/support/scripted_operator.h"
#include "tests/support/test_database.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QProcess>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <string_view>

namespace {

class LookupOperator : public ::testing::Test {
protected:
    LookupOperator() : previos_(lookup::formularios()) {
        gDB().gServidor = QStringLiteral("sqlite:") + data.folder();
        gDB().gDBName = zxtest::TestDatabase::mainName;
        gDB().gUsuario = "sa";
        gDB().gUserPassWord = "sa";
        gDB().OpenServerADODB(false, ado::adUseClient, QString(), false, false);
        lookup::instalaFormularios();
        service.gRutaMascaraConsultas = folder.file("consultas.kqv");
        service.gUsarMascarasConsultas = true;
    }
    ~LookupOperator() override {
        lookup::formularios() = previos_;
        if (gDB().gCnn.State() == ado::adStateOpen) gDB().gCnn.Close();
        gDB().gOpenFlag = false;
        gDB().gConnString.clear();
    }

    // Writes the definition file with one record.
    void definicion(const MascaraConsulta& registro) {
        QFile f(service.gRutaMascaraConsultas);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(mascaras::encode(registro));
    }

    static QStringList columna(const Lib_FrmCons3& form, int k) {
        QStringList out;
        for (int i = 0; i < zxtest::rowsShown(form); ++i)
            out << zxtest::cellShown(form, i, k).trimmed();
        return out;
    }
    static QStringList titulos(const Lib_FrmCons3& form) {
        QStringList out;
        for (int k = 0; k < zxtest::columnsShown(form); ++k) out << zxtest::headerShown(form, k);
        return out;
    }
    // Types `texto` into the search box over column `k` and presses F5.
    static void buscaEnServidor(Lib_FrmCons3& form, int k, const QString& texto) {
        QLineEdit* caja = form.CmbSearch(k)->lineEdit();
        QTest::keyClicks(caja, texto);
        QTest::keyClick(caja, Qt::Key_F5);
    }

    zxtest::ProgramFolder folder;
    zxtest::ScriptedOperator op;
    zxtest::TestDatabase data;
    Lib_ClsCons3 service;

private:
    lookup::Formularios previos_;
};

// The definition file's filter holds an OR: the search must narrow both of its terms, not
// only the last one.
TEST_F(LookupOperator, F5OverAFilterWithOrNarrowsEveryRowOfTheFilter) {
    data.exec(
        "INSERT INTO V_TA_VENDEDORES VALUES ('V1', 'O''Hara');"
        "INSERT INTO V_TA_VENDEDORES VALUES ('V2', 'A_Bruno');"
        "INSERT INTO V_TA_VENDEDORES VALUES ('V4', 'A_Bel');"
        "INSERT INTO V_TA_VENDEDORES VALUES ('V5', 'Zoe');");
    definicion({"VENDEDORES", "V_TA_VENDEDORES", "|NOMBRE|IDVENDEDOR|",
                "IDVENDEDOR = 'V1' OR IDVENDEDOR = 'V4'"});
    QStringList antes, despues;
    op.form([&](QDialog& d) {
        auto& form = dynamic_cast<Lib_FrmCons3&>(d);
        const auto tester = zxtest::checkModel(form.ListView1->model());
        antes = columna(form, 0);
        buscaEnServidor(form, 0, "a_b");
        despues = columna(form, 0);
        QTest::keyClick(form.ListView1, Qt::Key_Escape);
        return d.result();
    });
    service.CampoDevuelto = "IDVENDEDOR";
    service.ConsultaSearch("V_TA_VENDEDORES");
    EXPECT_EQ(antes, (QStringList{"A_Bel", "O'Hara"}));
    EXPECT_EQ(despues, QStringList{"A_Bel"});
}

// The same through a given SELECT whose own WHERE holds an OR.
TEST_F(LookupOperator, F5OverAGivenSelectWithOrNarrowsEveryRow) {
    data.exec(
        "INSERT INTO V_TA_VENDEDORES VALUES ('V1', 'O''Hara');"
        "INSERT INTO V_TA_VENDEDORES VALUES ('V4', 'Ana');"
        "INSERT INTO V_TA_VENDEDORES VALUES ('V5', 'Anibal');");
    QStringList despues;
    op.form([&](QDialog& d) {
        auto& form = dynamic_cast<Lib_FrmCons3&>(d);
        const auto tester = zxtest::checkModel(form.ListView1->model());
        buscaEnServidor(form, 1, "an");
        despues = columna(form, 1);
        QTest::keyClick(form.ListView1, Qt::Key_Escape);
        return d.result();
    });
    service.ConsultaSearch(
        "SELECT IDVENDEDOR, NOMBRE FROM V_TA_VENDEDORES WHERE IDVENDEDOR = 'V1' OR "
        "IDVENDEDOR = 'V4' ORDER BY NOMBRE");
    EXPECT_EQ(despues, QStringList{"Ana"});
}

// "*" is the one wildcard the operator types; "%", "_" and "[" are searched as they are.
TEST_F(LookupOperator, OnlyTheAsteriskIsAWildcardInTheServerSearch) {
    data.exec(
        "INSERT INTO V_TA_VENDEDORES VALUES ('P1', '50% off');"
        "INSERT INTO V_TA_VENDEDORES VALUES ('P2', '500 pesos');"
        "INSERT INTO V_TA_VENDEDORES VALUES ('P3', 'a_b');"
        "INSERT INTO V_TA_VENDEDORES VALUES ('P4', 'axb');"
        "INSERT INTO V_TA_VENDEDORES VALUES ('P5', '[x] caja');"
        "INSERT INTO V_TA_VENDEDORES VALUES ('P6', 'x caja');"
        "INSERT INTO V_TA_VENDEDORES VALUES ('P7', 'a\\b');");
    struct Caso {
        bool like;
        const char* texto;
        QStringList filas;
    };
    const QList<Caso> casos{
        {false, "50%", {"P1"}},
        {false, "%", {}},
        {false, "a_b", {"P3"}},
        {false, "[x]", {"P5"}},
        {false, "a\\", {"P7"}},
        {false, "*0", {"P1", "P2"}},
        {false, "a*b", {"P3", "P4", "P7"}},
        {true, "%", {"P1"}},
        {true, "_", {"P3"}},
        {true, "[x", {"P5"}},
        {true, "x caja", {"P5", "P6"}},
    };
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.texto);
        QStringList filas;
        op.form([&](QDialog& d) {
            auto& form = dynamic_cast<Lib_FrmCons3&>(d);
            const auto tester = zxtest::checkModel(form.ListView1->model());
            buscaEnServidor(form, 1, QString::fromUtf8(caso.texto));
            filas = columna(form, 0);
            QTest::keyClick(form.ListView1, Qt::Key_Escape);
            return d.result();
        });
        // The like-search flag comes from the configuration when the service is made.
        const auto previo = dbhooks::hooks().Cfg;
        dbhooks::hooks().Cfg = [&](const QString& clave) {
            return clave == "UsaConsultaLike" && caso.like ? QString("SI") : QString(" ");
        };
        Lib_ClsCons3 consultas;
        dbhooks::hooks().Cfg = previo;
        consultas.ConsultaSearch("SELECT IDVENDEDOR, NOMBRE FROM V_TA_VENDEDORES ORDER BY 1");
        EXPECT_EQ(filas, caso.filas);
    }
}

// Keyboard users leave the list for the buttons and boxes, and scroll it sideways.
TEST_F(LookupOperator, TabLeavesTheListAndLeftRightScrollIt) {
    data.exec("INSERT INTO V_TA_VENDEDORES VALUES ('V1', 'Ana');");
    bool salioConTab = false, salioConShiftTab = false;
    int derecha = -1, izquierda = -1, xDerecha = 1;
    op.form([&](QDialog& d) {
        auto& form = dynamic_cast<Lib_FrmCons3&>(d);
        const auto tester = zxtest::checkModel(form.ListView1->model());
        form.show();
        QApplication::setActiveWindow(&form);
        form.ListView1->setFocus();
        QApplication::processEvents();
        QTest::keyClick(form.ListView1, Qt::Key_Tab);
        salioConTab = QApplication::focusWidget() != form.ListView1;
        form.ListView1->setFocus();
        QApplication::processEvents();
        QTest::keyClick(form.ListView1, Qt::Key_Backtab, Qt::ShiftModifier);
        salioConShiftTab = QApplication::focusWidget() != form.ListView1;
        form.ListView1->setFocus();
        QTest::keyClick(form.ListView1, Qt::Key_Right);
        derecha = form.HScroll1->value();
        xDerecha = form.picFields->x();
        QTest::keyClick(form.ListView1, Qt::Key_Left);
        izquierda = form.HScroll1->value();
        // The keys typed nothing into the search boxes.
        EXPECT_EQ(form.CmbSearch(0)->currentText(), "");
        QTest::keyClick(form.ListView1, Qt::Key_Escape);
        return d.result();
    });
    service.ConsultaSearch("SELECT IDVENDEDOR, NOMBRE FROM V_TA_VENDEDORES");
    EXPECT_TRUE(salioConTab);
    EXPECT_TRUE(salioConShiftTab);
    EXPECT_GT(derecha, 0);
    EXPECT_LT(xDerecha, 0);
    EXPECT_EQ(izquierda, 0);
}

// A column of passwords never shows, whichever way the lookup names it.
TEST_F(LookupOperator, PasswordColumnsAreHiddenOnEveryPath) {
    data.exec(
        "INSERT INTO TA_USUARIOS (Nombre, Administrador, email_Password) "
        "VALUES ('ANA', 1, 'secreta');");
    definicion({"USUARIOS", "TA_USUARIOS", "|Nombre|email_Password|Administrador|", ""});
    struct Caso {
        const char* nombre;
        QString sql;
        QString sentencia;
    };
    const QList<Caso> casos{
        {"definicion", "TA_USUARIOS", {}},
        {"select",
         "SELECT Nombre, email_Password AS Clave_PASSWORD, email_Password "
         "FROM TA_USUARIOS",
         {}},
        {"sentencia", "OTRA", "SELECT email_Password, Nombre FROM TA_USUARIOS"},
        {"descubiertas", "TA_USUARIOS_SIN_DEFINICION", {}},
    };
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        QStringList columnas;
        QStringList celdas;
        op.form([&](QDialog& d) {
            auto& form = dynamic_cast<Lib_FrmCons3&>(d);
            const auto tester = zxtest::checkModel(form.ListView1->model());
            columnas = titulos(form);
            for (int k = 0; k < zxtest::columnsShown(form); ++k) celdas << columna(form, k);
            QTest::keyClick(form.ListView1, Qt::Key_Escape);
            return d.result();
        });
        QString sql = caso.sql;
        if (sql == "TA_USUARIOS_SIN_DEFINICION") {
            service.gUsarMascarasConsultas = false;
            sql = "TA_USUARIOS";
        }
        service.ConsultaSearch(sql, nullptr, {}, nullptr, nullptr, caso.sentencia);
        service.gUsarMascarasConsultas = true;
        EXPECT_TRUE(columnas.contains("Nombre", Qt::CaseInsensitive))
            << columnas.join(',').toStdString();
        for (const QString& c : columnas)
            EXPECT_FALSE(c.contains("password", Qt::CaseInsensitive)) << c.toStdString();
        EXPECT_FALSE(celdas.contains("secreta"));
    }
}

// Shift+Insert answered with nothing or 0 gives "0.00" and a checked row.
TEST_F(LookupOperator, ShiftInsertWithZeroOrNothingChecksTheRowWithZero) {
    zxtest::ScopedLocale locale{QLocale(QLocale::Spanish, QLocale::Argentina)};
    data.exec(
        "INSERT INTO VT_MA_ARTICULOS (IDARTICULO, DESCRIPCION, SUSPENDIDO, PUNTOPEDIDO, Stock) "
        "VALUES ('T1', 'Tornillo', 0, 5, 9);");
    for (const std::optional<QString>& respuesta :
         {std::optional<QString>("0"), std::optional<QString>(""), std::optional<QString>()}) {
        SCOPED_TRACE(respuesta.value_or("(cancelada)").toStdString());
        QString cantidad;
        Qt::CheckState marca = Qt::Unchecked;
        op.form([&](QDialog& d) {
            auto& form = dynamic_cast<Lib_FrmCons3&>(d);
            const auto tester = zxtest::checkModel(form.ListView1->model());
            QTest::keyClick(form.ListView1, Qt::Key_Insert, Qt::ShiftModifier);
            EXPECT_EQ(zxtest::cellShown(form, 0, 2), "3,00");
            QTest::keyClick(form.ListView1, Qt::Key_Insert, Qt::ShiftModifier);
            cantidad = zxtest::cellShown(form, 0, 2);
            marca = zxtest::checkShown(form, 0);
            QTest::keyClick(form.ListView1, Qt::Key_Escape);
            return d.result();
        });
        op.input("3");
        op.input(respuesta);
        service.Checks = true;
        service.UsaCantidades = true;
        service.CampoDevuelto = "IDARTICULO";
        service.ConsultaSearch(
            "SELECT IDARTICULO, DESCRIPCION, 0 AS [**Cantidad**] FROM VT_MA_ARTICULOS");
        EXPECT_EQ(cantidad, "0.00");
        EXPECT_EQ(marca, Qt::Checked);
    }
}

// The keys of a lookup list on the window shown and active; run again at twice the scale
// below. The operator must see where the keys go: the search box that has the focus and the
// cell a type-ahead found.
class LookupKeys : public LookupOperator {
protected:
    // The scale this process runs at, as its environment asks it.
    static double escalaPedida() {
        return qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble();
    }
    static void activa(Lib_FrmCons3& form) {
        form.show();
        QApplication::setActiveWindow(&form);
        QApplication::processEvents();
        EXPECT_EQ(form.devicePixelRatioF(), escalaPedida());
    }
    // Whether the operator sees `rect` of `w` (in its coordinates): from its left edge, as much
    // of it as fits in the list's strip, within `w` itself and on the screen.
    static ::testing::AssertionResult seVe(const Lib_FrmCons3& form, const QWidget* w,
                                           const QRect& rect) {
        const QWidget* clip = form.picFields->parentWidget();
        const QRect r(w->mapTo(clip, rect.topLeft()), rect.size());
        const QRect pantalla = form.screen()->availableGeometry();
        QRect area = QRect(clip->mapFromGlobal(pantalla.topLeft()), pantalla.size());
        for (const QWidget* p = w; p != clip->parentWidget(); p = p->parentWidget())
            area &= QRect(p->mapTo(clip, QPoint(0, 0)), p->size());
        const QRect visto = r & area;
        if (visto.left() == r.left() && visto.height() == r.height() &&
            visto.width() >= std::min(r.width(), area.width()))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "shown " << visto.x() << "," << visto.y() << " " << visto.width() << "x"
               << visto.height() << " of " << r.x() << "," << r.y() << " " << r.width() << "x"
               << r.height() << " in the area " << area.x() << "," << area.y() << " "
               << area.width() << "x" << area.height();
    }
};

// The user lookup builds its columns with the name eighth, far to the right of four mail
// columns; the operator tabs to the name's box, types, and sees both the box and the found
// user's name.
TEST_F(LookupKeys, TheFocusedSearchBoxAndTheFoundCellComeIntoView) {
    for (int i = 0; i < 40; ++i) {
        data.exec(QStringLiteral("INSERT INTO TA_USUARIOS (Nombre, Administrador, eMail_Server, "
                                 "email_usuario, email_De) VALUES ('ANA%1', 0, "
                                 "'smtp.gmail.com', 'ana%1@correo.com.ar', "
                                 "'ana%1@correo.com.ar');")
                      .arg(i, 2, 10, QChar('0')));
    }
    data.exec("INSERT INTO TA_USUARIOS (Nombre, Administrador) VALUES ('SOFIA', 0);");
    int tabs = 0;
    op.form([&](QDialog& d) {
        auto& form = dynamic_cast<Lib_FrmCons3&>(d);
        const auto tester = zxtest::checkModel(form.ListView1->model());
        activa(form);
        EXPECT_EQ(zxtest::headerShown(form, 7), "Nombre");
        QComboBox* nombre = form.CmbSearch(7);
        while (QApplication::focusWidget() != nombre && tabs < 30) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            ++tabs;
        }
        EXPECT_TRUE(seVe(form, nombre, nombre->rect()));
        QTest::keyClicks(QApplication::focusWidget(), "sof");
        EXPECT_EQ(zxtest::currentRowShown(form), 40);
        const QModelIndex celda = form.ListView1->model()->index(40, 7);
        EXPECT_TRUE(seVe(form, form.ListView1->viewport(), form.ListView1->visualRect(celda)));
        // Back to the first box: the strip comes back with it.
        form.CmbSearch(0)->setFocus(Qt::BacktabFocusReason);
        EXPECT_TRUE(seVe(form, form.CmbSearch(0), form.CmbSearch(0)->rect()));
        QTest::keyClicks(QApplication::focusWidget(), "ana05");
        EXPECT_EQ(zxtest::currentRowShown(form), 5);
        const QModelIndex correo = form.ListView1->model()->index(5, 0);
        EXPECT_TRUE(seVe(form, form.ListView1->viewport(), form.ListView1->visualRect(correo)));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        return d.result();
    });
    service.CampoDevuelto = "NOMBRE";
    service.ConsultaSearch("TA_USUARIOS");
    EXPECT_LT(tabs, 30);
}

// Home and End take the list's cursor to the first and the last row, in sight; Page Down and
// Page Up move it a page and back.
TEST_F(LookupKeys, HomeAndEndGoToTheFirstAndTheLastRow) {
    for (int i = 0; i < 60; ++i) {
        data.exec(QStringLiteral("INSERT INTO V_TA_VENDEDORES VALUES ('V%1', 'Vendedor %1');")
                      .arg(i, 2, 10, QChar('0')));
    }
    QList<int> filas;
    op.form([&](QDialog& d) {
        auto& form = dynamic_cast<Lib_FrmCons3&>(d);
        const auto tester = zxtest::checkModel(form.ListView1->model());
        activa(form);
        form.ListView1->setFocus();
        QTest::keyClick(form.ListView1, Qt::Key_End);
        filas << form.grid().seleccion() << zxtest::currentRowShown(form);
        const QModelIndex ultima = form.ListView1->model()->index(59, 0);
        EXPECT_TRUE(seVe(form, form.ListView1->viewport(), form.ListView1->visualRect(ultima)));
        QTest::keyClick(form.ListView1, Qt::Key_Home);
        filas << form.grid().seleccion() << zxtest::currentRowShown(form);
        const QModelIndex primera = form.ListView1->model()->index(0, 0);
        EXPECT_TRUE(seVe(form, form.ListView1->viewport(), form.ListView1->visualRect(primera)));
        QTest::keyClick(form.ListView1, Qt::Key_PageDown);
        const int pagina = form.grid().seleccion();
        EXPECT_GT(pagina, 1);
        EXPECT_LT(pagina, 59);
        EXPECT_EQ(zxtest::currentRowShown(form), pagina);
        const QModelIndex abajo = form.ListView1->model()->index(pagina, 0);
        EXPECT_TRUE(seVe(form, form.ListView1->viewport(), form.ListView1->visualRect(abajo)));
        QTest::keyClick(form.ListView1, Qt::Key_PageUp);
        EXPECT_EQ(form.grid().seleccion(), 0);
        EXPECT_EQ(zxtest::currentRowShown(form), 0);
        QTest::keyClick(form.ListView1, Qt::Key_End);
        QTest::keyClick(form.ListView1, Qt::Key_Return);
        return d.result();
    });
    service.CampoDevuelto = "IDVENDEDOR";
    service.ConsultaSearch("SELECT IDVENDEDOR, NOMBRE FROM V_TA_VENDEDORES ORDER BY IDVENDEDOR");
    EXPECT_EQ(filas, (QList<int>{59, 59, 0, 0}));
    EXPECT_EQ(service.ValorDevuelto, vb::Variant("V59"));
}

// The user lookup, eight columns wide, on small screens: the window fits the screen, its
// buttons are within reach, and the list shows rows.
class LookupOnSmallScreens : public LookupKeys {};

TEST_F(LookupOnSmallScreens, TheListFitsTheScreen) {
    if (zxtest::ranOnSmallScreens()) return;
    for (int i = 0; i < 40; ++i) {
        data.exec(QStringLiteral("INSERT INTO TA_USUARIOS (Nombre, Administrador) "
                                 "VALUES ('ANA%1', 0);")
                      .arg(i, 2, 10, QChar('0')));
    }
    bool visto = false;
    op.form([&](QDialog& d) {
        auto& form = dynamic_cast<Lib_FrmCons3&>(d);
        const auto tester = zxtest::checkModel(form.ListView1->model());
        activa(form);
        EXPECT_TRUE(zxtest::fitsItsScreen(form));
        for (QPushButton* b : {form.CmdAceptar, form.CmdTodos, form.CmdCancelar, form.CmdNuevo}) {
            if (b->isVisibleTo(&form))
                EXPECT_TRUE(zxtest::withinReach(b)) << b->text().toStdString();
        }
        EXPECT_GT(form.ListView1->viewport()->visibleRegion().boundingRect().height(),
                  form.ListView1->visualRect(form.ListView1->model()->index(0, 0)).height());
        visto = true;
        QTest::keyClick(form.ListView1, Qt::Key_Escape);
        return d.result();
    });
    service.CampoDevuelto = "NOMBRE";
    service.ConsultaSearch("TA_USUARIOS");
    EXPECT_TRUE(visto);
}

// The same keys at 200%: this test program again, in a child process at twice the scale.
TEST(LookupKeysScaled, TheKeysWorkAtTwiceTheScale) {
    QProcessEnvironment entorno;
    entorno.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
    QString salida;
    EXPECT_TRUE(zxtest::runTestsInChild(QStringLiteral("LookupKeys.*"), entorno, &salida))
        << salida.toStdString();
    // Every test of the suite ran and passed in the child.
    int pruebas = 0;
    const ::testing::UnitTest& programa = *::testing::UnitTest::GetInstance();
    for (int i = 0; i < programa.total_test_suite_count(); ++i) {
        if (std::string_view(programa.GetTestSuite(i)->name()) == "LookupKeys")
            pruebas = programa.GetTestSuite(i)->total_test_count();
    }
    ASSERT_GT(pruebas, 0);
    EXPECT_EQ(salida.count(QStringLiteral("[       OK ] LookupKeys.")), pruebas)
        << salida.toStdString();
}

}  // namespace
